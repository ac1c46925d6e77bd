// Tests of the network compiler: the derived tables of a small description,
// the text conversions, the errors of broken descriptions (one table of
// cases, each naming the file and line it expects), and that a failed write
// leaves no data file half written.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/tempdir.h"
#include "tests/data/toolrun.h"
#include "tools/zolmanet/netcatalog.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/nettext.h"
#include "tools/zolmanet/netwrite.h"

namespace {

using namespace zolmanet;

// A small network. Line numbers matter to the error table below.
//
//   100 ==5== 11 ==7== 12 ==8== 200 ==9== 21 ==6== 300     (200-300 in km part 2)
//   area 1: nodes 100, 200; stations 11, 12
//   area 2: nodes 300, 200; station 21
//   from 2024-01-01 the stretch 11-12 measures 6 km
const std::vector<std::string> kBase = {
    /* 1 */ "netz versionsinfo=\"Test 1\" erstellt=2026-01-01T10:00:00 gueltig_ab=2020-01-01",
    /* 2 */ "bahnhof 100 \"Anstadt\" art=H",
    /* 3 */ "bahnhof 200 \"Bödorf\" art=H alias=\"Bödorf Mitte\"",
    /* 4 */ "bahnhof 300 \"Cehausen\" art=A",
    /* 5 */ "bahnhof 11 \"Ahof\" gebiet=1 name2=\"Ahof Ort\"",
    /* 6 */ "bahnhof 12 \"Bühl\" gebiet=1 liste=N",
    /* 7 */ "bahnhof 21 \"Cefeld\" gebiet=2 entfaellt=2025-06-01   # aufgelassen",
    /* 8 */ "gebiet 1 \"Eins\" knoten=100,200",
    /* 9 */ "gebiet 2 \"Zwei\" knoten=300,200",
    /* 10 */ "strecke \"A-B\"",
    /* 11 */ "  0 100 \"Anstadt\"",
    /* 12 */ "  5 11",
    /* 13 */ "  12 12",
    /* 14 */ "  20 200",
    /* 15 */ "  km_ab 2024-01-01 11 12 6",
    /* 16 */ "ende",
    /* 17 */ "strecke \"B-C\" teil=2",
    /* 18 */ "  0 200",
    /* 19 */ "  9 21",
    /* 20 */ "  15 300",
    /* 21 */ "ende",
    /* 22 */ "wegetext 100 200 \"Anstadt#Ahof#Bödorf\"",
    /* 23 */ "wegetext 300 200 \"Cehausen#Bödorf\"",
    /* 24 */ "meldung D EB 1102 \"Bahnhof %1d/%2d am %3s fehlt\"",
    /* 25 */ "meldung D EB 1101 \"Bahnhof fehlt im Verzeichnis\"",
};

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

CompiledNet CompileText(const std::string& text) {
  Network net;
  ParseText("t.net", text, &net);
  return Compile(net);
}

uint16_t D(const char* date) {
  std::string err;
  return *ParseDay(date, &err);
}

const dmw::StenPair* FindSten(const CompiledNet& c, uint32_t a, uint32_t b, size_t version = 0) {
  for (size_t i = 0; i < c.sten.size(); ++i) {
    if (c.sten[i].station_a == a && c.sten[i].station_b == b) {
      if (i + version < c.sten.size() && c.sten[i + version].station_a == a &&
          c.sten[i + version].station_b == b) {
        return &c.sten[i + version];
      }
      return nullptr;
    }
  }
  return nullptr;
}

TEST(DataCompile, DerivesStenFromNeighboursAndNodesAlongTheShortestWay) {
  CompiledNet c = CompileText(Join(kBase));
  // Neighbours compete with the node route ('A'); a station and a node of
  // its area are final ('N') and carry the shortest way.
  struct Want {
    uint32_t a, b;
    uint16_t km1, km2, flags;
  };
  const Want wants[] = {
      {11, 100, 5, 0, 0},  {11, 200, 14, 0, 0},  // newest version first
      {12, 100, 11, 0, 0}, {12, 200, 8, 0, 0},  {11, 12, 6, 0, dmw::stenFlags('N', 'A', 'N')},
      {21, 200, 0, 9, 0},  {21, 300, 0, 6, 0},
  };
  for (const Want& w : wants) {
    const dmw::StenPair* r = FindSten(c, w.a, w.b);
    ASSERT_NE(r, nullptr) << w.a << "-" << w.b;
    EXPECT_EQ(r->km_part1, w.km1) << w.a << "-" << w.b;
    EXPECT_EQ(r->km_part2, w.km2) << w.a << "-" << w.b;
    EXPECT_EQ(r->flags, w.flags) << w.a << "-" << w.b;
  }
  // The kilometre change gives the affected pairs a second, older version.
  const dmw::StenPair* newer = FindSten(c, 11, 200, 0);
  const dmw::StenPair* older = FindSten(c, 11, 200, 1);
  ASSERT_NE(older, nullptr);
  EXPECT_EQ(newer->valid_from, D("2024-01-01"));
  EXPECT_EQ(older->valid_from, D("2020-01-01"));
  EXPECT_EQ(older->km_part1, 15);
  EXPECT_EQ(FindSten(c, 11, 100, 1), nullptr);  // untouched: one version
  // Sorted by (a, b), newest first.
  for (size_t i = 1; i < c.sten.size(); ++i) {
    const dmw::StenPair& p = c.sten[i - 1];
    const dmw::StenPair& q = c.sten[i];
    ASSERT_TRUE(p.station_a < q.station_a ||
                (p.station_a == q.station_a && p.station_b < q.station_b) ||
                (p.station_a == q.station_a && p.station_b == q.station_b &&
                 p.valid_from > q.valid_from));
  }
}

TEST(DataCompile, PairsTheStationsOfOneStretchWithinAnArea) {
  // 100 -3- 11 -2- 12 -4- 13 -3- 200 -5- 15 -4- 300; 11, 12, 13 in area 1,
  // 15 in area 2.
  const std::string text =
      "bahnhof 100 \"A\" art=H\nbahnhof 200 \"B\" art=H\nbahnhof 300 \"C\" art=H\n"
      "bahnhof 11 \"D\" gebiet=1\nbahnhof 12 \"E\" gebiet=1\nbahnhof 13 \"F\" gebiet=1\n"
      "bahnhof 15 \"G\" gebiet=2\n"
      "gebiet 1 \"Eins\" knoten=100,200\ngebiet 2 \"Zwei\" knoten=200,300\n"
      "strecke \"L\"\n 0 100\n 3 11\n 5 12\n 9 13\n 12 200\n 17 15\n 21 300\nende\n";
  CompiledNet c = CompileText(text);
  const dmw::StenPair* r = FindSten(c, 11, 13);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->km_part1, 6);
  EXPECT_EQ(r->flags, dmw::stenFlags('N', 'A', 'N'));
  EXPECT_EQ(FindSten(c, 11, 15), nullptr);  // another area, and a node between
  EXPECT_EQ(FindSten(c, 13, 15), nullptr);
  ASSERT_NE(FindSten(c, 13, 200), nullptr);
  EXPECT_EQ(FindSten(c, 13, 200)->flags, 0);  // the node of its area: final
  // Three pairs within area 1, six of its stations with its nodes, two of 15
  // with its nodes; every neighbour pair is one of these.
  EXPECT_EQ(c.sten.size(), 3u + 6u + 2u);
}

