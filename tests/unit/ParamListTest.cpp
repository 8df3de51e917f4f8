// Lookups in the connection's parameter list.
#include <gtest/gtest.h>

#include <ostream>

#include "ParamList.h"

namespace {

struct LookupCase {
  const char* behaviour;
  ParamList params;
  const char* name;
  std::string expected;
};
void PrintTo(const LookupCase& c, std::ostream* out) { *out << c.behaviour; }

class ParamLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ParamLookup, YieldsTheFirstMatchingLinesValue) {
  EXPECT_EQ(GetParam().params.Value(GetParam().name), GetParam().expected) << GetParam().behaviour;
  EXPECT_EQ(GetParam().params.Present(GetParam().name), !GetParam().expected.empty()) << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParamLookup,
    ::testing::Values(LookupCase{"names match without regard to case", {"USER_NAME=sys"}, "User_Name", "sys"},
                      LookupCase{"the first line of the name wins", {"A=1", "a=2"}, "A", "1"},
                      LookupCase{"the value is all after the first =", {"A=b=c"}, "A", "b=c"},
                      LookupCase{"names are not trimmed", {"A =1", "A=2"}, "A", "2"},
                      LookupCase{"values are not trimmed", {"A= 1 "}, "A", " 1 "},
                      LookupCase{"a line without = has no name", {"A", "A=2"}, "A", "2"},
                      LookupCase{"a missing name is absent", {"A=1"}, "B", ""},
                      LookupCase{"an empty value is absent like a missing one", {"A=", "A=2"}, "A", ""},
                      LookupCase{"a name with blanks inside", {"Firebird TransIsolation=ReadCommited"},
                                 "firebird transisolation", "ReadCommited"},
                      LookupCase{"an empty list", {}, "A", ""}));

TEST(ParamListLines, ClearAndAddKeepTheOrder) {
  ParamList params{"A=1", "B=2"};
  params.Clear();
  params.Add("C=3");
  params.Add("A=4");
  EXPECT_EQ(params.Lines(), (std::vector<std::string>{"C=3", "A=4"}));
  EXPECT_EQ(params.Value("A"), "4");
}

}  // namespace
