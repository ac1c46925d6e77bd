// Test support for the engine's chains, route step and kilometres: small
// fixture networks written with the data-file writer, the engine brought
// up over them, and helpers that catch raises and read chains.
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
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "engine/ebint.h"
#include "support/msg.h"
#include "support/utname.h"
#include "tools/dmwriter/dmwriter.h"

namespace ekm {

inline constexpr UtDayNumber kTag = 15000;

// What a protected call ended with.
struct Ausgang {
  int code = 0;           // raise code, 0 = no raise
  int nummer = 0;         // "EB" message number of the raise
  std::string ss;         // subsystem id
  std::vector<std::int64_t> zahlen;  // the numeric parameters, in order
  std::vector<std::string> texte;    // the text parameters, in order
};

// Runs fn inside a trap frame and reports how it ended.
template <class F>
Ausgang fangen(F&& fn) {
  MsgTrapFrame frame;
  Ausgang a;
  a.code = MsgTry(frame, std::forward<F>(fn));
  if (a.code != 0 && frame.received != nullptr) {
    const Meldungskontext* m = frame.received;
    a.nummer = m->Meldungsnummer;
    a.ss.assign(m->SS_id, 2);
    int n = m->paramCount < kMsgMaxParams ? m->paramCount : kMsgMaxParams;
    for (int i = 0; i < n; ++i) {
      const MsgParamDesc& d = m->params[i];
      if (d.offset < 0) continue;
      if (d.type == 'd') a.zahlen.push_back(MsgDataI16(m, d.offset));
      if (d.type == 'l') a.zahlen.push_back(MsgDataI32(m, d.offset));
      if (d.type == 's')
        a.texte.emplace_back(reinterpret_cast<const char*>(m->data + d.offset), d.length);
    }
  }
  if (a.code != 0) MsgFree(frame.received);
  return a;
}

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
  for (const EbListNode* k = EbListSlots[slot].kopf; k != nullptr; k = k->next) {
    Seg s{k->typ, 0, 0};
    switch (k->typ) {
      case EB_ELEM_START: case EB_ELEM_ZIEL: case EB_ELEM_VIA: case EB_ELEM_NEPUNKT:
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
      default: break;
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
  void station(std::uint32_t nr, std::uint16_t gebiet, char art = ' ', char kmTeil = 'A') {
    dmw::EbhfRecord r;
    r.station_number = nr;
    r.station_name = "Bf " + std::to_string(nr);
    r.second_name = "B" + std::to_string(nr);
    r.tariff_area = gebiet;
    r.flag_chars = "   ";
    r.flag_letters = std::string(14, ' ');
    r.flag_letters[5] = art;
    r.flag_letters[8] = r.flag_letters[9] = 'N';
    r.flag_letters[11] = kmTeil;
    bhf.push_back(r);
  }
  // A node station (kind 'A') that GREN knows.
  void knotenStation(std::uint32_t nr, std::uint16_t gebiet = 0) {
    station(nr, gebiet, 'A');
    knoten.push_back(nr);
  }
  // A STEN pair with its letters.
  void linie(std::uint32_t a, std::uint32_t b, std::uint16_t km1, std::uint16_t km2 = 0,
             char f1 = 'N', char f2 = 'N', char f3 = 'N', std::uint16_t ab = 0) {
    sten.push_back({a, b, ab, false, km1, km2, dmw::stenFlags(f1, f2, f3)});
  }
  void grenPaar(std::uint32_t a, std::uint32_t b, std::uint16_t km1, std::uint16_t km2 = 0) {
    dmw::GrenPair p;
    p.station_a = a;
    p.station_b = b;
    p.km_part1 = km1;
    p.km_part2 = km2;
    gren.push_back(p);
  }
  void gebietKnoten(std::uint16_t gebiet, std::uint32_t k, std::uint16_t ab = 0,
                    bool zurueck = false) {
    tdrg.push_back({gebiet, k, ab, zurueck});
  }
};

// Which tables get a file; the others are registered without one.
struct Dateien {
  bool ebhf = true, sten = true, gren = true, tdrg = true, fbrr = true;
};

// Writes a network, registers every engine table name and brings the
// engine up over it; the destructor ends the engine and removes it all.
class Umgebung {
 public:
  explicit Umgebung(const Netz& n, Dateien d = {}) {
    char muster[] = "/tmp/enginekm_XXXXXX";
    char* p = mkdtemp(muster);
    if (p == nullptr) throw std::runtime_error("mkdtemp");
    dir_ = p;
    const char* alle[] = {"EBGG", "EBGB", "EBHF", "TDRG", "FBRR", "GREN",
                          "STEN", "RBGT", "NESR", "NGAT", "LOST", "FBRW"};
    for (const char* c : alle) UtSetName(c, kDbNoFileName);
    if (d.ebhf) datei("EBHF", dmw::ebhfFile(n.bhf));
    if (d.sten) datei("STEN", dmw::stenFile(n.sten));
    if (d.gren) datei("GREN", dmw::grenFile(n.knoten, n.gren));
    if (d.tdrg) datei("TDRG", dmw::tdrgFile(n.tdrg));
    if (d.fbrr) datei("FBRR", dmw::fbrrFile(n.fbrr));
    initCode = EbGfInitEntfernungsBerechnung();
  }
  ~Umgebung() {
    EbGfEndeEntfernungsBerechnung();
    const char* alle[] = {"EBGG", "EBGB", "EBHF", "TDRG", "FBRR", "GREN",
                          "STEN", "RBGT", "NESR", "NGAT", "LOST", "FBRW"};
    for (const char* c : alle) UtRemoveName(kUtRegisterGroup, c);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  Umgebung(const Umgebung&) = delete;
  Umgebung& operator=(const Umgebung&) = delete;

  int initCode = -1;

 private:
  void datei(const char* code, const dmw::DataFile& f) {
    std::filesystem::path pfad = dir_ / (std::string("DM") + code);
    f.write(pfad);
    UtSetName(code, pfad.c_str());
  }
  std::filesystem::path dir_;
};

// A type '1' request as the main dialog sends it, with the segment list
// asked for through the flags by the caller.
inline EbAnfrage anfrage(std::int32_t von, std::int32_t nach, std::int32_t via1 = 0,
                         std::int32_t via2 = 0, UtDayNumber tag = kTag) {
  EbAnfrage a;
  std::memset(&a, 0, sizeof a);
  std::memcpy(a.itId, "XXXXXX", 6);
  a.anfrageTyp = '1';
  a.textBreite = 100;
  a.textFlag = '1';
  a.fahrtCode = '1';
  a.zweiWege = 'N';
  a.datum = tag;
  a.hin.optionFlag = 'N';
  a.hin.ibv = von;
  a.hin.ibn = nach;
  a.hin.relSchluessel1 = 1;
  a.hin.bpVor = via1;
  a.hin.bpNach = via2;
  a.hin.reserviert2 = 'K';
  a.rueck.relSchluessel1 = 1;
  a.rueck.reserviert2 = ' ';
  a.optionen[0] = a.optionen[1] = 'N';
  a.festeFolge = 1;
  return a;
}

// The outbound segments of a segment list up to its end mark.
inline std::vector<EbAbschnitt> abschnitte(const EbAbschnitte& l) {
  std::vector<EbAbschnitt> v;
  for (const EbAbschnitt& e : l.hin) {
    if (e.art == 0) break;
    v.push_back(e);
  }
  return v;
}

}  // namespace ekm

#endif