TEST(DataCompile, DerivesTheGrenMatrixWithHistoryAndRouteTexts) {
  CompiledNet c = CompileText(Join(kBase));
  ASSERT_EQ(c.grenNodes, (std::vector<uint32_t>{100, 200, 300}));
  ASSERT_EQ(c.gren.size(), 3u);
  const dmw::GrenPair& ab = c.gren[dmw::grenMatrixIndex(0, 1, 3)];
  const dmw::GrenPair& ac = c.gren[dmw::grenMatrixIndex(0, 2, 3)];
  const dmw::GrenPair& bc = c.gren[dmw::grenMatrixIndex(1, 2, 3)];
  EXPECT_EQ(ab.km_part1, 19);
  EXPECT_EQ(ab.valid_from, D("2024-01-01"));
  EXPECT_EQ(ac.km_part1, 19);
  EXPECT_EQ(ac.km_part2, 15);
  EXPECT_EQ(bc.km_part1, 0);
  EXPECT_EQ(bc.km_part2, 15);
  EXPECT_EQ(bc.valid_from, D("2020-01-01"));
  // The older versions of 100-200 and 100-300 went to the history.
  ASSERT_EQ(c.grenHistory.size(), 2u);
  EXPECT_EQ(c.grenHistory[0].station_a, 100u);
  EXPECT_EQ(c.grenHistory[0].station_b, 200u);
  EXPECT_EQ(c.grenHistory[0].km_part1, 20);
  EXPECT_EQ(c.grenHistory[0].valid_from, D("2020-01-01"));
  // Route texts: 100->200 written along the pair order, 300->200 against it.
  EXPECT_EQ(ab.route_text_number, 1);
  EXPECT_EQ(ab.flags, 0);
  EXPECT_EQ(bc.route_text_number, 2);
  EXPECT_EQ(bc.flags, 1);
  ASSERT_EQ(c.rbgt.size(), 2u);
  EXPECT_EQ(c.rbgt[1].station1, 300u);
  EXPECT_EQ(c.rbgt[1].station2, 200u);
  EXPECT_EQ(c.rbgt[0].name,
            "Anstadt#Ahof#B\x94"
            "dorf");
}

