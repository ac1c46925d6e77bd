// Test support for the route-variant search: a small network with EBGG
// profiles, EBGB point mappings and FBRR relations written with the
// data-file writer, the engine brought up over it, a message catcher for
// the warnings, and helpers that read the search's result lists. The
// shared pieces come from tests/common/testnetz.h; this layer keeps the
// network, its day, the search day set after start-up and the catcher.
#ifndef ZOLMA_TESTS_VARIANTEN_VAR_NETZ_H
#define ZOLMA_TESTS_VARIANTEN_VAR_NETZ_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebgg.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "engine/ebint.h"
#include "engine/ebsuche.h"
#include "engine/ebvar.h"
#include "support/msg.h"
#include "support/utname.h"
#include "tests/common/testnetz.h"
#include "tools/dmwriter/dmwriter.h"

namespace vartest {

inline constexpr UtDayNumber kTag = 15500;

// ---- the network ---------------------------------------------------------

struct Netz {
  std::vector<dmw::EbhfRecord> bhf;
  std::vector<dmw::StenPair> sten;
  std::vector<dmw::EbggRecord> ebgg;
  std::vector<dmw::EbgbRecord> ebgb;
  std::vector<dmw::FbrrRecord> fbrr;

  // An ordinary station (kind 'B') of tariff area 1.
  void station(std::uint32_t nr) {
    bhf.push_back(testnetz::bahnhof(nr, "Bf " + std::to_string(nr), "B" + std::to_string(nr), 1,
                                    "NJN", testnetz::kennbuchstaben('N', 'B', 'A')));
  }
  // A line whose direct kilometres stand (second STEN letter 'J').
  void linie(std::uint32_t a, std::uint32_t b, std::uint16_t km) {
    sten.push_back(testnetz::stenPaar(a, b, km, 0, dmw::stenFlags('N', 'J', 'N')));
  }
  // A profile entry (key1 profile, key2 entry).
  void profil(std::uint16_t key1, std::uint16_t key2, std::uint16_t rang, std::uint16_t flags = 0) {
    dmw::EbggRecord r;
    r.key1 = key1;
    r.key2 = key2;
    r.rank = rang;
    r.profile_flags = flags;
    r.text_16 = "Profil " + std::to_string(key1) + "/" + std::to_string(key2);
    ebgg.push_back(r);
  }
  // An EBGB mapping: under entry key, point `punkt` stands at `fuer`.
  void abbild(std::uint16_t key, std::uint32_t punkt, std::uint32_t fuer, const std::string& name,
              std::uint32_t schwelle = 0) {
    dmw::EbgbRecord r;
    r.key1 = key;
    r.key2 = punkt;
    r.group = fuer;
    std::string n = name;
    n.resize(24, ' ');
    r.text_12 = std::string(24, '-') + n;
    r.km_threshold = schwelle;
    ebgb.push_back(r);
  }
};

// Which of the search's tables get a file (the shipped configuration has
// none for EBGG and EBGB).
struct Dateien {
  bool ebgg = true, ebgb = true, fbrr = true;
};

// Writes a network into a private directory under /tmp (GREN and TDRG
// empty), registers every engine table name and brings the engine up over
// it, then sets the search day to kTag; the destructor ends the engine and
// removes it all.
class Umgebung : public testnetz::Umgebung {
 public:
  explicit Umgebung(const Netz& n, Dateien d = {}) : testnetz::Umgebung("varianten") {
    datei("EBHF", dmw::ebhfFile(n.bhf));
    datei("STEN", dmw::stenFile(n.sten));
    datei("GREN", dmw::grenFile({}, {}));
    datei("TDRG", dmw::tdrgFile({}));
    if (d.fbrr) datei("FBRR", dmw::fbrrFile(n.fbrr));
    if (d.ebgg) datei("EBGG", dmw::ebggFile(n.ebgg));
    if (d.ebgb) datei("EBGB", dmw::ebgbFile(n.ebgb));
    hochfahren();
    EbSucheTag = kTag;
  }
};

// ---- messages --------------------------------------------------------------

// One message written to the message file: its number and its numeric and
// text parameters in order.
using testnetz::Meldung;

inline std::vector<Meldung>& gesendet() {
  static std::vector<Meldung> v;
  return v;
}

inline void mitschreiben(const Meldungskontext* m) {
  gesendet().push_back(testnetz::meldungLesen(m));
}

// Catches what goes to the message file while it lives.
class Mithoerer {
 public:
  Mithoerer() {
    gesendet().clear();
    MsgFileSetWriter(&mitschreiben);
    MsgFileTestSetSwitch(1);
  }
  ~Mithoerer() {
    MsgFileTestSetSwitch(0);
    MsgFileSetWriter(nullptr);
  }
  const std::vector<Meldung>& meldungen() const { return gesendet(); }
};

// ---- running engine code inside a trap frame -----------------------------

// Returns the raise code (0 = none) and, when the raise left a message,
// stores its number in *nummer.
template <class F>
int fangen(F&& fn, int* nummer = nullptr) {
  const testnetz::Ausgang a = testnetz::fangen(std::forward<F>(fn));
  if (nummer != nullptr && a.gemeldet) *nummer = a.nummer;
  return a.code;
}

// ---- route points and result lists -----------------------------------------

inline EbPunkt punkt(std::int32_t b, std::uint16_t pf, std::uint16_t sf, std::uint16_t af = 0) {
  EbPunkt p{};
  p.bahnhof = b;
  p.punktFlags = pf;
  p.seitenFlags = sf;
  p.artFlags = af;
  return p;
}

// A search request of the rail route step without a fixed point sequence.
inline EbSuchAnfrage suchAnfrage(std::int32_t von, std::int32_t nach, std::int32_t profil = 1) {
  EbSuchAnfrage a{};
  a.von = von;
  a.nach = nach;
  a.relWert = 1;
  a.konstante = 3;
  a.profilKey = profil;
  a.festeFolge = 0;
  a.datum = kTag;
  return a;
}

inline std::vector<EbWegeVar> varianten(const UtList& l) {
  std::vector<EbWegeVar> v(l.count);
  if (l.count > 0) std::memcpy(v.data(), l.elements, l.count * sizeof(EbWegeVar));
  return v;
}

// The stations of a variant's points as local numbers, substitutes marked
// with '*', e.g. "10 31* 20".
inline std::string folge(const UtList& bhf, const EbWegeVar& v) {
  std::string s;
  for (std::int32_t i = 0; i < v.anzahl; ++i) {
    const auto* p =
        static_cast<const EbPunkt*>(UtListAt(&bhf, static_cast<std::uint32_t>(v.ersterIndex + i)));
    if (p == nullptr) return s + "?";
    if (!s.empty()) s += ' ';
    s += std::to_string(static_cast<std::uint32_t>(p->bahnhof) % 100000u);
    if ((p->punktFlags & EB_PF_ART_MASKE) == EB_PF_ERSATZ) s += '*';
  }
  return s;
}

inline std::string name25(const char* p) {
  std::string s(p, 25);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}

}  // namespace vartest

#endif  // ZOLMA_TESTS_VARIANTEN_VAR_NETZ_H
