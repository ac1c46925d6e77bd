// Test support for the distance engine: a small network written with the
// data-file writer into a private working directory (the loader opens the
// files from the current directory), the logical names of the engine's
// twelve tables, and a request record filled as the main dialog fills it.
// The shared pieces come from tests/common/testnetz.h; this layer keeps the
// network, its day, its flag letters and the current-directory file names.
//
// The network ("Netz"), day kTag:
//
//   area 1: node stations 100 (kind 'A'), 200 (kind 'H'); stations 11, 12
//   area 2: node station 300 (kind 'A');                 stations 21, 22
//   (ordinary stations have kind 'B'; node stations carry tariff area 0)
//   station 99: no node, tariff area 0
//   station 500: a Ne/See station (transfer at 11)
//
//   GREN  100-200 30+0   100-300 50+5   200-300 40+0
//   STEN  11-100  5 (N A N)    11-200 20 (N A N)
//         12-100  8 (N A N)    12-200  6 (N A N)
//         21-300  7 (N N N)    22-300  9 (N N N)
//         11-12  10 (N J J)    (second letter 'J': the direct route stands;
//                               third letter 'J': a final line segment)
//   FBRR  key 1, relation 777: 100 -> 300, 45 km
//   NESR  (500, 11): line 7, 12 km, code 999;  (500, 12): line 8, 13 km
//   NGAT  (11, 500, 5, 6): 14 km (traffic 5, category 6)
//   LOST  (5, 6, 11, 21): texts, 33 km
//
// So 11 -> 21 runs over the nodes 100 and 300 (5 + 55 + 7 = 67; the tie
// with 200 goes to the first node), 12 -> 21 over 200 and 300
// (6 + 40 + 7 = 53), 12 -> 22 over 200 and 300 (6 + 40 + 9 = 55), and
// 22 -> 21 through their common node 300 (9 + 7 = 16, no GREN segment).
#ifndef ZOLMA_TESTS_ENGINE_ENGINE_FIXTURE_H
#define ZOLMA_TESTS_ENGINE_ENGINE_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/common/tempdir.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "support/msg.h"
#include "support/utname.h"
#include "tests/common/testnetz.h"
#include "tools/dmwriter/dmwriter.h"

namespace enginetest {

inline constexpr UtDayNumber kTag = 16000;

// Creates (once per process) a temporary directory and makes it the
// current directory; it is removed at exit. The files are written and
// registered under names relative to it.
inline void DatenVerzeichnis() { std::filesystem::current_path(tempdir::ForProcess("engine")); }

// Flag letters: index 5 station kind, 8 and 9 'N', 11 km-part letter, the
// rest 'N'.
inline std::string Buchstaben(char art, char kmTeil = 'A') {
  return testnetz::kennbuchstaben('N', art, kmTeil);
}

// A station with second name "<name> Kurz" and flag characters "NJN".
inline dmw::EbhfRecord Bahnhof(std::uint32_t nr, const std::string& name, char art,
                               std::uint16_t gebiet, char kmTeil = 'A') {
  return testnetz::bahnhof(nr, name, name + " Kurz", gebiet, "NJN", Buchstaben(art, kmTeil));
}

inline dmw::StenPair Sten(std::uint32_t a, std::uint32_t b, std::uint16_t km1, char f1, char f2,
                          char f3, std::uint16_t km2 = 0) {
  return testnetz::stenPaar(a, b, km1, km2, dmw::stenFlags(f1, f2, f3));
}

inline dmw::GrenPair Gren(std::uint32_t a, std::uint32_t b, std::uint16_t km1,
                          std::uint16_t km2 = 0) {
  return testnetz::grenPaar(a, b, km1, km2);
}

// The fixture network as records, so that a test can change a part before
// writing it.
struct Netz {
  std::vector<dmw::EbhfRecord> bahnhoefe{
      Bahnhof(11, "Adorf", 'B', 1),
      Bahnhof(12,
              "B\x84"
              "ckersdorf",
              'B', 1),  // Bäckersdorf in the DOS code page
      Bahnhof(21, "Cestadt", 'B', 2),
      Bahnhof(22, "Dorheim", 'B', 2),
      Bahnhof(99, "Ohnegebiet", 'B', 0),
      Bahnhof(100, "Knotenstadt Hbf", 'A', 0),
      Bahnhof(200, "Hafenkreuz", 'H', 0),
      Bahnhof(300, "Mittelknoten", 'A', 0),
      Bahnhof(500, "Seehafen", 'B', 0, 'B'),
  };
  std::vector<dmw::TdrgEntry> tdrg{{1, 100, 0, false}, {1, 200, 0, false}, {2, 300, 0, false}};
  std::vector<std::uint32_t> knoten{100, 200, 300};
  std::vector<dmw::GrenPair> gren{Gren(100, 200, 30), Gren(100, 300, 50, 5), Gren(200, 300, 40)};
  std::vector<dmw::StenPair> sten{
      Sten(11, 100, 5, 'N', 'A', 'N'), Sten(11, 200, 20, 'N', 'A', 'N'),
      Sten(12, 100, 8, 'N', 'A', 'N'), Sten(12, 200, 6, 'N', 'A', 'N'),
      Sten(21, 300, 7, 'N', 'N', 'N'), Sten(22, 300, 9, 'N', 'N', 'N'),
      Sten(11, 12, 10, 'N', 'J', 'J'),
  };
  std::vector<dmw::FbrrRecord> fbrr{
      {1, 777, 0, 4242, {8000100, 8000300, 0, 0}, {45, 0, 0, 0}, dmw::kOpenEndDay}};
  std::vector<dmw::NesrRecord> nesr{{500, 11, 0, false, 7, 12, 999},
                                    {500, 12, 0, false, 8, 13, 998}};
  std::vector<dmw::NgatRecord> ngat{{11, 500, 5, 6, 0, false, 14}};
  std::vector<dmw::LostRecord> lost{
      {5, 6, 11, 21, 0, false, std::string("Von-Ort-Text") + std::string(8, ' ') + "Nach-Ort-Text",
       "Hinweis eins", "Hinweis zwei", 33}};