TEST(DataCompile, DerivesRouteTextsForNodePairsOverFurtherNodes) {
  std::vector<std::string> lines = kBase;
  lines[0] += " wegetexte_ableiten=ja";
  CompiledNet c = CompileText(Join(lines));
  // 100-300 runs over 200: the typed stretches joined, the second one
  // turned round to run along the way.
  const dmw::GrenPair& ac = c.gren[dmw::grenMatrixIndex(0, 2, 3)];
  ASSERT_EQ(ac.route_text_number, 3);
  EXPECT_EQ(ac.flags, 0);
  ASSERT_EQ(c.rbgt.size(), 3u);
  EXPECT_EQ(c.rbgt[2].station1, 100u);
  EXPECT_EQ(c.rbgt[2].station2, 300u);
  EXPECT_EQ(c.rbgt[2].name,
            "Anstadt#Ahof#B\x94"
            "dorf#Cehausen");
  // Without the switch the pair has no route text.
  EXPECT_EQ(CompileText(Join(kBase)).gren[dmw::grenMatrixIndex(0, 2, 3)].route_text_number, 0);
}

// The records of a block in the order its data file keeps them: the block
// as the writer encodes it, each record found again by its own encoding.
template <class R>
std::vector<R> WrittenOrder(const std::vector<R>& records, dmw::Bytes (*block)(std::vector<R>, dmw::Order),
                            dmw::Bytes (*one)(const R&), std::size_t size) {
  const dmw::Bytes b = block(records, dmw::Order::Sorted);
  std::vector<R> out;
  for (std::size_t at = 0; at + size <= b.size(); at += size) {
    const dmw::Bytes rec(b.begin() + static_cast<std::ptrdiff_t>(at),
                         b.begin() + static_cast<std::ptrdiff_t>(at + size));
    auto it = std::find_if(records.begin(), records.end(), [&](const R& r) { return one(r) == rec; });
    EXPECT_NE(it, records.end()) << "a written record that was not compiled";
    if (it != records.end()) out.push_back(*it);
  }
  EXPECT_EQ(out.size(), records.size());
  return out;
}

TEST(DataCompile, StationsNamesAndMessages) {
  CompiledNet c = CompileText(Join(kBase));
  // EBHF: numbers ascending; the withdrawn station has its withdrawn record
  // first; names in the DOS code page; node stations carry area 0.
  ASSERT_EQ(c.ebhf.size(), 7u);
  EXPECT_EQ(c.ebhf[0].station_number, 11u);
  EXPECT_EQ(c.ebhf[0].second_name, "Ahof Ort            ");
  EXPECT_EQ(c.ebhf[1].station_name, "B\x81hl                ");
  EXPECT_EQ(c.ebhf[1].flag_chars[1], 'N');
  EXPECT_EQ(c.ebhf[2].station_number, 21u);
  EXPECT_EQ(c.ebhf[2].valid_from, D("2025-06-01"));
  EXPECT_TRUE(c.ebhf[2].withdrawn);
  EXPECT_EQ(c.ebhf[3].valid_from, D("2020-01-01"));
  EXPECT_FALSE(c.ebhf[3].withdrawn);
  EXPECT_EQ(c.ebhf[5].flag_letters[5], 'H');
  EXPECT_EQ(c.ebhf[5].tariff_area, 0);
  // PBHF, as written: normalised keys in byte order, aliases included.
  std::vector<std::string> keys;
  for (const dmw::PbhfRecord& p :
       WrittenOrder(c.pbhf, &dmw::encodePbhfBlock, &dmw::encodePbhf, dmw::kPbhfRecordSize))
    keys.push_back(p.station_name.substr(0, p.station_name.find_last_not_of(' ') + 1));
  EXPECT_EQ(keys, (std::vector<std::string>{"AHOF", "ANSTADT", "BOEDORF", "BOEDORF MITTE", "BUEHL",
                                            "CEFELD", "CEFELD", "CEHAUSEN"}));
  // FEHL, as written: DIN 66003, sorted by number.
  ASSERT_EQ(c.fehl.size(), 2u);
  const std::vector<dmw::FehlRecord> fehl =
      WrittenOrder(c.fehl, &dmw::encodeFehlBlock, &dmw::encodeFehl, dmw::kFehlRecordSize);
  ASSERT_EQ(fehl.size(), 2u);
  EXPECT_EQ(fehl[0].message_number, 1101);
  EXPECT_EQ(fehl[1].text_pattern.substr(0, 15), "Bahnhof %1d/%2d");
  EXPECT_EQ(fehl[1].text_pattern.size(), 70u);
}

