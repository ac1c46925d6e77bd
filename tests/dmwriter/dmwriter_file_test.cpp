// Data-file writer, file level: header, block 0, block headers, the ways to
// break a file, and output to a file. Expected bytes are written out by hand
// from the file layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/common/tempdir.h"
#include "tests/dmwriter/bytes_reader.h"
#include "tools/dmwriter/dmwriter.h"

namespace {

using dmwtest::Bytes;

// A small file: table 200, version 3, sub-version 3, time 0x12345678, block
// 0 with two texts, block 1 with three bytes, block 2 empty.
dmw::DataFile smallFile() {
  dmw::DataFile f = dmw::DataFile::forTable(dmw::kEbhf);
  f.creation_time = 0x12345678;
  f.setInfo({"VERSIONSINFO=3.1", "A=B"});
  f.addBlock(1, Bytes{0xAA, 0xBB, 0xCC});
  f.addBlock(2, Bytes{});
  return f;
}

const Bytes kSmallFile = {
    // header: format 1, table 200, version 3, sub-version 3, time, reserved
    0x01, 0x00, 0xC8, 0x00, 0x03, 0x00, 0x03, 0x00, 0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0,
    // block 0, 22 bytes: "VERSIONSINFO=3.1\0A=B\0\0"
    0x00, 0x00, 0x16, 0x00, 0x00, 0x00, 'V', 'E', 'R', 'S', 'I', 'O', 'N', 'S', 'I', 'N', 'F', 'O',
    '=', '3', '.', '1', 0, 'A', '=', 'B', 0, 0,
    // block 1, 3 bytes
    0x01, 0x00, 0x03, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0xCC,
    // block 2, empty
    0x02, 0x00, 0x00, 0x00, 0x00, 0x00};

TEST(DmwriterFile, SerialisesHeaderInfoAndBlocksByteForByte) {
  EXPECT_EQ(smallFile().bytes(), kSmallFile);
}

TEST(DmwriterFile, DefaultsAreAValidEmptyFile) {
  dmw::DataFile f = dmw::DataFile::forTable(dmw::kGren);
  Bytes b = f.bytes();
  ASSERT_EQ(b.size(), 26u + 6u + 1u);
  EXPECT_EQ(dmwtest::i16(b, 0), 1);
  EXPECT_EQ(dmwtest::i16(b, 2), 211);
  EXPECT_EQ(dmwtest::i16(b, 4), 2);
  EXPECT_EQ(dmwtest::i16(b, 6), 1);
  EXPECT_EQ(dmwtest::i32(b, 8), dmw::kDefaultCreationTime);
  EXPECT_NE(dmw::kDefaultCreationTime, 0);
  EXPECT_EQ(dmwtest::i16(b, 26), 0);  // block 0 ...
  EXPECT_EQ(dmwtest::i32(b, 28), 1);  // ... holding only the closing NUL
  EXPECT_EQ(b[32], 0);
}

TEST(DmwriterFile, OffsetsPointAtBlockHeadersAndData) {
  dmw::DataFile f = smallFile();
  EXPECT_EQ(f.blockHeaderOffset(0), 26u);
  EXPECT_EQ(f.blockDataOffset(0), 32u);
  EXPECT_EQ(f.blockHeaderOffset(1), 54u);
  EXPECT_EQ(f.blockDataOffset(1), 60u);
  EXPECT_EQ(f.blockHeaderOffset(2), 63u);
  EXPECT_EQ(f.blockHeaderOffset(3), kSmallFile.size());  // end of the last block
  EXPECT_THROW(f.blockHeaderOffset(4), std::out_of_range);
  EXPECT_THROW(f.blockDataOffset(3), std::out_of_range);
  EXPECT_EQ(f.block(1).data, (Bytes{0xAA, 0xBB, 0xCC}));
  EXPECT_THROW(f.block(7), std::out_of_range);
}

// Every way to break a file, each checked at the bytes it changes.
TEST(DmwriterFile, BrokenFilesChangeExactlyTheirBytes) {
  struct Case {
    const char* what;
    void (*damage)(dmw::DataFile&);
    std::size_t at;  // first byte expected to differ from kSmallFile
    Bytes expect;    // bytes expected from `at` on (size: the rest)
  };
  const Case cases[] = {
      {"format", [](dmw::DataFile& f) { f.format = 2; }, 0, {0x02, 0x00}},
      {"table number", [](dmw::DataFile& f) { f.table_number = -1; }, 2, {0xFF, 0xFF}},
      {"version", [](dmw::DataFile& f) { f.version = 4; }, 4, {0x04, 0x00}},
      {"sub-version", [](dmw::DataFile& f) { f.sub_version = 0x0104; }, 6, {0x04, 0x01}},
      {"block number", [](dmw::DataFile& f) { f.block(1).number = 3; }, 54, {0x03, 0x00}},
      {"block 0 number", [](dmw::DataFile& f) { f.info.number = 1; }, 26, {0x01, 0x00}},
      {"declared length",
       [](dmw::DataFile& f) { f.block(1).declared_length = 0x7FFFFFFF; },
       56,
       {0xFF, 0xFF, 0xFF, 0x7F}},
      {"negative length",
       [](dmw::DataFile& f) { f.block(2).declared_length = -6; },
       65,
       {0xFA, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dmw::DataFile f = smallFile();
    c.damage(f);
    Bytes b = f.bytes();
    ASSERT_EQ(b.size(), kSmallFile.size());
    for (std::size_t k = 0; k < b.size(); ++k) {
      if (k >= c.at && k < c.at + c.expect.size()) {
        EXPECT_EQ(b[k], c.expect[k - c.at]) << "byte " << k;
      } else {
        EXPECT_EQ(b[k], kSmallFile[k]) << "byte " << k;
      }
    }
  }
}

TEST(DmwriterFile, TruncationTrailingBytesAndOddLengths) {
  dmw::DataFile f = smallFile();
  f.truncate_to = 20;  // inside the header
  EXPECT_EQ(f.bytes(), Bytes(kSmallFile.begin(), kSmallFile.begin() + 20));
  f.truncate_to = f.blockDataOffset(1) + 1;  // one data byte of block 1
  EXPECT_EQ(f.bytes().size(), 61u);
  EXPECT_EQ(f.bytes().back(), 0xAA);
  f.truncate_to = 10000;  // longer than the file: no effect
  EXPECT_EQ(f.bytes(), kSmallFile);

  dmw::DataFile t = smallFile();
  t.trailing = {0x11, 0x22};
  Bytes b = t.bytes();
  ASSERT_EQ(b.size(), kSmallFile.size() + 2);
  EXPECT_EQ(b[b.size() - 2], 0x11);
  EXPECT_EQ(b[b.size() - 1], 0x22);

  // A length that is not a multiple of the record size: the data grows and
  // the header says so.
  dmw::DataFile odd = smallFile();
  odd.block(1).data.push_back(0xDD);
  Bytes o = odd.bytes();
  EXPECT_EQ(dmwtest::i32(o, 56), 4);
  EXPECT_EQ(o[63], 0xDD);
  EXPECT_EQ(dmwtest::i16(o, 64), 2);  // block 2 header follows directly
}

TEST(DmwriterFile, InfoTextsAndVersionsInfo) {
  dmw::DataFile f = dmw::DataFile::forTable(dmw::kFehl);
  f.setVersionsInfo("7.2");
  EXPECT_EQ(f.info.data, (Bytes{'V', 'E', 'R', 'S', 'I', 'O', 'N', 'S', 'I', 'N', 'F', 'O', '=',
                                '7', '.', '2', 0, 0}));
  f.setInfo({});
  EXPECT_EQ(f.info.data, (Bytes{0}));
  EXPECT_THROW(f.setInfo({std::string("A=\0B", 4)}), std::invalid_argument);
}

TEST(DmwriterFile, PutHelpersAreLittleEndianAndBoundsChecked) {
  Bytes b(8, 0);
  dmw::putU16(b, 0, 0xBEEF);
  dmw::putU32(b, 2, 0x80000001u);
  dmw::putI16(b, 6, -2);
  EXPECT_EQ(b, (Bytes{0xEF, 0xBE, 0x01, 0x00, 0x00, 0x80, 0xFE, 0xFF}));
  EXPECT_THROW(dmw::putU32(b, 5, 1), std::out_of_range);
  EXPECT_THROW(dmw::putU16(b, 7, 1), std::out_of_range);
  EXPECT_THROW(dmw::putU8(b, 8, 1), std::out_of_range);
  EXPECT_THROW(dmw::putText(b, 0, "ABC", 2, "test"), std::invalid_argument);
  dmw::putText(b, 0, "\x84", 3, "test");
  EXPECT_EQ(b[0], 0x84);
  EXPECT_EQ(b[1], 0x20);
  EXPECT_EQ(b[2], 0x20);
}

TEST(DmwriterFile, WritesTheBytesToAFile) {
  const tempdir::Folder dir("dmwriter-file");
  std::filesystem::path p = dir.path() / "DMEBHF";
  smallFile().write(p);
  std::ifstream in(p, std::ios::binary);
  Bytes back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(back, kSmallFile);
  in.close();
  EXPECT_THROW(smallFile().write(dir.path() / "no" / "such" / "dir" / "X"), std::runtime_error);
}

}  // namespace
