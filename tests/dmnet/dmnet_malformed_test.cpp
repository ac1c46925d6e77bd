// Broken files of the network tables: every index and text offset that a
// lookup would later follow is checked at load. Each row breaks one field
// of an otherwise sound file and expects "DZ" 1025 with raise code 1, the
// physical name and the block concerned, load count 0 and no block memory
// left behind; the sound file then loads and answers as usual.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_lost.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "tests/dmnet/dmnet_fixture.h"

using namespace dmnettest;

namespace {

// GREN: nodes 10, 20, 30; (10, 20) with a relation, (20, 30) with one
// history version. Blocks: 1 Km1, 2 Ibnr, 3 Frel, 4 Km2, 5 Ib2.
dmw::DataFile GoodGren() {
  dmw::GrenPair p;
  p.station_a = 10;
  p.station_b = 20;
  p.valid_from = 100;
  p.km_part1 = 12;
  p.relation = dmw::GrenRelation{"R1", {1, 2, 3, 4}};
  dmw::GrenPair q = p;
  q.station_a = 20;
  q.station_b = 30;
  q.relation.reset();
  q.valid_from = 200;
  dmw::GrenPair old = q;
  old.valid_from = 50;
  dmw::GrenPair r = q;
  r.station_a = 10;
  return dmw::grenFile({10, 20, 30}, {p, q, old, r});
}

// STEN: stations 5 and 6 and 7. Blocks: 1 Km, 2 Ibnr.
dmw::DataFile GoodSten() {
  dmw::StenPair a;
  a.station_a = 5;
  a.station_b = 6;
  a.km_part1 = 3;
  dmw::StenPair b = a;
  b.station_b = 7;
  return dmw::stenFile({a, b});
}

// TDRG: two node stations of area 1. Blocks: 1 Tdrg, 2 Ib.
dmw::DataFile GoodTdrg() {
  dmw::TdrgEntry a;
  a.area_number = 1;
  a.node_station = 100;
  dmw::TdrgEntry b = a;
  b.node_station = 200;
  return dmw::tdrgFile({a, b});
}

// RBGT: two numbers. Blocks: 1 Hast, 2 Ibnr, 3 Rbnr, 4 Bez.
dmw::DataFile GoodRbgt() {
  dmw::RbgtEntry a;
  a.route_text_number = 8;
  a.station1 = 1;
  a.station2 = 2;
  a.name = "Erster";
  dmw::RbgtEntry b = a;
  b.route_text_number = 9;
  b.name = "Zweiter";
  return dmw::rbgtFile({a, b});
}

// LOST: one record. Blocks: 1 Main, 2 Text.
dmw::DataFile GoodLost() {
  dmw::LostRecord r;
  r.key_part1 = 1;
  r.text1 = "a";
  r.text2 = "b";
  r.text3 = "c";
  return dmw::lostFile({r});
}

struct Table {
  DbTabDesc* tab;
  void (*init)();
  const char* code;
  const char* phys;
  dmw::DataFile (*good)();
  std::function<bool()> answers;  // a lookup that succeeds on the good file
};

const Table& Gren() {
  static const Table t{&DbGrenTab, DbInitGren, "GREN", "DMGREN", GoodGren, [] {
                         GrenSatz s;
                         EbKmStichtag = 100;
                         return DbGetGren(20, &s, 10) == kDbFound && s.relationStations[3] == 4;
                       }};
  return t;
}
const Table& Sten() {
  static const Table t{&DbStenTab, DbInitSten, "STEN", "DMSTEN", GoodSten, [] {
                         StenSatz s;
                         EbKmStichtag = 0;
                         return DbGetSten(&s, 7, 5) == kDbFound && s.kmPart1 == 3;
                       }};
  return t;
}
const Table& Tdrg() {
  static const Table t{&DbTdrgTab, DbInitTdrg, "TDRG", "DMTDRG", GoodTdrg, [] {
                         TdrgSatz s;
                         int h = -1;
                         EbKmStichtag = 0;
                         bool ok = DbNextTdrg(1, &s, &h) == kDbFound && s.station == 100;
                         DbReleaseTdrgCursor(&h);
                         return ok;
                       }};
  return t;
}
const Table& Rbgt() {
  static const Table t{&DbRbgtTab, DbInitRbgt, "RBGT", "DMRBGT", GoodRbgt, [] {
                         RbgtSatz s;
                         return DbGetRbgt(9, &s, 0) == kDbFound && s.name[0] == 'Z';
                       }};
  return t;
}
const Table& Lost() {
  static const Table t{&DbLostTab,
                       DbInitLost,
                       "LOST",
                       "DMLOST",
                       GoodLost,
                       [] {
                         return DbGetLost(1, 0, 0, 0, 0) == kDbFound && DbLostSatz.text3[0] == 'c'; }};
  return t;
}

struct Row {
  const char* what;
  const Table& (*table)();
  std::function<void(dmw::DataFile&)> breakIt;
  const char* block;
};

std::vector<Row> Rows() {
  using F = dmw::DataFile;
  return {
      {"GREN matrix one record short", Gren,
       [](F& f) { f.block(1).data.resize(f.block(1).data.size() - 14); }, "GrenKm1Block"},
      {"GREN matrix one record long", Gren,
       [](F& f) { f.block(1).data.resize(f.block(1).data.size() + 14); }, "GrenKm1Block"},
      {"GREN no nodes but a matrix record", Gren, [](F& f) { f.block(2).data.clear(); },
       "GrenKm1Block"},
      {"GREN relation index past the relations", Gren,
       [](F& f) { dmw::putI16(f.block(1).data, 8, 1); }, "GrenKm1Block"},
      {"GREN relation index -2", Gren, [](F& f) { dmw::putI16(f.block(1).data, 8, -2); },
       "GrenKm1Block"},
      {"GREN relation station index past GrenIb2Block", Gren,
       [](F& f) { dmw::putI16(f.block(3).data, 8, 4); }, "GrenFrelBlock"},
      {"GREN relation station index -1", Gren, [](F& f) { dmw::putI16(f.block(3).data, 2, -1); },
       "GrenFrelBlock"},
      {"GREN history j = n", Gren, [](F& f) { dmw::putI16(f.block(4).data, 2, 3); },
       "GrenKm2Block"},
      {"GREN history i = j", Gren, [](F& f) { dmw::putI16(f.block(4).data, 0, 2); },
       "GrenKm2Block"},
      {"GREN history i negative", Gren, [](F& f) { dmw::putI16(f.block(4).data, 0, -1); },
       "GrenKm2Block"},
      {"GREN history relation index", Gren, [](F& f) { dmw::putI16(f.block(4).data, 12, 7); },
       "GrenKm2Block"},
      {"GREN node stations not ascending", Gren,
       [](F& f) {
         dmw::putU32(f.block(2).data, 0, 20);
         dmw::putU32(f.block(2).data, 4, 10);
       },
       "GrenIbnrBlock"},
      {"STEN index a past StenIbnrBlock", Sten, [](F& f) { dmw::putU16(f.block(1).data, 0, 3); },
       "StenKmBlock"},
      {"STEN index b 0xFFFF", Sten, [](F& f) { dmw::putU16(f.block(1).data, 12 + 2, 0xFFFF); },
       "StenKmBlock"},
      {"STEN empty index block", Sten, [](F& f) { f.block(2).data.clear(); }, "StenKmBlock"},
      {"TDRG index past TdrgIbBlock", Tdrg, [](F& f) { dmw::putI16(f.block(1).data, 6 + 2, 2); },
       "TdrgBlock"},
      {"TDRG index -1", Tdrg, [](F& f) { dmw::putI16(f.block(1).data, 2, -1); }, "TdrgBlock"},
      {"RBGT number index past RbgtRbnrBlock", Rbgt,
       [](F& f) { dmw::putI16(f.block(1).data, 0, 2); }, "RbgtHastBlock"},
      {"RBGT station 1 index past RbgtIbnrBlock", Rbgt,
       [](F& f) { dmw::putI16(f.block(1).data, 12 + 2, 2); }, "RbgtHastBlock"},
      {"RBGT station 2 index -1", Rbgt, [](F& f) { dmw::putI16(f.block(1).data, 4, -1); },
       "RbgtHastBlock"},
      {"RBGT name offset at the end of the text block", Rbgt,
       [](F& f) { dmw::putU32(f.block(1).data, 6, static_cast<uint32_t>(f.block(4).data.size())); },
       "RbgtHastBlock"},
      {"RBGT name offset 0xFFFFFFFF", Rbgt,
       [](F& f) { dmw::putU32(f.block(1).data, 12 + 6, 0xFFFFFFFFu); }, "RbgtHastBlock"},
      {"RBGT last name without its NUL", Rbgt, [](F& f) { f.block(4).data.pop_back(); },
       "RbgtHastBlock"},
      {"RBGT empty text block", Rbgt, [](F& f) { f.block(4).data.clear(); }, "RbgtHastBlock"},
      {"LOST text offset past the text block", Lost,
       [](F& f) { dmw::putU32(f.block(1).data, 12, 6); }, "LostMainBlock"},
      {"LOST third text without its NUL", Lost, [](F& f) { f.block(2).data.pop_back(); },
       "LostMainBlock"},
      {"LOST offset leaves room for two texts only", Lost,
       [](F& f) { dmw::putU32(f.block(1).data, 12, 2); }, "LostMainBlock"},
  };
}

TEST(DmnetMalformed, EveryBrokenIndexOrOffsetIsRejectedAtLoad) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.what);
    const Table& t = row.table();
    UnloadAll(t.tab);
    t.init();
    const int liveBefore = DbTestLiveBlocks();

    // The sound file loads and answers: the row's fault is its only one.
    WriteTable(t.good(), t.code, t.phys);
    LoadOk(t.tab);
    EXPECT_TRUE(t.answers());
    UnloadAll(t.tab);

    dmw::DataFile broken = t.good();
    row.breakIt(broken);
    WriteTable(broken, t.code, t.phys);
    LoadOutcome o = LoadTable(t.tab);
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.ssid, "DZ");
    EXPECT_EQ(o.number, kDzMalformed);
    ASSERT_GE(o.params.size(), 3u);
    EXPECT_EQ(o.params[0], t.phys);
    EXPECT_EQ(o.params[1], row.block);
    EXPECT_FALSE(o.params[2].empty());
    EXPECT_EQ(t.tab->loadCount, 0);
    EXPECT_EQ(DbTestLiveBlocks(), liveBefore);
    for (const DbBlockDesc* b = t.tab->firstBlock; b; b = b->next) {
      EXPECT_EQ(b->records, nullptr) << b->name;
      EXPECT_EQ(b->count, 0) << b->name;
    }

    // Nothing stale: the sound file loads again and answers.
    WriteTable(t.good(), t.code, t.phys);
    LoadOk(t.tab);
    EXPECT_TRUE(t.answers());
    UnloadAll(t.tab);
  }
}

}  // namespace
