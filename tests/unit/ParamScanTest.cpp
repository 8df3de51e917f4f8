#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParamScan.h"
#include "TextRules.h"

namespace {

struct ScanCase {
  const char* behaviour;
  std::string text;
  std::vector<std::string> names;
};

TEST(ParamScan, FindsMarkersOutsideLiteralsOnly) {
  const ScanCase cases[] = {
      {"a real marker", "SELECT * FROM T WHERE A = :id\r\n", {"id"}},
      {"markers in order, ended by comma and parenthesis", "VALUES (:first, :second)", {"first", "second"}},
      {"a name ends at a blank", ":a b", {"a"}},
      {"a name ends at CR", ":a\rb", {"a"}},
      {"a name ends at LF", ":a\nb", {"a"}},
      {"a name ends at a semicolon", ":a;b", {"a"}},
      {"a name runs to the end of the text", "WHERE A = :last", {"last"}},
      {"a tab is part of a name", ":a\tb c", {"a\tb"}},
      {"a name used twice is listed twice", ":x = :x", {"x", "x"}},
      {"colon inside apostrophes", "WHERE A = 'x:y'", {}},
      {"colon inside double quotes", "SELECT \"x:y\" FROM T", {}},
      {"colon inside grave accents", "SELECT `x:y` FROM T", {}},
      {"after the closing quote markers count again", "'a:b' = :c", {"c"}},
      {"any quote closes a literal any other opened", "'a\" = :b", {"b"}},
      {"a doubled colon is no marker", "SELECT a::b FROM T", {}},
      {"a marker right after a doubled colon", "a:::b", {"b"}},
      {"a lone colon at the end names an empty marker", "a :", {""}},
      // 亡 is A4 60: its trail byte is the grave accent and must not open a literal.
      {"Big5 trail byte 0x60 outside a literal", "\xA4\x60 = :name", {"name"}},
      {"Big5 trail byte 0x60 inside a literal", "A = '\xA4\x60' AND B = :name", {"name"}},
      {"Big5 text in a literal makes no marker", "SET C = '\xA4\x40\xAF\xEB'\r\n", {}},  // 一般
      {"a lead byte as the last byte", "A = :a \xA4", {"a"}},
      {"no colon at all", "SELECT * FROM RDB$RELATIONS \r\n WHERE RDB$RELATION_NAME = 'X'\r\n", {}},
      {"empty text", "", {}},
  };
  for (const ScanCase& c : cases) {
    EXPECT_EQ(ParamMarkerNames(c.text), c.names) << c.behaviour;
  }
}

TEST(ParamScan, LeadBytesAreBig5Range) {
  const struct {
    unsigned char byte;
    bool lead;
  } cases[] = {{0x00, false}, {0x40, false}, {0x60, false}, {0x7F, false}, {0x80, false},
               {0x81, true},  {0xA4, true},  {0xAF, true},  {0xFE, true},  {0xFF, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsBig5LeadByte(c.byte), c.lead) << "byte 0x" << std::hex << int{c.byte};
  }
}

}  // namespace
