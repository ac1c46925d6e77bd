// Tests of the text conversions and the name normalisation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/bhfsuche.h"
#include "app/textconv.h"

namespace {

std::string trim(const char* in) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s", in);
  TrimRight(buf);
  return buf;
}

TEST(AppTextConv, TrimRightRemovesBlanksOnly) {
  EXPECT_EQ(trim("   "), "");
  EXPECT_EQ(trim(""), "");
  EXPECT_EQ(trim("a b  "), "a b");
  EXPECT_EQ(trim("a\t"), "a\t");
  TrimRight(nullptr);
}

TEST(AppTextConv, DosToAnsiChangesOnlyItsSevenBytes) {
  char text[] = "M\x81nchen \x8E\xE1\x84\x94\x99\x9A";
  DosToAnsi(text);
  EXPECT_STREQ(text, "M\xFCnchen \xC4\xDF\xE4\xF6\xD6\xDC");
  char ansi[] = "\xC4\xE4\xD6\xF6\xDC\xFC\xDF";  // already code page 1252
  DosToAnsi(ansi);
  EXPECT_STREQ(ansi, "\xC4\xE4\xD6\xF6\xDC\xFC\xDF");
}

TEST(AppTextConv, SevenBitGermanToAnsi) {
  char text[] = "M}nchen [\\]{|~";
  Din66003ToAnsi(text);
  EXPECT_STREQ(text, "M\xFCnchen \xC4\xD6\xDC\xE4\xF6\xDF");
}

struct NormCase {
  const char* in;
  int n;
  const char* out;
};

TEST(AppBhfNameNormieren, Table) {
  const NormCase cases[] = {
      {"M\xFCller", 21, "MUELLER"},
      {"stra\xDF"
       "e",
       21, "STRASSE"},
      {"K\xF6ln Hbf ", 21, "KOELN HBF"},
      {"caf\xE9", 21, "CAF\xE9"},                               // only a to z are raised
      {"ABCDEFGHIJ\xC4KLMNOPQRS", 21, "ABCDEFGHIJAEKLMNOPQR"},  // 20 in, 20 out
      {"ABCDEFGHIJKLMNOPQRS\xFC", 21, "ABCDEFGHIJKLMNOPQRSU"},  // umlaut at the end
      {"abcdefghijklmnopqrstuvwxyz", 21, "ABCDEFGHIJKLMNOPQRST"},
      {"   ", 21, ""},
      {"\xC4\xC4\xC4", 5, "AEAE"},
  };
  for (const auto& c : cases) {
    char buf[64];
    std::memset(buf, 'X', sizeof buf);
    std::snprintf(buf, sizeof buf, "%s", c.in);
    BhfNameNormieren(buf, c.n);
    EXPECT_STREQ(buf, c.out) << c.in;
    EXPECT_LE(std::strlen(buf), static_cast<size_t>(c.n - 1));
  }
}

}  // namespace
