// The fields of an opened result: their names, and values read from the
// cursor's current row at the moment they are asked for, as text.
#include <gtest/gtest.h>

#include "QueryFixture.h"

namespace {

using dbv::FieldType;
using support::Calls;
using support::QueryFixture;

std::vector<std::string> FieldNames(const TSQLQuery& query) {
  std::vector<std::string> names;
  for (const auto& field : query.Fields()) names.push_back(field->FieldName());
  return names;
}

void OpenOne(QueryFixture& f, fake::Column column, fake::Cell cell) {
  fake::ScriptStatement({.sqlContains = "SELECT", .returnsCursor = true, .columns = {column}, .rows = {{cell}}});
  f.SetLines({"SELECT V FROM T"});
  f.query.Open();
  fake::ClearCalls();
}

TEST(QueryFields, RepeatedColumnNamesGetACounter) {
  const struct {
    std::vector<std::string> columns;
    std::vector<std::string> fields;
  } cases[] = {
      {{"A", "B"}, {"A", "B"}},
      {{"A", "A", "A"}, {"A", "A_1", "A_2"}},
      {{"A", "A_1", "A"}, {"A", "A_1", "A_2"}},
      {{"NAME", "name"}, {"NAME", "name_1"}},
  };
  for (const auto& c : cases) {
    QueryFixture f;
    fake::Statement statement{.sqlContains = "SELECT", .returnsCursor = true};
    for (const std::string& name : c.columns) statement.columns.push_back({.name = name});
    fake::ScriptStatement(statement);
    f.SetLines({"SELECT * FROM T"});
    f.query.Open();
    EXPECT_EQ(FieldNames(f.query), c.fields) << c.columns.size() << " columns, first " << c.columns[0];
  }
}

TEST(QueryFields, FieldsCarryTheDescribedTypeAndSize) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(true));
  f.SetLines(support::kTableProbe);
  f.query.Open();
  ASSERT_EQ(f.query.Fields().size(), 3u);
  const TField& name = *f.query.Fields()[2];
  EXPECT_EQ(name.FieldName(), "RDB$RELATION_NAME");
  EXPECT_EQ(name.DataType(), FieldType::String);
  EXPECT_EQ(name.Size(), 31u);
  EXPECT_EQ(f.query.Fields()[0]->DataType(), FieldType::Blob);
}

TEST(QueryFields, FieldByNameIgnoresLetterCaseAndTakesTheFirstMatch) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(true));
  f.SetLines(support::kTableProbe);
  f.query.Open();
  EXPECT_EQ(&f.query.FieldByName("rdb$relation_name"), f.query.Fields()[2].get());
  EXPECT_EQ(&f.query.FieldByName("Rdb$Relation_Id"), f.query.Fields()[1].get());
}

struct ValueCase {
  FieldType type;
  std::uint32_t length;
  fake::Cell cell;
  std::string text;
  const char* getter;
};

