// Debug log, text helpers and the little-endian coding helpers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/le.h"
#include "support/utlog.h"
#include "tests/support/le_reader.h"

namespace {

TEST(SupportText, StrToIntFeld) {
  struct Case {
    const char* field;
    int length;
    int value;
    int error;
  } cases[] = {
      {" 42 ", 4, 42, 0},
      {"42x", 3, 42, 1},
      {"-17", 3, -17, 0},
      {"+17", 3, 17, 0},
      {"2147483647", 10, 2147483647, 0},
      {"-2147483647", 11, -2147483647, 0},
      {"2147483648", 10, 0, 1},
      {"-2147483648", 11, 0, 1},
      {"   ", 3, 0, 1},
      {"+", 1, 0, 1},
      {"-", 1, 0, 1},
      {"", 0, 0, 1},
      {"7", -1, 0, 1},
      {"12\0zz", 5, 12, 0},  // a terminator inside the field ends it
      {"1234", 2, 12, 0},    // only length characters count
      {"12 3", 4, 12, 1},
      {"\t\n\v\f\r9", 6, 9, 0},
      {" - 5", 4, 0, 1},  // no digit right after the sign
      {"x", 1, 0, 1},
      {"\xA0"
       "5",
       2, 0, 1},  // a byte above 0x7F is no white space
  };
  for (const Case& c : cases) {
    int error = -1;
    EXPECT_EQ(StrToIntFeld(c.field, c.length, &error), c.value) << '"' << c.field << '"';
    EXPECT_EQ(error, c.error) << '"' << c.field << '"';
  }
  int error = 0;
  EXPECT_EQ(StrToIntFeld(nullptr, 3, &error), 0);
  EXPECT_EQ(error, 1);
  // The field is never read beyond a terminator: a 2-byte buffer with a
  // larger length (AddressSanitizer checks the heap copy).
  std::vector<char> two = {'5', '\0'};
  char* heap = new char[2];
  std::memcpy(heap, two.data(), 2);
  EXPECT_EQ(StrToIntFeld(heap, 100, &error), 5);
  EXPECT_EQ(error, 0);
  delete[] heap;
}

TEST(SupportText, German7BitTable) {
  char alle[256];
  for (int b = 0; b < 256; ++b) alle[b] = static_cast<char>(b);
  EXPECT_EQ(UtToGerman7Bit(alle, 256), alle);
  auto tafel = [&alle](int b) { return static_cast<unsigned char>(alle[b]); };
  for (int b = 0; b < 0x80; ++b) EXPECT_EQ(tafel(b), b);
  const std::pair<int, char> letters[] = {{0x81, '}'},  {0x84, '{'}, {0x8E, '['}, {0x94, '|'},
                                          {0x99, '\\'}, {0x9A, ']'}, {0xE1, '~'}};
  int special = 0;
  for (int b = 0x80; b < 0x100; ++b) {
    char want = ' ';
    for (auto [code, c] : letters)
      if (code == b) want = c, ++special;
    EXPECT_EQ(tafel(b), static_cast<unsigned char>(want)) << std::hex << b;
  }
  EXPECT_EQ(special, 7);

  char word[] =
      "Gr\x94\xE1"
      "e \xC4\xCD";  // Groesse in the DOS code page, box bytes
  EXPECT_EQ(UtToGerman7Bit(word, 8), word);
  EXPECT_STREQ(word, "Gr|~e   ");
  char untouched[] = "\x94";
  UtToGerman7Bit(untouched, -1);
  UtToGerman7Bit(untouched, 0);
  EXPECT_STREQ(untouched, "\x94");
  EXPECT_EQ(UtToGerman7Bit(nullptr, 3), nullptr);
  unsigned char b[] = {1, 2};
  EXPECT_EQ(StrTranslate(b, 2, nullptr), b);
  EXPECT_EQ(b[0], 1);
}

TEST(SupportText, TrimAndReverse) {
  char a[] = "abc \t\n";
  EXPECT_STREQ(StrTrimRight(a), "abc");
  char b[] = "   ";
  EXPECT_STREQ(StrTrimRight(b), "");
  char c[] = "x\xA0";
  EXPECT_STREQ(StrTrimRight(c), "x\xA0") << "no locale white space";
  EXPECT_EQ(StrTrimRight(nullptr), nullptr);

  char in[] = "abcde";
  StrReverse(in, in, 5);
  EXPECT_STREQ(in, "edcba");
  StrReverse(in, in, 4);
  EXPECT_STREQ(in, "bcdea");
  char out[5] = {};
  StrReverse(out, "1234", 4);
  EXPECT_STREQ(out, "4321");
  StrReverse(out, "zz", 0);
  EXPECT_STREQ(out, "4321");
}

TEST(SupportText, LogWritesLevelThreeAndAbove) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  UtLogWrite(4, "before the stream %d", 1);
  UtLogSetStream(f);
  EXPECT_EQ(UtLogStream(), f);
  UtLogWrite(1, "level %d", 1);
  UtLogWrite(2, "level %d", 2);
  UtLogWrite(3, "level %d", 3);
  UtLogWriteNoFlush(4, "level %s", "4");
  UtLogSetStream(nullptr);
  std::rewind(f);
  char buf[128] = {};
  std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  EXPECT_EQ(std::string(buf, n), "level 3\nlevel 4\n");
}

TEST(SupportText, LittleEndianHelpers) {
  const unsigned char b[] = {0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x92};
  EXPECT_EQ(LeGetU16(b), 0x1234);
  EXPECT_EQ(LeGetI16(b + 2), -2);
  EXPECT_EQ(LeGetU32(b + 4), 0x92345678u);
  EXPECT_EQ(LeGetI32(b + 4), static_cast<std::int32_t>(0x92345678u));
  unsigned char o[8] = {};
  LePutU16(o, 0x1234);
  LePutI16(o + 2, -2);
  LePutI32(o + 4, static_cast<std::int32_t>(0x92345678u));
  EXPECT_EQ(std::memcmp(o, b, 8), 0);

  std::vector<unsigned char> v;
  LeAppendU16(v, 0x1234);
  LeAppendI16(v, -2);
  LeAppendU32(v, 0x92345678u);
  LeAppendText(v, "ab", 4);
  LeAppendU8(v, 7);
  ASSERT_EQ(v.size(), 13u);
  EXPECT_EQ(std::memcmp(v.data(), b, 8), 0);

  LeReader r(v.data(), v.size());
  EXPECT_EQ(r.U16(), 0x1234);
  EXPECT_EQ(r.I16(), -2);
  EXPECT_EQ(r.U32(), 0x92345678u);
  char text[4];
  EXPECT_TRUE(r.Bytes(text, 4));
  EXPECT_EQ(std::string(text, 4), "ab  ");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.U16(), 0) << "one byte left";
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.U8(), 0) << "stays failed";
  LeReader s(v.data(), 3);
  EXPECT_FALSE(s.Seek(4));
  LeReader t(v.data(), 3);
  EXPECT_TRUE(t.Seek(3));
  EXPECT_EQ(t.Remaining(), 0u);
  EXPECT_FALSE(t.Skip(1));
}

}  // namespace
