// Data-file writer, plain tables: every field of each stored record at the
// offset and width of its layout (one record per table whose fields all
// hold distinct values, bytes 0x80 to 0xFF included), the block order
// (ascending unsigned keys, newest first within a key, bit 15 ignored) and
// the files' identities.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/dmwriter/bytes_reader.h"
#include "tools/dmwriter/dmwriter.h"

namespace {

using dmwtest::Bytes;

struct Num {
  std::size_t at;
  std::size_t width;
  std::uint64_t value;
};
struct Txt {
  std::size_t at;
  std::string text;  // as stored, padding included
};

// Checks every listed field and that the fields cover each byte of the
// record exactly once, so a field at a wrong offset or of a wrong width
// shows either as a wrong value or as a gap or overlap.
void expectLayout(const Bytes& rec, std::size_t size, const std::vector<Num>& nums,
                  const std::vector<Txt>& texts) {
  ASSERT_EQ(rec.size(), size);
  std::vector<int> cover(size, 0);
  for (const Num& n : nums) {
    EXPECT_EQ(dmwtest::le(rec, n.at, n.width), n.value) << "field at " << n.at;
    for (std::size_t k = 0; k < n.width && n.at + k < size; ++k) ++cover[n.at + k];
  }
  for (const Txt& t : texts) {
    EXPECT_EQ(dmwtest::text(rec, t.at, t.text.size()), t.text) << "text at " << t.at;
    for (std::size_t k = 0; k < t.text.size() && t.at + k < size; ++k) ++cover[t.at + k];
  }
  for (std::size_t k = 0; k < size; ++k) EXPECT_EQ(cover[k], 1) << "byte " << k;
}

std::string pad(std::string s, std::size_t width) {
  s.resize(width, ' ');
  return s;
}

// Key fields of each record of a block, for order checks.
std::vector<std::vector<std::uint64_t>> keys(const Bytes& block, std::size_t size,
                                             const std::vector<Num>& fields) {
  std::vector<std::vector<std::uint64_t>> out;
  for (std::size_t r = 0; r + size <= block.size(); r += size) {
    std::vector<std::uint64_t> k;
    for (const Num& f : fields) k.push_back(dmwtest::le(block, r + f.at, f.width));
    out.push_back(k);
  }
  EXPECT_EQ(block.size() % size, 0u);
  return out;
}

using K = std::vector<std::vector<std::uint64_t>>;

// ---- one record per table, every field distinct --------------------------------------

TEST(DmwriterRecords, EbhfEveryFieldAtItsOffset) {
  dmw::EbhfRecord r;
  r.country = 0x8180;
  r.station_number = 0x85848382;
  r.valid_from = 0x0786;
  r.withdrawn = true;
  r.station_name =
      "\x88\x89"
      "ABCDEFGHIJKLMNOPQR";
  r.second_name = "\xE1\x94";
  r.further_name = "123456789";
  r.unread_57 = 0xF0;
  r.u16_58 = 0x8A8B;
  r.tariff_area = 0x8C8D;
  r.u32_62 = 0x91908F8E;
  r.u8_66 = 0x92;
  r.unread_67 = 0xF1;
  r.u16_68 = 0x9493;
  for (std::size_t k = 0; k < 6; ++k)
    r.u32_70[k] = 0xA3A2A1A0u + 0x04040404u * static_cast<std::uint32_t>(k);
  r.u16_94 = 0xB9B8;
  r.u8_96 = 0xBA;
  r.unread_97 = 0xF2;
  r.u32_98 = 0xBEBDBCBB;
  r.u32_102 = 0xC2C1C0BF;
  r.flag_chars = "XN\xC3";
  r.unread_109 = 0xF3;
  r.u32_110 = 0xC7C6C5C4;
  r.flag_letters = "ABCDEHGHNNJAMZ";
  r.u16_128 = 0xC9C8;
  std::vector<Num> nums = {{0, 2, 0x8180},      {2, 4, 0x85848382},   {6, 2, 0x8786},
                           {57, 1, 0xF0},       {58, 2, 0x8A8B},      {60, 2, 0x8C8D},
                           {62, 4, 0x91908F8E}, {66, 1, 0x92},        {67, 1, 0xF1},
                           {68, 2, 0x9493},     {94, 2, 0xB9B8},      {96, 1, 0xBA},
                           {97, 1, 0xF2},       {98, 4, 0xBEBDBCBB},  {102, 4, 0xC2C1C0BF},
                           {109, 1, 0xF3},      {110, 4, 0xC7C6C5C4}, {128, 2, 0xC9C8}};
  for (std::size_t k = 0; k < 6; ++k)
    nums.push_back({70 + 4 * k, 4, 0xA3A2A1A0u + 0x04040404u * k});
  expectLayout(dmw::encodeEbhf(r), 130, nums,
               {{8,
                 "\x88\x89"
                 "ABCDEFGHIJKLMNOPQR"},
                {28, pad("\xE1\x94", 20)},
                {48, "123456789"},
                {106, "XN\xC3"},
                {114, "ABCDEHGHNNJAMZ"}});
}

TEST(DmwriterRecords, EbhfGzpktEveryFieldAtItsOffset) {
  dmw::EbhfGzpktRecord g{0x8180, 0x85848382, 0x8786, 0x8B8A8988, 0x8D8C};
  expectLayout(
      dmw::encodeEbhfGzpkt(g), 14,
      {{0, 2, 0x8180}, {2, 4, 0x85848382}, {6, 2, 0x8786}, {8, 4, 0x8B8A8988}, {12, 2, 0x8D8C}},
      {});
}

TEST(DmwriterRecords, PbhfEveryFieldAtItsOffset) {
  dmw::PbhfRecord r{"M\x81nchen Hbf", 0x0182, true, 0x86858483, 0x87, 0xF0};
  expectLayout(dmw::encodePbhf(r), 28,
               {{20, 2, 0x8182}, {22, 4, 0x86858483}, {26, 1, 0x87}, {27, 1, 0xF0}},
               {{0, pad("M\x81nchen Hbf", 20)}});
}

TEST(DmwriterRecords, FehlEveryFieldAtItsOffset) {
  dmw::FehlRecord r;
  r.variant = '\x80';
  r.subsystem_id = "D\x81";
  r.unread_3 = 0xF0;
  r.message_number = 0x8382;
  r.valid_from = 0x0584;
  r.withdrawn = true;
  r.char_8 = '\x86';
  r.text_pattern = "Fehler %1 \x87";
  r.unread_79 = 0xF1;
  expectLayout(
      dmw::encodeFehl(r), 80,
      {{0, 1, 0x80}, {3, 1, 0xF0}, {4, 2, 0x8382}, {6, 2, 0x8584}, {8, 1, 0x86}, {79, 1, 0xF1}},
      {{1, "D\x81"}, {9, pad("Fehler %1 \x87", 70)}});
}

dmw::FbrrRecord distinctFbrr() {
  dmw::FbrrRecord r;
  r.key_number = 0x8180;
  r.relation_number = 0x85848382;
  r.valid_from = 0x8786;
  r.u16_8 = 0x8988;
  r.stations = {0x8D8C8B8A, 0x91908F8E, 0x95949392, 0x99989796};
  r.numbers = {0x9B9A, 0x9D9C, 0x9F9E, 0xA1A0};
  r.valid_to = 0xA3A2;
  return r;
}

TEST(DmwriterRecords, FbrrBothLayoutsEveryFieldAtItsOffset) {
  dmw::FbrrRecord r = distinctFbrr();
  expectLayout(dmw::encodeFbrr(r), 36,
               {{0, 2, 0x8180},
                {2, 4, 0x85848382},
                {6, 2, 0x8786},
                {8, 2, 0x8988},
                {10, 4, 0x8D8C8B8A},
                {14, 4, 0x91908F8E},
                {18, 4, 0x95949392},
                {22, 4, 0x99989796},
                {26, 2, 0x9B9A},
                {28, 2, 0x9D9C},
                {30, 2, 0x9F9E},
                {32, 2, 0xA1A0},
                {34, 2, 0xA3A2}},
               {});
  expectLayout(dmw::encodeFbrrBhf(r), 36,
               {{0, 2, 0x8180},
                {2, 4, 0x8D8C8B8A},
                {6, 4, 0x91908F8E},
                {10, 4, 0x95949392},
                {14, 4, 0x99989796},
                {18, 2, 0x8786},
                {20, 2, 0x8988},
                {22, 4, 0x85848382},
                {26, 2, 0x9B9A},
                {28, 2, 0x9D9C},
                {30, 2, 0x9F9E},
                {32, 2, 0xA1A0},
                {34, 2, 0xA3A2}},
               {});
}

TEST(DmwriterRecords, EbggEveryFieldAtItsOffset) {
  dmw::EbggRecord r;
  r.key1 = 0x8180;
  r.key2 = 0x8382;
  r.valid_from = 0x0584;
  r.withdrawn = true;
  r.text_6 =
      "\x86"
      "ABCDEFG";
  r.text_14 = "\x87H";
  r.text_16 = "Profil \x88";
  r.rank = 0x8A89;
  r.profile_flags = 0x8C8B;
  r.text_60 =
      "\x8D"
      "IJK";
  r.text_64 = "L\x8E";
  r.text_66 = "Name \x8F";
  r.u16_86 = 0x9190;
  r.u32_88 = 0x95949392;
  expectLayout(dmw::encodeEbgg(r), 92,
               {{0, 2, 0x8180},
                {2, 2, 0x8382},
                {4, 2, 0x8584},
                {56, 2, 0x8A89},
                {58, 2, 0x8C8B},
                {86, 2, 0x9190},
                {88, 4, 0x95949392}},
               {{6,
                 "\x86"
                 "ABCDEFG"},
                {14, "\x87H"},
                {16, pad("Profil \x88", 40)},
                {60,
                 "\x8D"
                 "IJK"},
                {64, "L\x8E"},
                {66, pad("Name \x8F", 20)}});
}

TEST(DmwriterRecords, FbrwEveryFieldAtItsOffset) {
  dmw::FbrwRecord r{0x83828180, 0x8584, 0x8786, 0x0988, true,  0x8D8C8B8A,
                    0x8F8E,     0x90,   0x91,   0x9392, 0x9594};
  expectLayout(dmw::encodeFbrw(r), 22,
               {{0, 4, 0x83828180},
                {4, 2, 0x8584},
                {6, 2, 0x8786},
                {8, 2, 0x8988},
                {10, 4, 0x8D8C8B8A},
                {14, 2, 0x8F8E},
                {16, 1, 0x90},
                {17, 1, 0x91},
                {18, 2, 0x9392},
                {20, 2, 0x9594}},
               {});
}

TEST(DmwriterRecords, EbgbEveryFieldAtItsOffset) {
  dmw::EbgbRecord r;
  r.key1 = 0x8180;
  r.key2 = 0x85848382;
  r.group = 0x89888786;
  r.valid_from = 0x0B8A;
  r.withdrawn = true;
  r.text_12 = std::string(24, '\x8C') + "Punktname \x8D";
  r.km_threshold = 0x91908F8E;
  r.u32_64 = 0x95949392;
  r.text_68 = "Text \x96";
  r.u16_94 = 0x9897;
  r.u32_96 = 0x9C9B9A99;
  expectLayout(
      dmw::encodeEbgb(r), 100,
      {{0, 2, 0x8180},
       {2, 4, 0x85848382},
       {6, 4, 0x89888786},
       {10, 2, 0x8B8A},
       {60, 4, 0x91908F8E},
       {64, 4, 0x95949392},
       {94, 2, 0x9897},
       {96, 4, 0x9C9B9A99}},
      {{12, pad(std::string(24, '\x8C') + "Punktname \x8D", 48)}, {68, pad("Text \x96", 26)}});
}

TEST(DmwriterRecords, NgatAndNesrEveryFieldAtItsOffset) {
  dmw::NgatRecord g{0x83828180, 0x87868584, 0x8988, 0x8B8A, 0x0D8C, true, 0x8F8E};
  expectLayout(dmw::encodeNgat(g), 16,
               {{0, 4, 0x83828180},
                {4, 4, 0x87868584},
                {8, 2, 0x8988},
                {10, 2, 0x8B8A},
                {12, 2, 0x8D8C},
                {14, 2, 0x8F8E}},
               {});
  dmw::NesrRecord n{0x83828180, 0x87868584, 0x0988, true, 0x8B8A, 0x8D8C, 0x91908F8E};
  expectLayout(dmw::encodeNesr(n), 18,
               {{0, 4, 0x83828180},
                {4, 4, 0x87868584},
                {8, 2, 0x8988},
                {10, 2, 0x8B8A},
                {12, 2, 0x8D8C},
                {14, 4, 0x91908F8E}},
               {});
}

TEST(DmwriterRecords, TextWiderThanItsFieldIsRefused) {
  dmw::EbhfRecord e;
  e.station_name = std::string(21, 'A');
  EXPECT_THROW(dmw::encodeEbhf(e), std::invalid_argument);
  dmw::FehlRecord f;
  f.subsystem_id = "DZX";
  EXPECT_THROW(dmw::encodeFehl(f), std::invalid_argument);
  EXPECT_THROW(dmw::pbhfFile({{std::string(21, 'B'), 1, false, 1, 0, 0}}), std::invalid_argument);
}

// ---- block order -------------------------------------------------------------------

TEST(DmwriterRecords, EbhfSortsUnsignedKeysNewestFirstIgnoringTheWithdrawnBit) {
  auto rec = [](std::uint16_t country, std::uint32_t station, std::uint16_t day, bool withdrawn) {
    dmw::EbhfRecord r;
    r.country = country;
    r.station_number = station;
    r.valid_from = day;
    r.withdrawn = withdrawn;
    return r;
  };
  Bytes b = dmw::encodeEbhfBlock({rec(81, 1, 10, false), rec(80, 0xFFFFFFFF, 10, false),
                                  rec(80, 0x80000000, 100, true), rec(80, 0x7FFFFFFF, 10, false),
                                  rec(80, 0x80000000, 200, false), rec(80, 5, 10, false)});
  EXPECT_EQ(keys(b, 130, {{0, 2, 0}, {2, 4, 0}, {6, 2, 0}}), (K{{80, 5, 10},
                                                                {80, 0x7FFFFFFF, 10},
                                                                {80, 0x80000000, 200},
                                                                {80, 0x80000000, 0x8000 | 100},
                                                                {80, 0xFFFFFFFF, 10},
                                                                {81, 1, 10}}));
}

TEST(DmwriterRecords, PbhfSortsNamesAsUnsignedBytes) {
  auto rec = [](std::string name, std::uint16_t day) {
    return dmw::PbhfRecord{std::move(name), day, false, 1, 0, 0};
  };
  Bytes b = dmw::encodePbhfBlock({rec("\xE1", 1), rec("\x94", 1), rec("AB\x84", 1), rec("Z", 1),
                                  rec("\x81", 1), rec("AB", 7), rec("AB", 9)});
  std::vector<std::string> names;
  for (std::size_t r = 0; r < b.size(); r += 28) names.push_back(dmwtest::text(b, r, 20));
  EXPECT_EQ(names,
            (std::vector<std::string>{pad("AB", 20), pad("AB", 20), pad("AB\x84", 20), pad("Z", 20),
                                      pad("\x81", 20), pad("\x94", 20), pad("\xE1", 20)}));
  EXPECT_EQ(dmwtest::u16(b, 20), 9);  // newest "AB" first
  EXPECT_EQ(dmwtest::u16(b, 28 + 20), 7);
}

TEST(DmwriterRecords, FehlSortsByVariantIdAndNumber) {
  auto rec = [](char v, std::string id, std::uint16_t nr) {
    dmw::FehlRecord r;
    r.variant = v;
    r.subsystem_id = std::move(id);
    r.message_number = nr;
    return r;
  };
  Bytes b =
      dmw::encodeFehlBlock({rec('\x80', "AA", 1), rec('D', "EB", 1010), rec('D', "DZ", 1010),
                            rec('D', "DZ", 0x8000), rec('D', "D\x81", 1), rec('D', "DZ", 1011)});
  EXPECT_EQ(keys(b, 80, {{0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {4, 2, 0}}), (K{{'D', 'D', 'Z', 1010},
                                                                          {'D', 'D', 'Z', 1011},
                                                                          {'D', 'D', 'Z', 0x8000},
                                                                          {'D', 'D', 0x81, 1},
                                                                          {'D', 'E', 'B', 1010},
                                                                          {0x80, 'A', 'A', 1}}));
}

TEST(DmwriterRecords, FbrrWritesBothBlocksEachInItsOwnOrder) {
  auto rec = [](std::uint16_t key, std::uint32_t rel, std::array<std::uint32_t, 4> st,
                std::uint16_t from) {
    dmw::FbrrRecord r;
    r.key_number = key;
    r.relation_number = rel;
    r.stations = st;
    r.valid_from = from;
    r.valid_to = 43829;
    return r;
  };
  std::vector<dmw::FbrrRecord> in = {
      rec(7, 1, {8000300, 8000400, 0, 0}, 100),
      rec(7, 2, {8000100, 8000900, 0, 0}, 100),
      rec(7, 1, {8000300, 8000400, 0, 0}, 0x8001),  // whole value: newer than 0x7FFF
      rec(7, 1, {8000300, 8000400, 0, 0}, 0x7FFF),
      rec(6, 0x80000000, {8000500, 8000600, 0, 0}, 100),
  };
  dmw::DataFile f = dmw::fbrrFile(in);
  EXPECT_EQ(f.table_number, 230);
  ASSERT_EQ(f.blocks.size(), 2u);
  EXPECT_EQ(keys(f.block(1).data, 36, {{0, 2, 0}, {2, 4, 0}, {6, 2, 0}}),
            (K{{6, 0x80000000, 100}, {7, 1, 0x8001}, {7, 1, 0x7FFF}, {7, 1, 100}, {7, 2, 100}}));
  EXPECT_EQ(keys(f.block(2).data, 36, {{0, 2, 0}, {2, 4, 0}, {6, 4, 0}, {18, 2, 0}, {22, 4, 0}}),
            (K{{6, 8000500, 8000600, 100, 0x80000000},
               {7, 8000100, 8000900, 100, 2},
               {7, 8000300, 8000400, 0x8001, 1},
               {7, 8000300, 8000400, 0x7FFF, 1},
               {7, 8000300, 8000400, 100, 1}}));
}

TEST(DmwriterRecords, GroupedTablesSortByKeyAndGroupNewestFirst) {
  {
    auto rec = [](std::uint16_t k1, std::uint16_t k2, std::uint16_t day) {
      dmw::EbggRecord r;
      r.key1 = k1;
      r.key2 = k2;
      r.valid_from = day;
      return r;
    };
    Bytes b = dmw::encodeEbggBlock(
        {rec(7, 2, 5), rec(0x8000, 1, 5), rec(7, 1, 5), rec(5, 9, 5), rec(7, 1, 9)});
    EXPECT_EQ(keys(b, 92, {{0, 2, 0}, {2, 2, 0}, {4, 2, 0}}),
              (K{{5, 9, 5}, {7, 1, 9}, {7, 1, 5}, {7, 2, 5}, {0x8000, 1, 5}}));
  }
  {
    auto rec = [](std::uint32_t k1, std::uint16_t k2, std::uint16_t g, std::uint16_t day) {
      dmw::FbrwRecord r;
      r.key1 = k1;
      r.key2 = k2;
      r.group = g;
      r.valid_from = day;
      return r;
    };
    Bytes b = dmw::encodeFbrwBlock({rec(1, 2, 3, 5), rec(1, 2, 1, 5), rec(0x80000000, 0, 0, 5),
                                    rec(1, 2, 3, 6), rec(1, 1, 0x8000, 5)});
    EXPECT_EQ(
        keys(b, 22, {{0, 4, 0}, {4, 2, 0}, {6, 2, 0}, {8, 2, 0}}),
        (K{{1, 1, 0x8000, 5}, {1, 2, 1, 5}, {1, 2, 3, 6}, {1, 2, 3, 5}, {0x80000000, 0, 0, 5}}));
  }
  {
    auto rec = [](std::uint16_t k1, std::uint32_t k2, std::uint32_t g, std::uint16_t day) {
      dmw::EbgbRecord r;
      r.key1 = k1;
      r.key2 = k2;
      r.group = g;
      r.valid_from = day;
      return r;
    };
    Bytes b = dmw::encodeEbgbBlock(
        {rec(1, 99999, 0x80000000, 5), rec(1, 99999, 7, 5), rec(1, 5, 7, 5), rec(1, 99999, 7, 8)});
    EXPECT_EQ(keys(b, 100, {{0, 2, 0}, {2, 4, 0}, {6, 4, 0}, {10, 2, 0}}),
              (K{{1, 5, 7, 5}, {1, 99999, 7, 8}, {1, 99999, 7, 5}, {1, 99999, 0x80000000, 5}}));
  }
}

TEST(DmwriterRecords, NgatAndNesrSortByEveryKeyPart) {
  Bytes g = dmw::encodeNgatBlock({{1, 1, 1, 2, 5, false, 0},
                                  {1, 1, 1, 1, 5, false, 0},
                                  {1, 0x80000000, 0, 0, 5, false, 0},
                                  {0x80000000, 0, 0, 0, 5, false, 0},
                                  {1, 1, 0x8000, 0, 5, false, 0},
                                  {1, 1, 1, 1, 6, false, 0}});
  EXPECT_EQ(keys(g, 16, {{0, 4, 0}, {4, 4, 0}, {8, 2, 0}, {10, 2, 0}, {12, 2, 0}}),
            (K{{1, 1, 1, 1, 6},
               {1, 1, 1, 1, 5},
               {1, 1, 1, 2, 5},
               {1, 1, 0x8000, 0, 5},
               {1, 0x80000000, 0, 0, 5},
               {0x80000000, 0, 0, 0, 5}}));
  Bytes n = dmw::encodeNesrBlock({{2, 1, 5, false, 0, 0, 0},
                                  {1, 0x80000000, 5, false, 0, 0, 0},
                                  {1, 2, 5, false, 0, 0, 0},
                                  {1, 2, 7, true, 0, 0, 0}});
  EXPECT_EQ(keys(n, 18, {{0, 4, 0}, {4, 4, 0}, {8, 2, 0}}),
            (K{{1, 2, 0x8007}, {1, 2, 5}, {1, 0x80000000, 5}, {2, 1, 5}}));
}

TEST(DmwriterRecords, AsGivenKeepsTheInputOrder) {
  std::vector<dmw::NesrRecord> in = {
      {2, 0, 1, false, 0, 0, 0}, {1, 0, 1, false, 0, 0, 0}, {1, 0, 9, false, 0, 0, 0}};
  EXPECT_EQ(keys(dmw::encodeNesrBlock(in, dmw::Order::AsGiven), 18, {{0, 4, 0}, {8, 2, 0}}),
            (K{{2, 1}, {1, 1}, {1, 9}}));
  EXPECT_EQ(keys(dmw::nesrFile(in, dmw::Order::AsGiven).block(1).data, 18, {{0, 4, 0}}),
            (K{{2}, {1}, {1}}));
}

// ---- files: identities and blocks -------------------------------------------------------

TEST(DmwriterRecords, FilesCarryTheirTableIdentityAndBlocks) {
  struct Case {
    dmw::DataFile file;
    std::int16_t table, version, sub;
    std::vector<std::size_t> block_sizes;
  };
  std::vector<Case> cases;
  cases.push_back(
      {dmw::ebhfFile({dmw::EbhfRecord{}}, {dmw::EbhfGzpktRecord{}, dmw::EbhfGzpktRecord{}}),
       200,
       3,
       3,
       {130, 28}});
  cases.push_back({dmw::ebhfFile({}), 200, 3, 3, {0, 0}});
  cases.push_back({dmw::pbhfFile({dmw::PbhfRecord{}}), 974, 1, 1, {28}});
  cases.push_back({dmw::fehlFile({dmw::FehlRecord{}}), 300, 5, 2, {80}});
  cases.push_back({dmw::fbrrFile({dmw::FbrrRecord{}}), 230, 2, 2, {36, 36}});
  cases.push_back({dmw::ebggFile({dmw::EbggRecord{}}), 893, 1, 1, {92}});
  cases.push_back({dmw::fbrwFile({dmw::FbrwRecord{}}), 233, 2, 2, {22}});
  cases.push_back({dmw::ebgbFile({dmw::EbgbRecord{}}), 895, 1, 1, {100}});
  cases.push_back({dmw::ngatFile({dmw::NgatRecord{}}), 215, 2, 1, {16}});
  cases.push_back({dmw::nesrFile({dmw::NesrRecord{}}), 216, 2, 1, {18}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    EXPECT_EQ(c.file.format, 1);
    EXPECT_EQ(c.file.table_number, c.table);
    EXPECT_EQ(c.file.version, c.version);
    EXPECT_EQ(c.file.sub_version, c.sub);
    ASSERT_EQ(c.file.blocks.size(), c.block_sizes.size());
    for (std::size_t k = 0; k < c.block_sizes.size(); ++k) {
      EXPECT_EQ(c.file.blocks[k].number, static_cast<std::int16_t>(k + 1));
      EXPECT_EQ(c.file.blocks[k].data.size(), c.block_sizes[k]);
    }
    Bytes b = c.file.bytes();
    EXPECT_EQ(dmwtest::i16(b, 2), c.table);
  }
}

}  // namespace