TEST(DataCompile, TextConversions) {
  std::string err;
  EXPECT_EQ(*PbhfKey("Müller", &err), "MUELLER");
  EXPECT_EQ(*PbhfKey("straße", &err), "STRASSE");
  EXPECT_EQ(*PbhfKey("Köln Hbf ", &err), "KOELN HBF");
  EXPECT_EQ(*PbhfKey("Schwäbisch Gmünd Hbf", &err), "SCHWAEBISCH GMUEND H");  // cut to 20
  EXPECT_EQ(*ToDin66003("Über München, Größe", &err), "]ber M}nchen, Gr|~e");
  EXPECT_FALSE(ToDin66003("a[b]", &err).has_value());
  EXPECT_FALSE(ToDin66003("Ça", &err).has_value());
  EXPECT_EQ(*ToDos("Äußere Fürth", &err),
            "\x8E"
            "u\xE1"
            "ere F\x81rth");
  EXPECT_FALSE(ToDos("\xE2\x82\xAC", &err).has_value());  // the euro sign
  EXPECT_FALSE(ToDos("Caf\xC3\xA9", &err).has_value());   // an e acute the dialog cannot show
  EXPECT_FALSE(ToDos("\xC3", &err).has_value());          // cut UTF-8
  EXPECT_EQ(DaysFromCivil(1980, 1, 1), 0);
  EXPECT_EQ(DaysFromCivil(2099, 12, 31), 43829);
  EXPECT_EQ(*ParseDay("2024-02-29", &err), 16130);
  EXPECT_EQ(DayText(16130), "2024-02-29");
  EXPECT_EQ(TimeText(*ParseTime("2026-11-30T12:34:56", &err)), "2026-11-30T12:34:56");
  EXPECT_EQ(TimeText(0), "1970-01-01T00:00:00");
  EXPECT_FALSE(ParseDay("2023-02-29", &err).has_value());
  EXPECT_FALSE(ParseDay("2070-01-01", &err).has_value());  // needs bit 15
  EXPECT_EQ(CheckPlaceholders("Bahnhof %1d/%2d am %3s, 100%%", "dls"), "");
  EXPECT_EQ(CheckPlaceholders("%1:-6s|%2:*d", "sd"), "");
  EXPECT_NE(CheckPlaceholders("%1s", "d"), "");
  EXPECT_NE(CheckPlaceholders("%2d", "d"), "");
}

// One broken description per row: lines replaced (1-based) or appended,
// and the error the compiler must give, file and line included.
struct BrokenCase {
  const char* what;
  std::vector<std::pair<int, std::string>> edits;  // line 0 = append
  const char* expected;
};

std::string Apply(const BrokenCase& bc) {
  std::vector<std::string> lines = kBase;
  for (const auto& [line, text] : bc.edits) {
    if (line == 0)
      lines.push_back(text);
    else
      lines[static_cast<size_t>(line - 1)] = text;
  }
  return Join(lines);
}

std::string ElevenNodes() {
  return "gebiet 1 \"Eins\" knoten=100,200,301,302,303,304,305,306,307,308,309";
}