  // Creation times of the EBHF and TDRG files.
  std::int32_t zeitEbhf = dmw::kDefaultCreationTime;
  std::int32_t zeitTdrg = dmw::kDefaultCreationTime;

  // Tables written without a file: registered as "#$/&-.+()".
  std::vector<std::string> ohneDatei{"EBGG", "EBGB", "RBGT", "FBRW"};

  // Writes every file and registers every engine table's logical name.
  void Schreiben() const {
    DatenVerzeichnis();
    dmw::DataFile ebhf = dmw::ebhfFile(bahnhoefe);
    ebhf.creation_time = zeitEbhf;
    Datei(ebhf, "EBHF", "DMEBHF");
    dmw::DataFile tdrgDatei = dmw::tdrgFile(tdrg);
    tdrgDatei.creation_time = zeitTdrg;
    Datei(tdrgDatei, "TDRG", "DMTDRG");
    Datei(dmw::grenFile(knoten, gren), "GREN", "DMGREN");
    Datei(dmw::stenFile(sten), "STEN", "DMSTEN");
    Datei(dmw::fbrrFile(fbrr), "FBRR", "DMFBRR");
    Datei(dmw::nesrFile(nesr), "NESR", "DMNESR");
    Datei(dmw::ngatFile(ngat), "NGAT", "DMNGAT");
    Datei(dmw::lostFile(lost), "LOST", "DMLOST");
    for (const std::string& code : ohneDatei) ASSERT_EQ(UtSetName(code.c_str(), kDbNoFileName), 0);
  }

  static void Datei(const dmw::DataFile& f, const char* code, const char* phys) {
    ASSERT_EQ(testnetz::dateiSchreiben(f, code, phys), 0);
  }
};

// A type '1' request as the main dialog sends it, for day kTag.
inline EbAnfrage DialogAnfrage(std::int32_t von, std::int32_t nach, std::int32_t via1 = 0,
                               std::int32_t via2 = 0) {
  return testnetz::dialogAnfrage(von, nach, via1, via2, kTag);
}

// The fixed-width text as a string.
inline std::string Feld(const char* p, std::size_t n) { return std::string(p, n); }
inline std::string Leer(std::size_t n) { return std::string(n, ' '); }

// The distance the dialog shows for a direction.
inline std::uint32_t Summe(const EbWeg& w) { return w.kmWzVxt + w.kmDrVxt + w.kmWz + w.kmDr; }

// The segment list of one direction as a compact text, e.g.
// "S11-100 G100-300 S300-21".
inline std::string Abschnitte(const EbAbschnitt* e) {
  std::string s;
  for (const EbAbschnitt& x : testnetz::bisEndmarke(e)) {
    if (!s.empty()) s += ' ';
    s += x.art;
    s += std::to_string(x.von) + "-" + std::to_string(x.nach);
  }
  return s;
}

}  // namespace enginetest

#endif  // ZOLMA_TESTS_ENGINE_ENGINE_FIXTURE_H
