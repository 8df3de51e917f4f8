#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SQLQuery.h"

namespace {

std::vector<std::string> NamesOf(const std::vector<TParam>& params) {
  std::vector<std::string> names;
  for (const TParam& param : params) names.push_back(param.Name);
  return names;
}

struct TextCase {
  const char* behaviour;
  std::vector<std::string> lines;
  std::string text;
};

TEST(StatementText, EveryLineEndsWithCrLfAndNothingElseChanges) {
  const TextCase cases[] = {
      {"two probe lines keep their blanks",
       {"SELECT * FROM RDB$RELATIONS ", " WHERE RDB$RELATION_NAME = 'UPDATE_HIST'"},
       "SELECT * FROM RDB$RELATIONS \r\n WHERE RDB$RELATION_NAME = 'UPDATE_HIST'\r\n"},
      {"one line", {"ALTER TABLE T ADD C VARCHAR(10)"}, "ALTER TABLE T ADD C VARCHAR(10)\r\n"},
      {"no lines give the empty text", {}, ""},
      {"a line break inside a line is not split", {"A\r\nB"}, "A\r\nB\r\n"},
      {"semicolon, comment and blanks stay", {"  SELECT 1 FROM X; -- note  "}, "  SELECT 1 FROM X; -- note  \r\n"},
      {"an empty line is a line", {"", "X"}, "\r\nX\r\n"},
      {"Big5 bytes pass unchanged", {"UPDATE T SET C = '\xA4\x40\xAF\xEB'"}, "UPDATE T SET C = '\xA4\x40\xAF\xEB'\r\n"},  // 一般
  };
  for (const TextCase& c : cases) {
    TSQLQuery query("SQLQuery1");
    for (const std::string& line : c.lines) query.AddLine(line);
    EXPECT_EQ(query.StatementText(), c.text) << c.behaviour;
    EXPECT_EQ(query.Lines(), c.lines) << c.behaviour;
    EXPECT_TRUE(query.Params().empty()) << c.behaviour;
  }
}

TEST(StatementText, ClearLinesEmptiesTheText) {
  TSQLQuery query("SQLQuery1");
  query.AddLine("SELECT 1 FROM RDB$DATABASE");
  query.ClearLines();
  EXPECT_EQ(query.StatementText(), "");
  EXPECT_TRUE(query.Lines().empty());
  query.AddLine("X");
  EXPECT_EQ(query.StatementText(), "X\r\n");
}

TEST(StatementText, ParamsFollowTheMarkersAndKeepKnownValues) {
  TSQLQuery query("SQLQuery1");
  query.AddLine("UPDATE T SET A = :first");
  ASSERT_EQ(NamesOf(query.Params()), std::vector<std::string>{"first"});
  query.Params()[0].Value = "kept";

  query.AddLine("WHERE B = :second");
  ASSERT_EQ(NamesOf(query.Params()), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(query.Params()[0].Value, "kept");
  EXPECT_EQ(query.Params()[1].Value, "");
  EXPECT_EQ(query.StatementText(), "UPDATE T SET A = :first\r\nWHERE B = :second\r\n") << "the scan changes no text";

  query.ClearLines();
  EXPECT_TRUE(query.Params().empty());
}

TEST(StatementText, WithoutParamCheckTheParamsStayAsTheyWere) {
  TSQLQuery query("SQLQuery1");
  query.AddLine("A = :a");
  query.ParamCheck = false;
  query.ClearLines();
  query.AddLine("B = :b");
  EXPECT_EQ(NamesOf(query.Params()), std::vector<std::string>{"a"});
  EXPECT_EQ(query.StatementText(), "B = :b\r\n");
}

}  // namespace