TEST(DataCompile, BrokenDescriptionsNameFileAndLine) {
  const std::vector<BrokenCase> cases = {
      {"unknown station in a line",
       {{19, "  9 22"}},
       "t.net:19: line 'B-C' names unknown station 22"},
      {"duplicate station number",
       {{0, "bahnhof 12 \"Zweitbühl\" gebiet=1"}},
       "t.net:26: station number 12 is given twice (first at t.net:6)"},
      {"area with more than 10 node stations",
       {{8, ElevenNodes()},
        {0, "bahnhof 301 \"K1\" art=H"},
        {0, "bahnhof 302 \"K2\" art=H"},
        {0, "bahnhof 303 \"K3\" art=H"},
        {0, "bahnhof 304 \"K4\" art=H"},
        {0, "bahnhof 305 \"K5\" art=H"},
        {0, "bahnhof 306 \"K6\" art=H"},
        {0, "bahnhof 307 \"K7\" art=H"},
        {0, "bahnhof 308 \"K8\" art=H"},
        {0, "bahnhof 309 \"K9\" art=H"}},
       "t.net:8: tariff area 1 has 11 node stations; at most 10 are allowed"},
      {"non-node station in a node list",
       {{8, "gebiet 1 \"Eins\" knoten=100,11"}},
       "t.net:8: station 11 in the node list of tariff area 1 is no node station"},
      {"area that names a station twice",
       {{8, "gebiet 1 \"Eins\" knoten=100,200,100"}},
       "t.net:8: tariff area 1 names node station 100 twice"},
      {"duplicate area",
       {{9, "gebiet 1 \"Zwei\" knoten=300,200"}},
       "t.net:9: tariff area 1 is given twice (first at t.net:8)"},
      {"station without area",
       {{5, "bahnhof 11 \"Ahof\""}},
       "t.net:5: station 11 has no tariff area"},
      {"area not described",
       {{5, "bahnhof 11 \"Ahof\" gebiet=7"}},
       "t.net:5: station 11 names tariff area 7, which is not described"},
      {"node station naming an area",
       {{2, "bahnhof 100 \"Anstadt\" art=H gebiet=1"}},
       "t.net:2: node station 100 names a tariff area"},
      {"name longer than 20 characters",
       {{5, "bahnhof 11 \"Ahof an der Langen Au\" gebiet=1"}},
       "t.net:5: station name 'Ahof an der Langen Au' is 21 characters long; at most 20 fit"},
      {"name outside the DOS code page",
       {{5, "bahnhof 11 \"Ahof \xE2\x82\xAC\" gebiet=1"}},
       "t.net:5: station name 'Ahof \xE2\x82\xAC': character U+20AC has no place in the DOS code page"},
      {"two stations with one lookup name",
       {{6, "bahnhof 12 \"AHOF\" gebiet=1"}},
       "t.net:6: station name 'AHOF' (lookup key AHOF) is already the name of station 11 (t.net:5)"},
      {"station on no line",
       {{0, "bahnhof 13 \"Dorf\" gebiet=1"}},
       "t.net:26: station 13 lies on no line"},
      {"line row with another name",
       {{11, "  0 100 \"Anstatt\""}},
       "t.net:11: line row names station 100 'Anstatt', but that station is 'Anstadt'"},
      {"kilometres that do not ascend",
       {{13, "  5 12"}},
       "t.net:13: kilometres of line 'A-B' do not ascend at station 12"},
      {"station twice on a line",
       {{13, "  12 11"}},
       "t.net:13: station 11 stands twice on line 'A-B'"},
      {"stretch that two lines give",
       {{0, "strecke \"Ahof-Buehl\""}, {0, "  0 12"}, {0, "  8 11"}, {0, "ende"}},
       "t.net:28: the stretch 12-11 is already on line 'A-B' (t.net:13)"},
      {"change of a stretch that is none",
       {{15, "  km_ab 2024-01-01 11 200 6"}},
       "t.net:15: km_ab: stations 11 and 200 are no neighbours on line 'A-B'"},
      {"node stations without a joining line",
       {{0, "bahnhof 400 \"Insel\" art=H"},
        {0, "bahnhof 41 \"Inselhof\" gebiet=3"},
        {0, "gebiet 3 \"Drei\" knoten=400"},
        {0, "strecke \"Insel\""},
        {0, " 0 400"},
        {0, " 4 41"},
        {0, "ende"}},
       "t.net:26: node stations 100 and 400 are joined by no line"},
      {"route description between no node stations",
       {{22, "wegetext 11 200 \"Ahof#Bödorf\""}},
       "t.net:22: route description: station 11 is no node station"},
      {"route description too long",
       {{22, "wegetext 100 200 \"Anstadt#Ahof#Bühl#Bödorf#und noch weiter fort\""}},
       "t.net:22: route description 'Anstadt#Ahof#Bühl#Bödorf#und noch weiter fort' is 45 characters long"},
      {"route description with an open group",
       {{22, "wegetext 100 200 \"Anstadt#<Ahof#Bödorf\""}},
       "t.net:22: route description: a group or an aside is not closed"},
      {"message whose placeholder does not fit",
       {{24, "meldung D EB 1102 \"Bahnhof %1s\""}},
       "t.net:24: message D EB 1102: placeholder %1s does not fit parameter type 'd'"},
      {"placeholder number too long for any parameter",
       {{24, "meldung D EB 1102 \"Bahnhof %12345678901d\""}},
       "t.net:24: message D EB 1102: placeholder %12345678901 names no parameter (1 to 10)"},
      {"raise-code text with a placeholder",
       {{25, "meldung D EB 1101 \"Bahnhof %1d fehlt\""}},
       "t.net:25: message D EB 1101: placeholder %1d refers to a parameter the message does not have"},
      {"message character of the 7-bit code",
       {{25, "meldung D EB 1101 \"Bahnhof [fehlt]\""}},
       "t.net:25: message D EB 1101: character '[' stands for an umlaut"},
      {"message longer than 70 characters",
       {{25, "meldung D EB 1101 \"" + std::string(71, 'x') + "\""}},
       "t.net:25: message D EB 1101 is 71 characters long; at most 70 fit"},
      {"duplicate message",
       {{0, "meldung D EB 1101 \"Noch einmal\""}},
       "t.net:26: message D EB 1101 is given twice (first at t.net:25)"},
      {"unknown directive", {{0, "bahnhöfe 1 2 3"}}, "t.net:26: unknown directive 'bahnhöfe'"},
      {"unknown key",
       {{5, "bahnhof 11 \"Ahof\" gebiet=1 farbe=rot"}},
       "t.net:5: unknown key 'farbe' for 'bahnhof'"},
      {"quoted text not closed",
       {{5, "bahnhof 11 \"Ahof gebiet=1"}},
       "t.net:5: quoted text is not closed"},
      {"line without its end", {{21, "# (ende fehlt)"}}, "t.net:17: line 'B-C' has no 'ende'"},
      {"date that does not exist",
       {{7, "bahnhof 21 \"Cefeld\" gebiet=2 entfaellt=2025-02-30"}},
       "t.net:7: '2025-02-30' is no date (YYYY-MM-DD)"},
      {"withdrawn before it opens",
       {{7, "bahnhof 21 \"Cefeld\" gebiet=2 ab=2025-06-01 entfaellt=2025-06-01"}},
       "t.net:7: station 21 is withdrawn on or before the day it opens"},
      {"relation that its stations cannot find",
       {{0, "relation 1 9 200 100 km=20"}},
       "t.net:26: relation 1/9: the first station must have the lower number of the first two"},
      {"relation point of an unknown station",
       {{0, "relation 1 9 100 200 km=20 punkte=100:M,150:O"}},
       "t.net:26: relation point names unknown station 150"},
      {"station number out of range",
       {{5, "bahnhof 100000 \"Ahof\" gebiet=1"}},
       "t.net:5: station number 100000 lies outside 1 .. 99999"},
  };
  for (const BrokenCase& bc : cases) {
    std::string got;
    try {
      CompileText(Apply(bc));
      got = "(compiled without error)";
    } catch (const CompileError& e) {
      got = e.what();
    }
    EXPECT_EQ(got.rfind(bc.expected, 0), 0u)
        << bc.what << "\n  got:      " << got << "\n  expected: " << bc.expected;
  }
}

