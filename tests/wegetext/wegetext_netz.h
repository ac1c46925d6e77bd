// Test support for the route text: a small network written with the
// data-file writer, the engine brought up over it, chains built through
// the engine's own chain operations, and a catcher for raises. The shared
// pieces come from tests/common/testnetz.h; this layer keeps the network,
// its day and the chain builder.
//
// The network, day kTag:
//
//   stations 1 Adorf/Adf, 2 Bedorf/Bdf, 3 Cedorf/Cdf, 4 Dedorf/Ddf,
//            5 Eedorf/Edf (area 1 or 2; name / second name),
//            6 "Hamburg Hbf", 7 "Neustadt (Weinstr)" (for compaction)
//   nodes    100 Nordkreuz/Nkz, 200 Mitte/Mit, 300 Suedpunkt/Sdp
//   RBGT     7  100 -> 300  "Nordkreuz#Alpha#Beta#Suedpunkt"
//            8  100 -> 300  "Nordkreuz#<Alpha*Beta>"
//            9  200 -> 300  "Mitte#Gamma#Suedpunkt"
//   FBRW     the relation points a test gives (key 1)
//   STEN/GREN/TDRG  only for the request test: 1-2, 2-3 line segments;
//            11 (area 1) - 100, 21 (area 2) - 300, GREN 100-300 with
//            route text 7.
#ifndef ZOLMA_TESTS_WEGETEXT_WEGETEXT_NETZ_H
#define ZOLMA_TESTS_WEGETEXT_WEGETEXT_NETZ_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "engine/ebinit.h"
#include "engine/ebint.h"
#include "engine/ebkette.h"
#include "engine/ebwegetext.h"
#include "support/msg.h"
#include "support/utname.h"
#include "tests/common/testnetz.h"
#include "tools/dmwriter/dmwriter.h"

namespace wt {

inline constexpr UtDayNumber kTag = 15500;

// What a protected call ended with, and fn run inside a trap frame.
using testnetz::Ausgang;
using testnetz::fangen;

// A station with flag characters "NJN" and flag letters 'N' but for the
// kind and kilometre-part letter 'A'.
inline dmw::EbhfRecord bahnhof(std::uint32_t nr, const std::string& name, const std::string& name2,
                               std::uint16_t gebiet = 0, char art = 'B') {
  return testnetz::bahnhof(nr, name, name2, gebiet, "NJN", testnetz::kennbuchstaben('N', art, 'A'));
}

// The network as records; a test may add to them before the environment
// writes them.
struct Netz {
  std::vector<dmw::EbhfRecord> bhf{
      bahnhof(1, "Adorf", "Adf", 1),
      bahnhof(2, "Bedorf", "Bdf", 1),
      bahnhof(3, "Cedorf", "Cdf", 1),
      bahnhof(4, "Dedorf", "Ddf", 1),
      bahnhof(5, "Eedorf", "Edf", 1),
      bahnhof(6, "Hamburg Hbf", "Hamburg Hbf", 1),
      bahnhof(7, "Neustadt (Weinstr)", "Neustadt (Weinstr)", 1),
      bahnhof(11, "Elfdorf", "Elf", 1),
      bahnhof(21, "Zwanzig", "Zwz", 2),
      bahnhof(100, "Nordkreuz", "Nkz", 0, 'A'),
      bahnhof(200, "Mitte", "Mit", 0, 'A'),
      bahnhof(300, "Suedpunkt", "Sdp", 0, 'A'),
  };
  std::vector<dmw::RbgtEntry> rbgt{
      {7, 0, false, 100, 300, "Nordkreuz#Alpha#Beta#Suedpunkt"},
      {8, 0, false, 100, 300, "Nordkreuz#<Alpha*Beta>"},
      {9, 0, false, 200, 300, "Mitte#Gamma#Suedpunkt"},
  };
  std::vector<dmw::FbrwRecord> fbrw;
  std::vector<dmw::StenPair> sten{
      {1, 2, 0, false, 10, 0, dmw::stenFlags('N', 'N', 'N')},
      {2, 3, 0, false, 12, 0, dmw::stenFlags('N', 'N', 'N')},
      {11, 100, 0, false, 5, 0, dmw::stenFlags('N', 'N', 'N')},
      {21, 300, 0, false, 7, 0, dmw::stenFlags('N', 'N', 'N')},
  };
  std::vector<std::uint32_t> knoten{100, 200, 300};
  std::vector<dmw::GrenPair> gren{
      {100, 300, 0, false, 50, 0, 7, std::nullopt, 0},
      {100, 200, 0, false, 30, 0, 0, std::nullopt, 0},
      {200, 300, 0, false, 40, 0, 0, std::nullopt, 0},
  };
  std::vector<dmw::TdrgEntry> tdrg{{1, 100, 0, false}, {2, 300, 0, false}};

