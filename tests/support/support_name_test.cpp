// The name register.
#include <gtest/gtest.h>

#include <string>

#include "support/utfault.h"
#include "support/utname.h"

namespace {

class SupportName : public ::testing::Test {
 protected:
  void TearDown() override {
    UtSetQueryHook(nullptr);
    UtFaultFailAllocAfter(kUtFaultName, -1);
    UtRemoveGroup("REGISTER");
    EXPECT_EQ(UtQueryName("REGISTER", "FEHL"), nullptr);
  }
};

std::string Q(const char* group, const char* name) {
  const char* v = UtQueryName(group, name);
  return v ? v : "<null>";
}

TEST_F(SupportName, QueriesFoldAsciiCaseOnly) {
  ASSERT_EQ(UtRegisterName("FEHL", "DMFEHL"), 0);
  ASSERT_EQ(UtRegisterName("Absender", "ZOLMA"), 0);
  ASSERT_EQ(UtRegisterName("\xC4Q", "umlaut"), 0);  // a non-ASCII byte in the name
  struct Case {
    const char* group;
    const char* name;
    const char* want;
  } cases[] = {
      {"register", "fehl", "DMFEHL"},    {"REGISTER", "FEHL", "DMFEHL"},
      {"Register", "ABSENDER", "ZOLMA"}, {"ALLG", "LOGVERSIONSINFO", "<null>"},
      {"REGISTER", "FEHLX", "<null>"},   {"REGISTER", "\xC4q", "umlaut"},
      {"REGISTER", "\xE4Q", "<null>"},  // 0xC4 and 0xE4 are not folded
      {nullptr, "FEHL", "<null>"},       {"REGISTER", nullptr, "<null>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Q(c.group, c.name), c.want)
        << (c.group ? c.group : "null") << "/" << (c.name ? c.name : "null");
  EXPECT_EQ(std::string(UtQueryRegister("fEhL")), "DMFEHL");
}

TEST_F(SupportName, RegisterDoesNotReplaceSetDoes) {
  EXPECT_EQ(UtRegisterName("EBHF", "DMEBHF"), 0);
  EXPECT_EQ(UtRegisterName("ebhf", "OTHER"), 1);
  EXPECT_EQ(Q("REGISTER", "EBHF"), "DMEBHF");
  EXPECT_EQ(UtSetName("EbHf", "NEU"), 0);
  EXPECT_EQ(Q("REGISTER", "EBHF"), "NEU");
}

TEST_F(SupportName, EntryWithoutValue) {
  EXPECT_EQ(UtSetName("GREN", nullptr), 1);
  EXPECT_EQ(Q("REGISTER", "GREN"), "<undefiniert>");
  EXPECT_EQ(UtRegisterName("GREN", "X"), 1);
  EXPECT_EQ(UtSetName("GREN", "#$/&-.+()"), 0);
  EXPECT_EQ(Q("REGISTER", "GREN"), "#$/&-.+()");
}

TEST_F(SupportName, SetNameWithItsOwnValueCopiesBeforeFreeing) {
  ASSERT_EQ(UtSetName("STEN", "DMSTEN"), 0);
  // The query answer points into the entry's value; setting it again must
  // not read the value after freeing it (AddressSanitizer checks this).
  EXPECT_EQ(UtSetName("STEN", UtQueryName("REGISTER", "STEN")), 0);
  EXPECT_EQ(Q("REGISTER", "STEN"), "DMSTEN");
  EXPECT_EQ(UtSetName("STEN", UtQueryName("REGISTER", "STEN") + 2), 0);
  EXPECT_EQ(Q("REGISTER", "STEN"), "STEN");
}

TEST_F(SupportName, RemoveNamesAndGroups) {
  UtSetName("A", "1");
  UtSetName("B", "2");
  UtSetName("C", "3");
  UtRemoveName("register", "b");
  UtRemoveName("REGISTER", "nope");
  UtRemoveName("ALLG", "A");
  EXPECT_EQ(Q("REGISTER", "A"), "1");
  EXPECT_EQ(Q("REGISTER", "B"), "<null>");
  EXPECT_EQ(Q("REGISTER", "C"), "3");
  UtRemoveName("REGISTER", "A");
  UtRemoveName("REGISTER", "C");
  UtRemoveGroup("ALLG");
  UtRemoveGroup("Register");  // only the group is left to free
  EXPECT_EQ(Q("REGISTER", "A"), "<null>");
  // The group comes back on the next set.
  EXPECT_EQ(UtSetName("A", "4"), 0);
  EXPECT_EQ(Q("REGISTER", "A"), "4");
}

TEST_F(SupportName, OutOfMemoryWhileStoring) {
  // Allocation order of a first set: group node, group name, entry node,
  // entry name, value.
  struct Case {
    int failAfter;
    int setResult;
    const char* after;
  } cases[] = {
      {0, 1, "<null>"}, {1, 1, "<null>"},        {2, 1, "<null>"},
      {3, 1, "<null>"}, {4, 1, "<undefiniert>"},
  };
  for (const Case& c : cases) {
    UtRemoveGroup("REGISTER");
    UtFaultFailAllocAfter(kUtFaultName, c.failAfter);
    EXPECT_EQ(UtSetName("TDRG", "DMTDRG"), c.setResult) << c.failAfter;
    UtFaultFailAllocAfter(kUtFaultName, -1);
    EXPECT_EQ(Q("REGISTER", "TDRG"), c.after) << c.failAfter;
  }
  UtRemoveGroup("REGISTER");
  UtFaultFailAllocAfter(kUtFaultName, 0);
  EXPECT_EQ(UtRegisterName("TDRG", "DMTDRG"), 2);
}

// Answers every query, found or not.
const char* Upper(const char*, const char*, const char*, int) { return "HOOKED"; }

TEST_F(SupportName, QueryHookSeesEveryQueryButNotTheRegisterTest) {
  UtSetName("FEHL", "DMFEHL");
  EXPECT_EQ(UtSetQueryHook(Upper), nullptr);
  EXPECT_EQ(Q("REGISTER", "FEHL"), "HOOKED");
  EXPECT_EQ(Q("REGISTER", "NONE"), "HOOKED");
  EXPECT_EQ(UtRegisterName("NEW", "X"), 0) << "the existence test bypasses the hook";
  EXPECT_EQ(UtRegisterName("NEW", "Y"), 1);
  EXPECT_EQ(UtSetQueryHook(nullptr), Upper);
  EXPECT_EQ(Q("REGISTER", "NEW"), "X");
}

}  // namespace