// One station more than the data files' station index holds is refused at
// a station's line, before anything is derived.
TEST(DataCompile, MoreStationsThanTheDataFilesHoldAreRefusedAtALine) {
  // Node station 1 and 65536 more, on lines of 9999 stations each out from it
  // (a line's kilometre positions end at 9999).
  std::string text =
      "netz versionsinfo=\"Gross\" gueltig_ab=2020-01-01\nbahnhof 1 \"Knoten\" art=H\n";
  std::string strecken;
  for (int nr = 2; nr <= 65537; ++nr) {
    text += "bahnhof " + std::to_string(nr) + " \"B" + std::to_string(nr) + "\" gebiet=1\n";
    const int km = (nr - 2) % 9999 + 1;
    if (km == 1)
      strecken += (nr > 2 ? "ende\n" : "") + std::string("strecke \"L") + std::to_string(nr) +
                  "\"\n  0 1\n";
    strecken += "  " + std::to_string(km) + " " + std::to_string(nr) + "\n";
  }
  text += "gebiet 1 \"Eins\" knoten=1\n" + strecken + "ende\n";
  std::string got = "(compiled without error)";
  try {
    CompileText(text);
  } catch (const CompileError& e) {
    got = e.what();
  }
  EXPECT_EQ(got.rfind("t.net:", 0), 0u) << got;
  EXPECT_NE(got.find("65537 stations; at most 65536 fit the data files"), std::string::npos) << got;
}