  // A relation point in FBRW (key 1) with its kind letter.
  void punkt(std::uint16_t relation, std::uint16_t gruppe, std::uint32_t station, char art) {
    dmw::FbrwRecord r;
    r.key1 = 1;
    r.key2 = relation;
    r.group = gruppe;
    r.station_number = 8000000 + station;
    r.u8_16 = static_cast<std::uint8_t>(art);
    fbrw.push_back(r);
  }
};

using testnetz::kAlleTabellen;

// Writes the network into a private directory under /tmp, registers every
// engine table (FBRW only when the test gave relation points) and brings
// the engine up; the destructor ends it all again.
class Umgebung : public testnetz::Umgebung {
 public:
  explicit Umgebung(const Netz& n = Netz()) : testnetz::Umgebung("wegetext") {
    datei("EBHF", dmw::ebhfFile(n.bhf));
    datei("RBGT", dmw::rbgtFile(n.rbgt));
    if (!n.fbrw.empty()) datei("FBRW", dmw::fbrwFile(n.fbrw));
    datei("STEN", dmw::stenFile(n.sten));
    datei("GREN", dmw::grenFile(n.knoten, n.gren));
    datei("TDRG", dmw::tdrgFile(n.tdrg));
    hochfahren();
  }
};

// One element of a test chain, by meaning. Segments name their stored
// stations (a, b) and whether the route runs them reversed.
struct Elem {
  std::int32_t typ = 0;
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  std::int32_t rbgt = 0;  // node segment: route-text number
  char richtung = 'N';    // node segment: direction letter
  bool umgekehrt = false;
  std::uint32_t relBhf = 0;  // start/destination: relation station
};

inline Elem Start(std::uint32_t s, std::uint32_t rel = 0) {
  return {EB_ELEM_START, s, 0, 0, 'N', false, rel};
}
inline Elem Ziel(std::uint32_t s, std::uint32_t rel = 0) {
  return {EB_ELEM_ZIEL, s, 0, 0, 'N', false, rel};
}
inline Elem Via(std::uint32_t s) { return {EB_ELEM_VIA, s}; }
inline Elem NePunkt(std::uint32_t s) { return {EB_ELEM_NEPUNKT, s}; }
inline Elem NeUebergang() { return {EB_ELEM_NESEE}; }
inline Elem Linie(std::uint32_t a, std::uint32_t b, bool umg = false) {
  return {EB_ELEM_LINIE, a, b, 0, 'N', umg};
}
inline Elem Knoten(std::uint32_t a, std::uint32_t b, std::int32_t rbgt, bool umg = false,
                   char richtung = 'N') {
  return {EB_ELEM_KNOTEN, a, b, rbgt, richtung, umg};
}
// A relation of key 1 between local stations a and b.
inline Elem Relation(std::uint16_t nr, std::uint32_t a, std::uint32_t b, bool umg = false) {
  return {EB_ELEM_RELATION, a, b, nr, 'N', umg};
}

// Empties the outbound result slot and appends the elements to it through
// the engine's chain operations; returns the slot.
inline std::uint32_t kette(const std::vector<Elem>& elemente) {
  const std::uint32_t slot = static_cast<std::uint32_t>(EbSlotHin);
  EbListeFreigeben(slot);
  for (const Elem& e : elemente) {
    const std::int32_t umg = e.umgekehrt ? 1 : 0;
    switch (e.typ) {
      case EB_ELEM_START:
      case EB_ELEM_ZIEL:
      case EB_ELEM_VIA:
      case EB_ELEM_NEPUNKT: {
        EbhfSatz s;
        std::memset(&s, 0, sizeof s);
        EXPECT_EQ(DbGetEbhf(&s, 80, e.a, kTag), kDbFound) << "station " << e.a;
        s.u32At62 = e.relBhf;
        EbListeAnfuegen(slot, &s, e.typ, 0);
        break;
      }
      case EB_ELEM_LINIE: {
        StenSatz s;
        std::memset(&s, 0, sizeof s);
        s.stationA = e.a;
        s.stationB = e.b;
        s.kmPart1 = 1;
        s.flag1 = s.flag2 = s.flag3 = 'N';
        EbListeAnfuegen(slot, &s, e.typ, umg);
        break;
      }
      case EB_ELEM_KNOTEN: {
        GrenSatz g;
        std::memset(&g, 0, sizeof g);
        g.stationA = e.a;
        g.stationB = e.b;
        g.kmPart1 = 1;
        g.routeTextNo = e.rbgt;
        g.relationCode[0] = g.relationCode[1] = '0';
        g.flag = e.richtung;
        EbListeAnfuegen(slot, &g, e.typ, umg);
        break;
      }
      case EB_ELEM_RELATION: {
        FbrrSatz f;
        std::memset(&f, 0, sizeof f);
        f.keyNo = 1;
        f.relationNo = static_cast<std::uint32_t>(e.rbgt);
        f.stations[0] = 8000000 + e.a;
        f.stations[1] = 8000000 + e.b;
        f.numbers[0] = 10;
        EbListeAnfuegen(slot, &f, e.typ, umg);
        break;
      }
      default: {
        const unsigned char leer[EB_NUTZLAST] = {};
        EbListeAnfuegen(slot, leer, e.typ, umg);
        break;
      }
    }
  }
  return slot;
}

// A fixed-width field as a string without its trailing blanks.
inline std::string ohneBlanks(const char* p, std::size_t n) {
  std::string s(p, n);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace wt

#endif  // ZOLMA_TESTS_WEGETEXT_WEGETEXT_NETZ_H
