// The driver error text: the status table and the composition rule.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "DriverError.h"

namespace {

using driver_error::Compose;
using driver_error::StatusText;

struct StatusCase {
  std::uint16_t status;
  const char* text;
};
void PrintTo(const StatusCase& c, std::ostream* out) { *out << c.status; }

class StatusTable : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusTable, GivesTheEntryAfterThePrefix) { EXPECT_EQ(StatusText(GetParam().status), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Listed, StatusTable,
    ::testing::Values(StatusCase{1, "Dbvance Error: [0x0001]: Warning"},
                      StatusCase{2, "Dbvance Error: [0x0002]: Insufficient Memory for Operation"},
                      StatusCase{3, "Dbvance Error: [0x0003]: Invalid Field Type"},
                      StatusCase{4, "Dbvance Error: [0x0004]: Invalid Handle"},
                      StatusCase{5, "Dbvance Error: [0x0005]: Operation Not Supported"},
                      StatusCase{6, "Dbvance Error: [0x0006]: Invalid Time"},
                      StatusCase{7, "Dbvance Error: [0x0007]: Invalid Data Translation"},
                      StatusCase{8, "Dbvance Error: [0x0008]: Parameter/Column out of Range"},
                      StatusCase{9, "Dbvance Error: [0x0009]: Invalid Parameter"},
                      StatusCase{10, "Dbvance Error: [0x000A]: Result set at EOF"},
                      StatusCase{11, "Dbvance Error: Dbvance Error [0x000B]: Parameter Not Set"},
                      StatusCase{12, "Dbvance Error: [0x000C] Invalid Username/Password"},
                      StatusCase{13, "Dbvance Error: [0x000D]: Invalid Precision"},
                      StatusCase{14, "Dbvance Error: [0x000E]: Invalid Length"},
                      StatusCase{15, "Dbvance Error: [0x000F]: Invalid Transaction Isolation Level"},
                      StatusCase{16, "Dbvance Error: [0x0010]: Invalid Transaction ID"},
                      StatusCase{17, "Dbvance Error: [0x0011]: Duplicate Transaction ID"},
                      StatusCase{19, "Dbvance Error: [0x0013]: Local Transaction already active"},
                      StatusCase{20, "Dbvance Error: [0x0014]: Multiple Transactions not Enabled"},
                      StatusCase{21, "Dbvance Error: [0x0015]: Connection failed"},
                      StatusCase{22, "Dbvance Error: [0x0016]: Driver initialization failed"},
                      StatusCase{23, "Dbvance Error: [0x0017]: Optimistic Locking failed"},
                      StatusCase{24, "Dbvance Error: [0x0018]: Invalid REF"},
                      StatusCase{25, "Dbvance Error: [0x0019]: No table found"},
                      StatusCase{64, "Dbvance Error: [0x0064]: No more data"},
                      StatusCase{65, "Dbvance Error: [0x0065]: SQL Error"}));

INSTANTIATE_TEST_SUITE_P(Unlisted, StatusTable,
                         ::testing::Values(StatusCase{0, ""}, StatusCase{18, ""}, StatusCase{26, ""},
                                           StatusCase{63, ""}, StatusCase{66, ""}, StatusCase{100, ""},
                                           StatusCase{101, ""},
                                           StatusCase{0xFFFF, ""}));

struct ComposeCase {
  const char* behaviour;
  std::uint16_t status;
  std::optional<std::string> message;
  std::string lastErrorText;
  std::string expected;
};
void PrintTo(const ComposeCase& c, std::ostream* out) { *out << c.behaviour; }

class Composition : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(Composition, JoinsStatusTextDriverTextAndFallBacks) {
  const ComposeCase& c = GetParam();
  EXPECT_EQ(Compose(c.status, [&c] { return c.message; }, c.lastErrorText), c.expected) << c.behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Rule, Composition,
    ::testing::Values(
        ComposeCase{"a refused connect with status 65", 65, "M", "",
                    "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: M"},
        ComposeCase{"the last error text is not used when there is a text", 65, "M", "old",
                    "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: M"},
        ComposeCase{"status 11 doubles the word", 11, std::nullopt, "",
                    "Dbvance Error: Dbvance Error [0x000B]: Parameter Not Set"},
        ComposeCase{"status 12 has no colon after its bracket", 12, "bad", "",
                    "Dbvance Error: [0x000C] Invalid Username/Password\r\nSQL Server Error: bad"},
        ComposeCase{"an unlisted status: the driver text alone, without CR LF", 100, "gone", "",
                    "SQL Server Error: gone"},
        ComposeCase{"an unlisted status without driver text: the last error text", 18, std::nullopt, "old",
                    "old"},
        ComposeCase{"nothing at all: the unknown code in decimal", 100, std::nullopt, "",
                    "Dbvance Error: Unknown Error Code '100'"},
        ComposeCase{"a status above 100 has no status text", 300, std::nullopt, "",
                    "Dbvance Error: Unknown Error Code '300'"},
        ComposeCase{"an empty message still is a driver text", 65, "", "",
                    "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: "},
        ComposeCase{"no message: the status text alone", 21, std::nullopt, "old",
                    "Dbvance Error: [0x0015]: Connection failed"},
        ComposeCase{"a message with %s and CR LF stays as it is", 65, "a %s b\r\nc", "",
                    "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: a %s b\r\nc"}));

// An object offering the error-message pair, with scripted answers.
struct MessageObject {
  dbv::SQLResult lengthStatus = 0;
  std::uint16_t length = 0;
  dbv::SQLResult fetchStatus = 0;
  // Written without a NUL of its own. A view keeps the case table free of
  // std::string members, whose copies GCC 12 at -O3 wrongly reports as
  // maybe used uninitialized.
  std::string_view bytes;
  int fetches = 0;