std::vector<std::string> Files(const std::filesystem::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(DataCompile, WritesEveryTableAndNothingHalfWrittenOnFailure) {
  tempdir::Folder dir("zolmanet-test");
  CompiledNet c = CompileText(Join(kBase));
  WriteDataFiles(c, dir.path().string());
  const std::vector<std::string> all = {"DMEBHF", "DMFBRR", "DMFBRW", "DMFEHL", "DMGREN",
                                        "DMPBHF", "DMRBGT", "DMSTEN", "DMTDRG"};
  EXPECT_EQ(Files(dir.path()), all);
  auto size = std::filesystem::file_size(dir.path() / "DMEBHF");
  // Header 26, block 0 "VERSIONSINFO=Test 1" + 2 NULs and its 6-byte header,
  // 7 EBHF records and the empty second block.
  EXPECT_EQ(size, 26u + 6 + 21 + 6 + 7 * 130 + 6);

  // A failing write of one file: the files of the last good run stay as
  // they were, and no temporary file is left.
  tempdir::Folder dir2("zolmanet-test");
  std::ofstream(dir2.path() / "DMEBHF") << "old";
  g_failWriteOf = "DMSTEN";
  EXPECT_THROW(WriteDataFiles(c, dir2.path().string()), CompileError);
  g_failWriteOf = nullptr;
  EXPECT_EQ(Files(dir2.path()), std::vector<std::string>{"DMEBHF"});
  EXPECT_EQ(std::filesystem::file_size(dir2.path() / "DMEBHF"), 3u);

  // An output folder that the failed run made is gone again.
  const std::filesystem::path neu = dir2.path() / "neu";
  g_failWriteOf = "DMSTEN";
  EXPECT_THROW(WriteDataFiles(c, neu.string()), CompileError);
  g_failWriteOf = nullptr;
  EXPECT_FALSE(std::filesystem::exists(neu));
}

using toolrun::Contents;
using toolrun::Slurp;

// A failure while the new files replace the old ones, at the first, a
// middle or the last file, or at a folder in a file's place: the folder
// holds the previous set as it was, with no temporary or backup file.
TEST(DataCompile, ReplacesThePreviousFilesAllOrNothing) {
  CompiledNet oldNet = CompileText(Join(kBase));
  std::vector<std::string> lines = kBase;
  lines[0] = "netz versionsinfo=\"Test 2\" erstellt=2026-02-01T10:00:00 gueltig_ab=2020-01-01";
  lines[12] = "  13 12";
  CompiledNet newNet = CompileText(Join(lines));

  struct Case {
    const char* what;
    const char* failRename;  // stand-in for a refused rename, or null
    const char* folderAt;    // a folder in this file's place, or null
    const char* expected;    // in the error text
  };
  const std::vector<Case> cases = {
      {"a folder in the way", nullptr, "DMRBGT", "DMRBGT: cannot be replaced: "},
      {"refused rename of the first file", "DMFEHL", nullptr,
       "DMFEHL: cannot be renamed into place: "},
      {"refused rename of a middle file", "DMRBGT", nullptr,
       "DMRBGT: cannot be renamed into place: "},
      {"refused rename of the last file", "DMPBHF", nullptr,
       "DMPBHF: cannot be renamed into place: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tempdir::Folder dir("zolmanet-test");
    WriteDataFiles(oldNet, dir.path().string());
    if (c.folderAt) {
      std::filesystem::remove(dir.path() / c.folderAt);
      std::filesystem::create_directories(dir.path() / c.folderAt / "inside");
    }
    const auto before = Contents(dir.path());
    g_failRenameOf = c.failRename;
    std::string got = "(no error)";
    try {
      WriteDataFiles(newNet, dir.path().string());
    } catch (const CompileError& e) {
      got = e.what();
    }
    g_failRenameOf = nullptr;
    EXPECT_NE(got.find(c.expected), std::string::npos) << got;
    EXPECT_EQ(Contents(dir.path()), before);
    if (c.folderAt) {
      EXPECT_TRUE(std::filesystem::exists(dir.path() / c.folderAt / "inside"));
    }
  }

  // The same step without a failure replaces every file and keeps no backup.
  tempdir::Folder dir("zolmanet-test");
  WriteDataFiles(oldNet, dir.path().string());
  const auto before = Contents(dir.path());
  WriteDataFiles(newNet, dir.path().string());
  const auto after = Contents(dir.path());
  ASSERT_EQ(after.size(), 9u);
  for (const auto& [name, bytes] : after) EXPECT_NE(bytes, before.at(name)) << name;
}

// The version info of the 'netz' line is checked like every other text, a
// second 'netz' line is refused, and the command line names file and line
// and exits 1 for each.
TEST(DataCompile, HeaderLineErrorsNameFileAndLineOnTheCommandLine) {
  const std::string head = "netz versionsinfo=\"";
  const std::string tail = "\" erstellt=2026-01-01T10:00:00 gueltig_ab=2020-01-01";
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::string>> edits;  // line 0 = append
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"a NUL",
       {{1, head + "Test" + std::string(1, '\0') + "1" + tail}},
       "netz.net:1:24: NUL byte: a description file holds text only"},
      {"a control character",
       {{1, head + "Test\x1B[1m" + tail}},
       "netz.net:1: versionsinfo: control character U+001B"},
      {"a character outside the code page",
       {{1, head + "Test \xE2\x82\xAC" + tail}},
       "netz.net:1: versionsinfo: character U+20AC has no place in the DOS code page"},
      {"one megabyte",
       {{1, head + std::string(1 << 20, 'x') + tail}},
       "netz.net:1: versionsinfo is 1048576 characters long; at most 80 fit"},
      {"a second 'netz' line",
       {{0, "netz gueltig_ab=2021-01-01"}},
       "netz.net:26: 'netz' is given twice (first at "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tempdir::Folder dir("zolmanet-test");
    std::filesystem::create_directories(dir.path() / "in");
    std::vector<std::string> lines = kBase;
    for (const auto& [line, text] : c.edits) {
      if (line == 0)
        lines.push_back(text);
      else
        lines[static_cast<size_t>(line - 1)] = text;
    }
    std::ofstream(dir.path() / "in" / "netz.net", std::ios::binary) << Join(lines);
    std::string cmd = std::string(ZOLMANET_EXE) + " -o " + (dir.path() / "out").string() + " " +
                      (dir.path() / "in").string() + " 2>" + (dir.path() / "err.txt").string();
    int rc = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(WEXITSTATUS(rc), 1);
    std::string err = Slurp(dir.path() / "err.txt");
    EXPECT_NE(err.find(c.expected), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out"));
  }

  // A text the writer refuses that reached it without the parser (a
  // generated network) is still reported at the line that gave it.
  CompiledNet c = CompileText(Join(kBase));
  c.versionInfo = std::string("Te\0st", 5);
  try {
    BuildDataFiles(c);
    ADD_FAILURE() << "the writer took a NUL";
  } catch (const CompileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("t.net:1: versionsinfo: data-file writer: ", 0), 0u)
        << e.what();
  }
}

TEST(DataCompile, CommandLineReportsTheErrorAndWritesNothing) {
  tempdir::Folder dir("zolmanet-test");
  std::filesystem::create_directories(dir.path() / "in");
  std::vector<std::string> lines = kBase;
  lines[18] = "  9 22";
  std::ofstream(dir.path() / "in" / "netz.net") << Join(lines);
  std::string cmd = std::string(ZOLMANET_EXE) + " -o " + (dir.path() / "out").string() + " " +
                    (dir.path() / "in").string() + " 2>" + (dir.path() / "err.txt").string();
  int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 1);
  std::ifstream err(dir.path() / "err.txt");
  std::stringstream ss;
  ss << err.rdbuf();
  EXPECT_NE(ss.str().find("netz.net:19: line 'B-C' names unknown station 22"), std::string::npos)
      << ss.str();
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "DMEBHF"));

  lines[18] = "  9 21";
  std::ofstream(dir.path() / "in" / "netz.net") << Join(lines);
  rc = std::system(cmd.c_str());
  EXPECT_EQ(WEXITSTATUS(rc), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "out" / "DMSTEN"));
}

using ToolRun = toolrun::Run;
inline ToolRun RunTool(const std::string& args, const std::filesystem::path& scratch) {
  return toolrun::Shell(args, scratch);
}

