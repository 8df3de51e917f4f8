#include "OptionAnswer.h"

#include <cstring>
#include <string>

#include "DriverContract.h"
#include "DriverFailure.h"

namespace dbvfb {
namespace {

void answerBytes(const void* bytes, std::size_t count, std::size_t needed, void* value, std::int32_t maxLength,
                 std::int32_t* length) {
  if (value == nullptr || maxLength < 0 || static_cast<std::size_t>(maxLength) < needed) {
    fail(dbv::status::InvalidParameter, "the option's answer needs " + std::to_string(needed) + " bytes");
  }
  std::memcpy(value, bytes, count);
  if (length != nullptr) *length = static_cast<std::int32_t>(count);
}

}  // namespace

void answerInteger(std::int32_t answer, void* value, std::int32_t maxLength, std::int32_t* length) {
  answerBytes(&answer, sizeof answer, sizeof answer, value, maxLength, length);
}

void answerAddress(std::intptr_t answer, void* value, std::int32_t maxLength, std::int32_t* length) {
  answerBytes(&answer, sizeof answer, sizeof answer, value, maxLength, length);
}

void answerByte(char answer, void* value, std::int32_t maxLength, std::int32_t* length) {
  answerBytes(&answer, 1, 1, value, maxLength, length);
}

void answerText(std::string_view answer, void* value, std::int32_t maxLength, std::int32_t* length) {
  answerBytes(answer.data(), answer.size(), answer.size() + 1, value, maxLength, length);
  static_cast<char*>(value)[answer.size()] = '\0';
}

}  // namespace dbvfb
