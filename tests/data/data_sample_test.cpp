// Tests of the sample data set: what the description promises (size, areas,
// list-flag cases, a withdrawn station, a kilometre change, a text for every
// message), and that the compiled files in the build tree load through the
// table manager and answer its lookups.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "msgtext/msgformat.h"
#include "support/msg.h"
#include "support/utname.h"
#include "tools/zolmanet/netcatalog.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/nettext.h"

namespace {

using namespace zolmanet;

const Network& Sample() {
  static const Network net = ParseFolder(ZOLMA_SAMPLE_DESCRIPTION);
  return net;
}

const Station& ByName(const std::string& name) {
  for (const Station& s : Sample().stations) {
    if (s.name == name) return s;
  }
  ADD_FAILURE() << "no station " << name;
  static Station none;
  return none;
}

uint16_t Day(const char* date) {
  std::string err;
  return *ParseDay(date, &err);
}

bool IsNode(const Station& s) { return s.kind == 'H' || s.kind == 'A'; }

TEST(DataSample, DescriptionHoldsWhatTheDataSetPromises) {
  const Network& net = Sample();
  EXPECT_GE(net.stations.size(), 150u);
  EXPECT_GE(net.areas.size(), 8u);
  for (const Area& a : net.areas) {
    EXPECT_GE(a.nodes.size(), 2u) << a.name;
    EXPECT_LE(a.nodes.size(), 6u) << a.name;
  }
  int umlauts = 0, offList = 0, withdrawn = 0, part2 = 0;
  for (const Station& s : net.stations) {
    if (Utf8Length(s.name) != s.name.size()) ++umlauts;
    if (s.listFlag == 'N' || s.flag8 != 'N' || s.flag9 != 'N') ++offList;
    if (s.withdrawn != kNoDay) ++withdrawn;
    if (s.kmPart == 'B') ++part2;
  }
  EXPECT_GE(umlauts, 20);
  EXPECT_GE(offList, 3);
  EXPECT_EQ(withdrawn, 1);
  EXPECT_GE(part2, 1);
  size_t changes = 0;
  for (const Line& l : net.lines) changes += l.changes.size();
  EXPECT_EQ(changes, 1u);

  CompiledNet c = Compile(net);
  EXPECT_FALSE(c.grenHistory.empty()) << "the kilometre change reaches node pairs";
  EXPECT_GE(c.rbgt.size(), 30u);
}

// Every station's tariff area lists the node stations that bound its line
// section (the first node stations reached along the lines without passing
// another node): otherwise its distances would run round a detour.
TEST(DataSample, EveryAreaListsTheNodesThatBoundItsStations) {
  const Network& net = Sample();
  std::map<uint32_t, const Station*> st;
  for (const Station& s : net.stations) st[s.number] = &s;
  std::map<uint32_t, std::set<uint32_t>> adj;
  for (const Line& l : net.lines) {
    for (size_t k = 1; k < l.stops.size(); ++k) {
      adj[l.stops[k - 1].station].insert(l.stops[k].station);
      adj[l.stops[k].station].insert(l.stops[k - 1].station);
    }
  }
  std::map<uint16_t, std::set<uint32_t>> nodesOf;
  for (const Area& a : net.areas) nodesOf[a.number].insert(a.nodes.begin(), a.nodes.end());
  for (const Station& s : net.stations) {
    if (IsNode(s)) continue;
    std::set<uint32_t> seen{s.number};
    std::vector<uint32_t> todo{s.number};
    while (!todo.empty()) {
      uint32_t u = todo.back();
      todo.pop_back();
      for (uint32_t v : adj[u]) {
        if (!seen.insert(v).second) continue;
        if (IsNode(*st[v])) {
          EXPECT_TRUE(nodesOf[s.area].count(v))
              << s.name << " (area " << s.area << ") is bounded by " << st[v]->name;
        } else {
          todo.push_back(v);
        }
      }
    }
  }
}

TEST(DataSample, HoldsATextForEveryMessageOfTheSystem) {
  std::set<std::string> have;
  for (const Message& m : Sample().messages) {
    if (m.variant == 'D') have.insert(std::string(m.ssid, 2) + std::to_string(m.number));
  }
  for (const CatalogEntry& e : MessageCatalog()) {
    EXPECT_TRUE(have.count(std::string(e.ssid) + std::to_string(e.number)))
        << e.ssid << " " << e.number;
  }
}

// Registers every table the application loads under the compiled files'
// paths and loads them, as the application and the engine would.
class DataSampleLoaded : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string dir = ZOLMA_SAMPLE_DIR;
    for (const char* code :
         {"FEHL", "EBHF", "FBRR", "FBRW", "GREN", "RBGT", "STEN", "TDRG", "PBHF"}) {
      paths_.push_back(dir + "/DM" + code);
      ASSERT_EQ(UtSetName(code, paths_.back().c_str()), 0);
    }
    MsgTrapFrame frame;
    int code = MsgTry(frame, [] {
      DbLoadFehl();
      DbLoadPbhf();
      DbInitEbhf();
      DbLoadTab(&DbEbhfTab);
      DbInitFbrr();
      DbLoadTab(&DbFbrrTab);
      DbInitFbrw();
      DbLoadTab(&DbFbrwTab);
      DbInitGren();
      DbLoadTab(&DbGrenTab);
      DbInitRbgt();
      DbLoadTab(&DbRbgtTab);
      DbInitSten();
      DbLoadTab(&DbStenTab);
      DbInitTdrg();
      DbLoadTab(&DbTdrgTab);
    });
    if (code != 0) {
      ADD_FAILURE() << "loading failed with " << code << " ("
                    << std::string(frame.received->SS_id, 2) << " "
                    << frame.received->Meldungsnummer << ")";
      MsgFree(frame.received);
    }
  }
  static std::vector<std::string> paths_;
};
std::vector<std::string> DataSampleLoaded::paths_;