// A description that makes no data set is refused with exit status 1 at
// the file (and line) it lacks, and the previous data set stays untouched.
TEST(DataCompile, RefusesADescriptionWithoutNetzLineOrStation) {
  std::vector<std::string> stationsOnly(kBase.begin() + 1, kBase.end());
  struct Case {
    const char* what;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"an empty file", "", "d.net: the description has no 'netz' line"},
      {"no 'netz' line", Join(stationsOnly), "d.net: the description has no 'netz' line"},
      {"a 'netz' line and no station", "# only the header\n" + kBase[0] + "\n",
       "d.net:2: the description has no station ('bahnhof' line)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tempdir::Folder dir("zolmanet-test");
    std::filesystem::create_directories(dir.path() / "in");
    std::filesystem::create_directories(dir.path() / "ok");
    std::ofstream(dir.path() / "ok" / "d.net") << Join(kBase);
    const std::string out = (dir.path() / "out").string();
    ToolRun first = RunTool(std::string(ZOLMANET_EXE) + " -o " + out + " " +
                                (dir.path() / "ok").string(), dir.path());
    ASSERT_EQ(first.status, 0) << first.err;
    const auto before = Contents(dir.path() / "out");
    std::ofstream(dir.path() / "in" / "d.net") << c.text;
    for (const char* mode : {"", " --check"}) {
      ToolRun r = RunTool(std::string(ZOLMANET_EXE) + mode + " -o " + out + " " +
                              (dir.path() / "in").string(), dir.path());
      EXPECT_EQ(r.status, 1) << mode;
      EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(Contents(dir.path() / "out"), before);
    }
  }
}

// --help (or -h) goes to standard output with exit status 0; a usage error
// to standard error with exit status 2: first one line naming the option or
// value that is wrong and why (a grid below 3 names the smallest), then
// the usage line.
TEST(DataCompile, ToolsHelpAndUsageErrors) {
  tempdir::Folder dir("zolmanet-test");
  struct Case {
    std::string args;
    int status;
    std::string out, err;
  };
  const std::string zusage = "usage: zolmanet [--check] [-o OUTPUT-FOLDER] DESCRIPTION-FOLDER\n";
  const std::string gusage =
      "usage: netgen [--seed N] [--grid N] [--between N] [--meldungen FILE] [--description] -o "
      "FOLDER\n";
  const std::string z = ZOLMANET_EXE, g = NETGEN_EXE;
  const std::string o = " -o " + (dir.path() / "out").string();
  const Case cases[] = {
      {z + " --help", 0, zusage, ""},
      {z + " -h", 0, zusage, ""},
      {z + " --check --help", 0, zusage, ""},
      {z, 2, "", "zolmanet: the description folder is missing\n" + zusage},
      {z + " --bogus x", 2, "", "zolmanet: unknown option --bogus\n" + zusage},
      {z + " a b", 2, "", "zolmanet: one description folder only, not also 'b'\n" + zusage},
      {z + " x -o", 2, "", "zolmanet: -o needs the output folder\n" + zusage},
      {z + " \"--$(printf '\\033')[1m\"", 2, "", "zolmanet: unknown option --\\x1B[1m\n" + zusage},
      {g + " --help", 0, gusage, ""},
      {g + " -h", 0, gusage, ""},
      {g, 2, "", "netgen: the output folder (-o FOLDER) is missing\n" + gusage},
      {g + " --bogus" + o, 2, "", "netgen: unknown option --bogus\n" + gusage},
      {g + " --seed x" + o, 2, "", "netgen: --seed needs a whole number from 0 to 2147483647, not 'x'\n" + gusage},
      {g + " --seed -1" + o, 2, "", "netgen: --seed needs a whole number from 0 to 2147483647, not '-1'\n" + gusage},
      {g + o + " --seed", 2, "", "netgen: --seed needs a whole number from 0 to 2147483647\n" + gusage},
      {g + " --grid abc" + o, 2, "", "netgen: --grid needs a whole number from 3 to 59, not 'abc'\n" + gusage},
      {g + " --grid 99999999999999999999" + o, 2, "",
       "netgen: --grid needs a whole number from 3 to 59, not '99999999999999999999'\n" + gusage},
      {g + " --between 7 --grid 4x" + o, 2, "", "netgen: --grid needs a whole number from 3 to 64, not '4x'\n" + gusage},
      {g + " --between 51" + o, 2, "", "netgen: --between needs a whole number from 0 to 50, not '51'\n" + gusage},
      {g + " extra" + o, 2, "", "netgen: unexpected argument 'extra'\n" + gusage},
      {g + " --grid 2" + o, 2, "", "netgen: --grid 2 is too small: the smallest grid is 3\n" + gusage},
      {g + " --grid 1" + o, 2, "", "netgen: --grid 1 is too small: the smallest grid is 3\n" + gusage},
      {g + " --grid 0" + o, 2, "", "netgen: --grid 0 is too small: the smallest grid is 3\n" + gusage},
      {g + " --grid -4" + o, 2, "", "netgen: --grid -4 is too small: the smallest grid is 3\n" + gusage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ToolRun r = RunTool(c.args, dir.path());
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out"));
}

}  // namespace
