// Built-in message table: one record per number with its severity, and the
// texts that the message file relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "msgtext/msgfile.h"

namespace {

std::set<int> Numbers(std::initializer_list<std::pair<int, int>> ranges) {
  std::set<int> out;
  for (auto [a, b] : ranges)
    for (int i = a; i <= b; ++i) out.insert(i);
  return out;
}

TEST(MsgtextBuiltin, OneRecordPerNumberWithItsSeverity) {
  const std::set<int> e = Numbers({{1, 14},
                                   {19, 25},
                                   {27, 35},
                                   {38, 38},
                                   {40, 43},
                                   {45, 48},
                                   {51, 51},
                                   {53, 54},
                                   {56, 61},
                                   {63, 80},
                                   {82, 82},
                                   {84, 88},
                                   {91, 105},
                                   {107, 114},
                                   {124, 137},
                                   {140, 141}});
  const std::set<int> m = Numbers({{15, 15},
                                   {26, 26},
                                   {36, 37},
                                   {39, 39},
                                   {44, 44},
                                   {49, 50},
                                   {52, 52},
                                   {55, 55},
                                   {62, 62},
                                   {81, 81},
                                   {83, 83},
                                   {89, 90},
                                   {115, 123},
                                   {138, 139}});
  const BuiltinTable& t = MsgBuiltinTables;
  ASSERT_EQ(t.count, 141);
  EXPECT_EQ(t.next, nullptr);
  for (int i = 0; i < t.count; ++i) {
    const BuiltinMessage& r = t.records[i];
    SCOPED_TRACE(r.number);
    EXPECT_EQ(r.number, i + 1);
    EXPECT_EQ(r.variant, 'D');
    EXPECT_EQ(std::string(r.SS_id, 2), "HD");
    EXPECT_EQ(r.zero, 0);
    char want = e.count(r.number) ? 'E' : m.count(r.number) ? 'M' : 'W';
    EXPECT_EQ(r.severity, want);
    size_t len = strnlen(r.text, sizeof r.text);
    ASSERT_LT(len, sizeof r.text);  // terminated, at most 70 characters
    EXPECT_GT(len, 0u);
    // Every placeholder is "%" digit letter with a letter the writer fills;
    // only number 1 keeps its "%1:" as text.
    for (size_t k = 0; k < len; ++k) {
      if (r.text[k] != '%') continue;
      ASSERT_LT(k + 2, len);
      EXPECT_TRUE(r.text[k + 1] >= '1' && r.text[k + 1] <= '9');
      if (r.number != 1) {
        EXPECT_NE(std::strchr("sdtFJP", r.text[k + 2]), nullptr) << r.text;
      }
      k += 2;
    }
    // Only the 7-bit characters of a text file.
    for (size_t k = 0; k < len; ++k) EXPECT_LT(static_cast<unsigned char>(r.text[k]), 0x80);
  }
  int w = 0;
  for (int i = 0; i < t.count; ++i) w += t.records[i].severity == 'W';
  EXPECT_EQ(w, 4);
}

TEST(MsgtextBuiltin, TellingRows) {
  struct {
    int number;
    const char* text;
  } rows[] = {
      {1, "%1: Initialisierung nicht erfolgreich"},
      {4, "Kann %1s nicht anmelden"},
      {15, "Stopzeit erreicht"},
      {16, "Anruf von unerlaubter Adresse %1s"},
      {102, "%1s: Fehlercode %2d,Subsys %3d,Fehler %4d,ext. Fehler %5d,Text %6s"},
  };
  for (auto& row : rows) {
    const BuiltinMessage* r = MsgFindBuiltin("HD", static_cast<std::uint16_t>(row.number));
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->text, row.text);
  }
}

TEST(MsgtextBuiltin, FindsByIdAndNumberOnly) {
  EXPECT_EQ(MsgFindBuiltin("HD", 0), nullptr);
  EXPECT_EQ(MsgFindBuiltin("HD", 142), nullptr);
  EXPECT_EQ(MsgFindBuiltin("EB", 4), nullptr);
  EXPECT_EQ(MsgFindBuiltin("hd", 4), nullptr);
  EXPECT_EQ(MsgFindBuiltin(nullptr, 4), nullptr);
  ASSERT_NE(MsgFindBuiltin("HD", 141), nullptr);
  EXPECT_EQ(MsgFindBuiltin("HD", 141)->number, 141);
}

}  // namespace