TEST(QueryFields, AsStringGivesTheDriversValueAsText) {
  const ValueCase cases[] = {
      {FieldType::String, 31, std::string("UPDATE_HIST"), "UPDATE_HIST", "cursor.getString(1)"},
      {FieldType::String, 8, std::string("PADDED  "), "PADDED  ", "cursor.getString(1)"},
      {FieldType::String, 4, std::string("\xA4\x40\xAF\xEB"), "\xA4\x40\xAF\xEB", "cursor.getString(1)"},  // 一般
      {FieldType::Int16, 0, std::string("-5"), "-5", "cursor.getShort(1)"},
      {FieldType::Boolean, 0, std::string("1"), "True", "cursor.getShort(1)"},
      {FieldType::Boolean, 0, std::string("0"), "False", "cursor.getShort(1)"},
      {FieldType::Int32, 0, std::string("2147483647"), "2147483647", "cursor.getLong(1)"},
      {FieldType::Double, 0, std::string("2.5"), "2.5", "cursor.getDouble(1)"},
      {FieldType::Decimal, 0, std::string("-123.45"), "-123.45", "cursor.getDecimal(1)"},
      {FieldType::Decimal, 0, std::string("0.05"), "0.05", "cursor.getDecimal(1)"},
      {FieldType::Decimal, 0, std::string("42"), "42", "cursor.getDecimal(1)"},
      {FieldType::Date, 0, std::string("1"), "0001-01-01", "cursor.getDate(1)"},
      {FieldType::Date, 0, std::string("738886"), "2024-01-01", "cursor.getDate(1)"},
      {FieldType::Time, 0, std::string("45296789"), "12:34:56.789", "cursor.getTime(1)"},
      {FieldType::Time, 0, std::string("3600000"), "01:00:00", "cursor.getTime(1)"},
      {FieldType::Timestamp, 0, std::string("730119 86399000"), "1999-12-31 23:59:59", "cursor.getTimestamp(1)"},
      {FieldType::Bytes, 3, std::string("ab"), std::string("ab\0", 3), "cursor.getBytes(1)"},
      {FieldType::Blob, 0, std::string("blob bytes"), "blob bytes", "cursor.getBlob(1)"},
  };
  for (const ValueCase& c : cases) {
    QueryFixture f;
    OpenOne(f, {.name = "V", .type = c.type, .length = c.length}, c.cell);
    const TField& field = f.query.FieldByName("V");
    EXPECT_EQ(field.AsString(), c.text) << c.getter << " " << *c.cell;
    EXPECT_FALSE(field.IsNull()) << c.getter;
    EXPECT_TRUE(fake::Called(c.getter)) << c.getter;
  }
}

TEST(QueryFields, ANullValueReadsAsEmptyTextForEveryType) {
  for (const FieldType type : {FieldType::String, FieldType::Int16, FieldType::Int32, FieldType::Double,
                               FieldType::Decimal, FieldType::Date, FieldType::Time, FieldType::Timestamp,
                               FieldType::Bytes, FieldType::Blob, FieldType::Boolean}) {
    QueryFixture f;
    OpenOne(f, {.name = "V", .type = type, .length = 4}, std::nullopt);
    EXPECT_TRUE(f.query.FieldByName("V").IsNull()) << static_cast<int>(type);
    EXPECT_EQ(f.query.FieldByName("V").AsString(), "") << static_cast<int>(type);
  }
}

TEST(QueryFields, EveryReadAsksTheCursorAgain) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(true));
  f.SetLines(support::kTableProbe);
  f.query.Open();
  fake::ClearCalls();
  TField& name = f.query.FieldByName("RDB$RELATION_NAME");
  EXPECT_TRUE(fake::Calls().empty()) << "finding a field reads nothing";
  name.AsString();
  name.IsNull();
  EXPECT_EQ(fake::Calls(), (Calls{"cursor.getColumnType(3)", "cursor.getString(3)", "cursor.getColumnType(3)",
                                  "cursor.getString(3)"}));
}

TEST(QueryFields, ABlobIsTransferredOnlyForItsText) {
  QueryFixture f;
  OpenOne(f, {.name = "V", .type = FieldType::Blob}, std::string("contents"));
  EXPECT_FALSE(f.query.FieldByName("V").IsNull());
  EXPECT_EQ(fake::CallsStartingWith({"cursor.getBlob"}), Calls{"cursor.getBlobSize(1)"});
}

TEST(QueryFields, MaxBlobSizeBoundsABlobRead) {
  const std::string big(3000, 'x');
  const struct {
    std::int32_t maxBlobSize;
    std::size_t length;
  } cases[] = {{-1, 3000}, {0, 0}, {1, 1024}, {4, 3000}};
  for (const auto& c : cases) {
    QueryFixture f;
    f.query.MaxBlobSize = c.maxBlobSize;
    OpenOne(f, {.name = "V", .type = FieldType::Blob}, big);
    EXPECT_EQ(f.query.FieldByName("V").AsString(), std::string(c.length, 'x')) << "MaxBlobSize " << c.maxBlobSize;
    EXPECT_EQ(fake::Called("cursor.getBlob("), c.length > 0) << "MaxBlobSize " << c.maxBlobSize;
  }
}

}  // namespace
