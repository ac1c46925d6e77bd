// Test support for the engine's chains, route step and kilometres: small
// fixture networks written with the data-file writer, the engine brought
// up over them, and helpers that catch raises and read chains. The shared
// pieces come from tests/common/testnetz.h; this layer keeps the day, the
// blank-filled flag letters, the chain reader and which files are written.
#ifndef ZOLMA_TESTS_ENGINEKM_EKM_NETZ_H
#define ZOLMA_TESTS_ENGINEKM_EKM_NETZ_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "engine/ebint.h"
#include "engine/ebkette.h"
#include "support/msg.h"
#include "support/utname.h"
#include "tests/common/testnetz.h"
#include "tools/dmwriter/dmwriter.h"

namespace ekm {

inline constexpr UtDayNumber kTag = 15000;

// What a protected call ended with, and fn run inside a trap frame.
using testnetz::Ausgang;
using testnetz::fangen;

// One segment of a chain as the tests compare it.
struct Seg {
  int typ;
  std::int32_t von;  // in travel order
  std::int32_t nach;
  bool operator==(const Seg&) const = default;
};

inline std::ostream& operator<<(std::ostream& o, const Seg& s) {
  return o << "{" << s.typ << " " << s.von << "->" << s.nach << "}";
}

// The elements of a chain: stations as {type, station, 0}, segments as
// {type, from, to} in travel order.
inline std::vector<Seg> kette(std::int32_t slot) {
  std::vector<Seg> v;
  for (const EbListNode* k = EbListSlotLesen(slot).kopf; k != nullptr; k = k->next) {
    Seg s{k->typ, 0, 0};
    switch (k->typ) {
      case EB_ELEM_START:
      case EB_ELEM_ZIEL:
      case EB_ELEM_VIA:
      case EB_ELEM_NEPUNKT:
        s.von = static_cast<std::int32_t>(EbNutzlastLesen<EbhfSatz>(k).station);
        break;
      case EB_ELEM_LINIE: {
        StenSatz st = EbNutzlastLesen<StenSatz>(k);
        s.von = static_cast<std::int32_t>(st.stationA);
        s.nach = static_cast<std::int32_t>(st.stationB);
        break;
      }
      case EB_ELEM_KNOTEN: {
        GrenSatz g = EbNutzlastLesen<GrenSatz>(k);
        s.von = static_cast<std::int32_t>(g.stationA);
        s.nach = static_cast<std::int32_t>(g.stationB);
        break;
      }
      case EB_ELEM_RELATION: {
        FbrrSatz f = EbNutzlastLesen<FbrrSatz>(k);
        s.von = static_cast<std::int32_t>(f.stations[0]);
        s.nach = static_cast<std::int32_t>(f.stations[1]);
        break;
      }
      default:
        break;
    }
    if (k->umgekehrt) std::swap(s.von, s.nach);
    v.push_back(s);
  }
  return v;
}

inline Seg S(std::int32_t a, std::int32_t b) { return {EB_ELEM_LINIE, a, b}; }
inline Seg G(std::int32_t a, std::int32_t b) { return {EB_ELEM_KNOTEN, a, b}; }
inline Seg V(std::int32_t a) { return {EB_ELEM_VIA, a, 0}; }

// A fixture network: the tables the kilometre computation reads.
struct Netz {
  std::vector<dmw::EbhfRecord> bhf;
  std::vector<dmw::StenPair> sten;
  std::vector<std::uint32_t> knoten;  // GREN node list
  std::vector<dmw::GrenPair> gren;
  std::vector<dmw::TdrgEntry> tdrg;
  std::vector<dmw::FbrrRecord> fbrr;

