// The INI syntax of the two registry files.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "IniFile.h"
#include "TempDir.h"

namespace {

using Entries = std::vector<std::string>;

struct SectionCase {
  const char* behaviour;
  std::string text;
  Entries expected;  // of section "Quintara"
};
void PrintTo(const SectionCase& c, std::ostream* out) { *out << c.behaviour; }

class IniSectionReading : public ::testing::TestWithParam<SectionCase> {};

TEST_P(IniSectionReading, GivesTheSectionsEntries) {
  EXPECT_EQ(IniFile::SectionOfText(GetParam().text, "Quintara"), GetParam().expected) << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, IniSectionReading,
    ::testing::Values(
        SectionCase{"a lower-case header is found", "[quintara]\r\nA=1\r\n", {"A=1"}},
        SectionCase{"the name between the brackets is trimmed", "  [ \tQuintara  ]  \nA=1", {"A=1"}},
        SectionCase{"a repeated section: the last one is read whole",
                    "[Quintara]\nA=1\nB=2\n[Other]\nX=9\n[QUINTARA]\nC=3\n", {"C=3"}},
        SectionCase{"blanks around = and at the ends make no difference", "[Quintara]\n   Key  =  a value \t\n",
                    {"Key=a value"}},
        SectionCase{"only the first = splits; the value keeps inner blanks", "[Quintara]\nA = b = c\n",
                    {"A=b = c"}},
        SectionCase{"comment lines are skipped, also when indented", "[Quintara]\n;A=1\n   ;B=2\nC=3 ;not a comment\n",
                    {"C=3 ;not a comment"}},
        SectionCase{"empty and blank lines are skipped", "[Quintara]\n\n   \n\t\nA=1\n", {"A=1"}},
        SectionCase{"lines before the first section are ignored", "A=1\nQuintara=2\n[Quintara]\nB=2\n", {"B=2"}},
        SectionCase{"a NUL byte ends the text", std::string("[Quintara]\nA=1\n\0B=2\n", 20), {"A=1"}},
        SectionCase{"a NUL inside a line ends it and the text", std::string("[Quintara]\nA=1\0tail\nB=2", 23),
                    {"A=1"}},
        SectionCase{"control characters are trimmed like blanks", "[Quintara]\n\x01\tA=1\x7f\x1f\n", {"A=1"}},
        SectionCase{"CR alone ends a line", "[Quintara]\rA=1\rB=2", {"A=1", "B=2"}},
        SectionCase{"LF alone ends a line", "[Quintara]\nA=1\nB=2", {"A=1", "B=2"}},
        SectionCase{"LF CR is two line ends, CR LF one", "[Quintara]\r\nA=1\n\rB=2\r\n", {"A=1", "B=2"}},
        SectionCase{"the last line needs no line end", "[Quintara]\nA=1", {"A=1"}},
        SectionCase{"a line without = is kept unchanged", "[Quintara]\n  just some text  \nA=1\n",
                    {"just some text", "A=1"}},
        SectionCase{"an unclosed bracket is an entry", "[Quintara]\n[Other\nA=1\n", {"[Other", "A=1"}},
        SectionCase{"empty key and empty value are kept", "[Quintara]\n = x\nA =\n", {"=x", "A="}},
        SectionCase{"other sections are not read", "[Other]\nA=1\n[Quintara]\nB=2\n[Third]\nC=3\n", {"B=2"}},
        SectionCase{"a missing section reads empty", "[Other]\nA=1\n", {}},
        SectionCase{"an empty text reads empty", "", {}},
        SectionCase{"bytes above 0x7F pass unchanged",
                    "[Quintara]\nName = \xA4\x40\xAF\xEB\n",  // 一般
                    {"Name=\xA4\x40\xAF\xEB"}}));

struct ValueCase {
  const char* behaviour;
  std::string text;
  const char* key;
  std::string expected;
};
void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.behaviour; }

class IniValueReading : public ::testing::TestWithParam<ValueCase> {};

TEST_P(IniValueReading, GivesTheKeysValue) {
  support::TempDir dir;
  const IniFile ini(dir.Write("x.ini", GetParam().text));
  EXPECT_EQ(ini.ReadString("Quintara", GetParam().key), GetParam().expected) << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, IniValueReading,
    ::testing::Values(ValueCase{"the first line of a key wins", "[Quintara]\nA=1\na=2\nA=3\n", "A", "1"},
                      ValueCase{"keys match without regard to case", "[Quintara]\nUSER_NAME=sys\n", "User_Name", "sys"},
                      ValueCase{"a line without = never matches", "[Quintara]\nA\nA=2\n", "A", "2"},
                      ValueCase{"a missing key reads empty", "[Quintara]\nA=1\n", "B", ""},
                      ValueCase{"the key is trimmed before matching", "[Quintara]\n  Database   = h:/x \n", "Database",
                                "h:/x"},
                      ValueCase{"the key of the last occurrence only", "[Quintara]\nA=1\n[Quintara]\nB=2\n", "A", ""}));

TEST(IniFileOnDisk, MissingFileReadsEmptyAndDoesNotExist) {
  support::TempDir dir;
  const IniFile ini(dir.PathOf("none.ini"));
  EXPECT_FALSE(ini.Exists());
  EXPECT_TRUE(ini.ReadSection("Quintara").empty());
  EXPECT_EQ(ini.ReadString("Quintara", "A"), "");
}

TEST(IniFileOnDisk, NeitherAnEmptyPathNorAFolderIsAFile) {
  support::TempDir dir;
  EXPECT_FALSE(IniFile("").Exists());
  EXPECT_FALSE(IniFile(dir.Path().string()).Exists());
  EXPECT_TRUE(IniFile(dir.Path().string()).ReadSection("Quintara").empty());
  EXPECT_TRUE(IniFile(dir.Write("empty.ini", "")).Exists());
}

TEST(IniFileOnDisk, TheFileIsReadAfreshAtEveryUse) {
  support::TempDir dir;
  const IniFile ini(dir.Write("x.ini", "[Quintara]\nA=1\n"));
  EXPECT_EQ(ini.ReadString("Quintara", "A"), "1");
  dir.Write("x.ini", "[Quintara]\nA=2\n");
  EXPECT_EQ(ini.ReadString("Quintara", "A"), "2");
}

TEST(IniFileOnDisk, LinesLongerThanOneReadPieceStayWhole) {
  support::TempDir dir;
  const std::string value(200 * 1024, 'v');
  const IniFile ini(dir.Write("x.ini", "[Quintara]\r\nA=" + value + "\r\nB=2\r\n"));
  EXPECT_EQ(ini.ReadSection("Quintara"), (Entries{"A=" + value, "B=2"}));
}

}  // namespace