std::string Trim(const char* p, size_t n) {
  std::string s(p, n);
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

std::string Key(const std::string& name) {
  std::string err;
  std::string k = *PbhfKey(name, &err);
  k.resize(20, ' ');
  return k;
}

TEST_F(DataSampleLoaded, EveryTableIsLoaded) {
  for (DbTabDesc* t : {&DbFehlTab, &DbPbhfTab, &DbEbhfTab, &DbFbrrTab, &DbFbrwTab, &DbGrenTab,
                       &DbRbgtTab, &DbStenTab, &DbTdrgTab}) {
    EXPECT_TRUE(DbIsLoaded(t)) << t->code;
  }
}

TEST_F(DataSampleLoaded, StationsAndNames) {
  const uint16_t day = Day("2026-01-15");
  const Station& nbg = ByName("Nürnberg Hbf");
  EbhfSatz e;
  ASSERT_EQ(DbGetEbhf(&e, 80, nbg.number, day), kDbFound);
  EXPECT_EQ(Trim(e.name, 20), "N\x81rnberg Hbf");
  EXPECT_EQ(e.letters[5], 'H');
  EXPECT_EQ(e.tariffArea, 0);

  const Station& rbf = ByName("Nürnberg Rbf");
  ASSERT_EQ(DbGetEbhf(&e, 80, rbf.number, day), kDbFound);
  EXPECT_EQ(e.flags3[1], 'N');
  EXPECT_EQ(e.letters[8], 'N');
  EXPECT_NE(e.tariffArea, 0);

  // The station name lookup: the normalised name and an alias.
  PbhfSatz p;
  ASSERT_EQ(DbGetPbhf(&p, Key("Nürnberg Hbf").c_str(), day), kDbFound);
  EXPECT_EQ(p.station, nbg.number);
  ASSERT_EQ(DbGetPbhf(&p, Key("Nürnberg").c_str(), day), kDbFound);
  EXPECT_EQ(p.station, nbg.number);
  EXPECT_GE(DbCountPbhfPrefix("WUERZBURG", day), 3);

  // The withdrawn halt: there before its day, gone from it on.
  const Station& gone = ByName("Hartershofen");
  ASSERT_NE(gone.withdrawn, kNoDay);
  EXPECT_EQ(DbGetEbhf(&e, 80, gone.number, static_cast<uint16_t>(gone.withdrawn - 1)), kDbFound);
  EXPECT_EQ(DbGetEbhf(&e, 80, gone.number, gone.withdrawn), kDbNotFound);
  EXPECT_EQ(DbGetPbhf(&p, Key("Hartershofen").c_str(), gone.withdrawn), kDbNotFound);
}

TEST_F(DataSampleLoaded, KilometresChangeOnTheirDay) {
  const Station& hirschaid = ByName("Hirschaid");
  const Station& strullendorf = ByName("Strullendorf");
  const Station& forchheim = ByName("Forchheim (Oberfr)");
  const Station& bamberg = ByName("Bamberg");
  const Line* line = nullptr;
  for (const Line& l : Sample().lines) {
    if (!l.changes.empty()) line = &l;
  }
  ASSERT_NE(line, nullptr);
  const uint16_t change = line->changes[0].from;
  StenSatz s;
  GrenSatz g;
  EbKmStichtag = static_cast<UtDayNumber>(change - 1);
  ASSERT_EQ(DbGetSten(&s, hirschaid.number, strullendorf.number), kDbFound);
  EXPECT_EQ(s.kmPart1, 5);
  EXPECT_EQ(s.flag2, 'A');
  ASSERT_EQ(DbGetGren(forchheim.number, &g, bamberg.number), kDbFound);
  EXPECT_EQ(g.kmPart1 + g.kmPart2, 24);
  EXPECT_EQ(g.validUntil, change - 1);
  EbKmStichtag = change;
  ASSERT_EQ(DbGetSten(&s, strullendorf.number, hirschaid.number), kDbFound);
  EXPECT_EQ(s.kmPart1, 4);
  ASSERT_EQ(DbGetGren(bamberg.number, &g, forchheim.number), kDbFound);
  EXPECT_EQ(g.kmPart1 + g.kmPart2, 23);
  EXPECT_NE(g.routeTextNo, 0);
  RbgtSatz r;
  ASSERT_EQ(DbGetRbgt(static_cast<uint32_t>(g.routeTextNo), &r, change), kDbFound);
  EXPECT_EQ(Trim(r.name, sizeof r.name), "Forchheim#Hirschaid#Bamberg");
  // A station and a node of its area: final line kilometres.
  ASSERT_EQ(DbGetSten(&s, hirschaid.number, bamberg.number), kDbFound);
  EXPECT_EQ(s.kmPart1, 9);
  EXPECT_EQ(s.flag2, 'N');
  EbKmStichtag = 0;
}

TEST_F(DataSampleLoaded, AreasListTheirNodeStations) {
  EbKmStichtag = Day("2026-01-15");
  for (const Area& a : Sample().areas) {
    int handle = -1;
    TdrgSatz t;
    std::vector<uint32_t> got;
    while (DbNextTdrg(a.number, &t, &handle) == kDbFound) got.push_back(t.station);
    DbReleaseTdrgCursor(&handle);
    EXPECT_EQ(got, a.nodes) << a.name;
  }
  EbKmStichtag = 0;
}

TEST_F(DataSampleLoaded, MessageTextsInTheSevenBitCode) {
  const uint16_t day = Day("2026-01-15");
  FehlSatz f;
  ASSERT_EQ(DbGetFehl("D", "EB", &f, 1102, day), kDbFound);
  EXPECT_EQ(Trim(f.pattern, 70), "Bahnhof %1d/%2d am %3s nicht im Bahnhofsverzeichnis");
  ASSERT_EQ(DbGetFehl("D", "EB", &f, 1406, day), kDbFound);
  EXPECT_EQ(Trim(f.pattern, 70), "Tarifgebiet ohne Knotenbahnhof");
  ASSERT_EQ(DbGetFehl("D", "EB", &f, 1111, day), kDbFound);
  EXPECT_EQ(Trim(f.pattern, 70), "]bergang zur Ne-/See-Strecke nicht gefunden");
  for (const CatalogEntry& e : MessageCatalog()) {
    EXPECT_EQ(DbGetFehl("D", e.ssid, &f, e.number, day), kDbFound) << e.ssid << " " << e.number;
  }
}

// Every message of the system formats through the message formatter with
// parameters of its raiser's types, and its text shows every parameter.
TEST_F(DataSampleLoaded, EveryMessageFormatsWithItsParameters) {
  for (const CatalogEntry& e : MessageCatalog()) {
    const std::string types = e.types;
    std::vector<std::string> texts;
    texts.reserve(types.size());
    std::vector<MsgArg> args;
    for (char t : types) {
      if (t == 's') {
        texts.push_back("Text" + std::to_string(texts.size()));
        args.emplace_back(texts.back());
      } else if (t == 'l') {
        args.emplace_back(static_cast<int32_t>(8012345));
      } else {
        args.emplace_back(static_cast<int>(4711));
      }
    }
    char buffer[200];
    const std::string id = std::string(e.ssid) + " " + std::to_string(e.number);
    ASSERT_EQ(MsgFormatList(buffer, sizeof buffer, 'D', e.ssid, e.number, kMsgModeNumbered, e.types,
                            std::span<const MsgArg>(args.data(), args.size())),
              0)
        << id << ": " << buffer;
    const std::string text = buffer;
    for (size_t i = 0; i < texts.size(); ++i)
      EXPECT_NE(text.find(texts[i]), std::string::npos) << id << ": " << text;
    FehlSatz f;
    ASSERT_EQ(DbGetFehl("D", e.ssid, &f, e.number, UtToday()), kDbFound) << id;
    const std::string pattern(f.pattern, sizeof f.pattern);
    for (size_t i = 1; i <= types.size(); ++i) {
      EXPECT_NE(pattern.find("%" + std::to_string(i)), std::string::npos)
          << id << " does not show parameter " << i;
    }
  }
}

}  // namespace