  // A station; kind ' ' ordinary, 'A'/'H' node, 'N' skipped as a point.
  // Flag characters and flag letters are blank but for the letters read.
  void station(std::uint32_t nr, std::uint16_t gebiet, char art = ' ', char kmTeil = 'A') {
    bhf.push_back(testnetz::bahnhof(nr, "Bf " + std::to_string(nr), "B" + std::to_string(nr),
                                    gebiet, "   ", testnetz::kennbuchstaben(' ', art, kmTeil)));
  }
  // A node station (kind 'A') that GREN knows.
  void knotenStation(std::uint32_t nr, std::uint16_t gebiet = 0) {
    station(nr, gebiet, 'A');
    knoten.push_back(nr);
  }
  // A STEN pair with its letters.
  void linie(std::uint32_t a, std::uint32_t b, std::uint16_t km1, std::uint16_t km2 = 0,
             char f1 = 'N', char f2 = 'N', char f3 = 'N', std::uint16_t ab = 0) {
    sten.push_back(testnetz::stenPaar(a, b, km1, km2, dmw::stenFlags(f1, f2, f3), ab));
  }
  void grenPaar(std::uint32_t a, std::uint32_t b, std::uint16_t km1, std::uint16_t km2 = 0) {
    gren.push_back(testnetz::grenPaar(a, b, km1, km2));
  }
  void gebietKnoten(std::uint16_t gebiet, std::uint32_t k, std::uint16_t ab = 0,
                    bool zurueck = false) {
    tdrg.push_back({gebiet, k, ab, zurueck});
  }
};

// The node stations of the base network.
inline constexpr std::int32_t K1 = 1000, K2 = 2000;

// The base network: area 1 (stations 11, 12, 13) served by node K1, area 2
// (21, 22) by node K2; lines 11-K1 of 5 + 1 km, 12-K1 7, 13-K1 3, 21-K2 4,
// 22-K2 6; GREN K1-K2 30 + 2. kmZuschlag lengthens the first part of
// 11-K1 and of K1-K2.
inline Netz basisNetz(std::uint16_t kmZuschlag = 0) {
  Netz n;
  n.knotenStation(K1);
  n.knotenStation(K2);
  for (std::uint32_t s : {11u, 12u, 13u}) n.station(s, 1);
  for (std::uint32_t s : {21u, 22u}) n.station(s, 2);
  n.gebietKnoten(1, K1);
  n.gebietKnoten(2, K2);
  n.linie(11, K1, static_cast<std::uint16_t>(5 + kmZuschlag), 1);
  n.linie(12, K1, 7);
  n.linie(13, K1, 3);
  n.linie(21, K2, 4);
  n.linie(22, K2, 6);
  n.grenPaar(K1, K2, static_cast<std::uint16_t>(30 + kmZuschlag), 2);
  return n;
}

// Which tables get a file; the others are registered without one.
struct Dateien {
  bool ebhf = true, sten = true, gren = true, tdrg = true, fbrr = true;
};

// Writes a network into a private directory under /tmp, registers every
// engine table name (those without a file as such) and brings the engine
// up over it; the destructor ends the engine and removes it all.
class Umgebung : public testnetz::Umgebung {
 public:
  explicit Umgebung(const Netz& n, Dateien d = {}) : testnetz::Umgebung("enginekm") {
    if (d.ebhf) datei("EBHF", dmw::ebhfFile(n.bhf));
    if (d.sten) datei("STEN", dmw::stenFile(n.sten));
    if (d.gren) datei("GREN", dmw::grenFile(n.knoten, n.gren));
    if (d.tdrg) datei("TDRG", dmw::tdrgFile(n.tdrg));
    if (d.fbrr) datei("FBRR", dmw::fbrrFile(n.fbrr));
    hochfahren();
  }
};

// A type '1' request as the main dialog sends it, with the segment list
// asked for through the flags by the caller.
inline EbAnfrage anfrage(std::int32_t von, std::int32_t nach, std::int32_t via1 = 0,
                         std::int32_t via2 = 0, UtDayNumber tag = kTag) {
  return testnetz::dialogAnfrage(von, nach, via1, via2, tag);
}

// The outbound segments of a segment list up to its end mark.
inline std::vector<EbAbschnitt> abschnitte(const EbAbschnitte& l) {
  return testnetz::bisEndmarke(l.hin);
}

// Areas 7 to 10 of a failure network: 71 served by node K7, which the
// network's GREN pairs leave out (1105); 81 served by K8 without a STEN pair
// (1107); area 9 without a node station (1406); area 10 with eleven node
// stations 10000 to 10010 (1408).
inline void fehlerGebiete(Netz& n, std::int32_t K7, std::int32_t K8) {
  n.knotenStation(K7);
  n.station(71, 7);
  n.gebietKnoten(7, K7);
  n.linie(71, K7, 3);
  n.knotenStation(K8);
  n.station(81, 8);
  n.gebietKnoten(8, K8);
  n.station(91, 9);
  n.station(101, 10);
  for (std::uint32_t k = 0; k < 11; ++k) {
    n.knotenStation(10000 + k);
    n.gebietKnoten(10, 10000 + k);
    n.linie(101, 10000 + k, 5);
  }
}

}  // namespace ekm

#endif