  dbv::SQLResult getErrorMessageLen(std::uint16_t* out) {
    *out = length;
    return lengthStatus;
  }
  dbv::SQLResult getErrorMessage(char* out) {
    ++fetches;
    std::memcpy(out, bytes.data(), bytes.size());
    return fetchStatus;
  }
};

struct MessageCase {
  const char* behaviour;
  MessageObject object;
  std::optional<std::string> expected;
};
void PrintTo(const MessageCase& c, std::ostream* out) { *out << c.behaviour; }

class DriverMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(DriverMessage, IsTakenOnlyWhenBothRequestsSucceed) {
  MessageObject object = GetParam().object;
  EXPECT_EQ(driver_error::MessageOf(&object), GetParam().expected) << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, DriverMessage,
    ::testing::Values(MessageCase{"both succeed", {0, 3, 0, "abc"}, "abc"},
                      MessageCase{"the buffer is zero-filled: a shorter write ends there", {0, 3, 0, "ab"}, "ab"},
                      MessageCase{"the text ends at its first NUL", {0, 5, 0, std::string_view("ab\0cd", 5)}, "ab"},
                      MessageCase{"a failed length request", {65, 3, 0, "abc"}, std::nullopt},
                      MessageCase{"a zero length", {0, 0, 0, ""}, std::nullopt},
                      MessageCase{"a failed fetch", {0, 3, 65, "abc"}, std::nullopt},
                      MessageCase{"only the low 16 bits count as status", {0x10000, 3, 0x20000, "abc"}, "abc"}));

TEST(DriverMessageRequests, ZeroLengthIsNotFetched) {
  MessageObject object{0, 0, 0, "", 0};
  EXPECT_EQ(driver_error::MessageOf(&object), std::nullopt);
  EXPECT_EQ(object.fetches, 0);
}

TEST(DriverMessageRequests, NoObjectGivesNoMessage) {
  EXPECT_EQ(driver_error::MessageOf<MessageObject>(nullptr), std::nullopt);
}

TEST(DriverErrorText, TakesTheStatusFromTheLowSixteenBits) {
  MessageObject object{0, 1, 0, "M"};
  EXPECT_EQ(driver_error::TextFor(0x70041, &object, ""), "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: M");
}

}  // namespace
