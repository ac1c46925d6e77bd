/*
** Chain reader and segment list: one walk over a direction's result chain
** for the answer points, one for the segment list.
**
** A station whose station kind (flag letter 5) is 'N' is never taken as a
** point. Station elements carry their own EBHF record; the ends of
** segments are looked up in EBHF at country 80 and the request's day.
*/
#include "engine/ebleser.h"

#include <cstring>
#include <utility>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_sten.h"
#include "engine/ebbahnhof.h"
#include "engine/ebkette.h"
#include "engine/ebkm.h"

EbAntwortPunkteScratch EbAntwortPunkte;
std::int32_t EbPunkteRichtung = 0;

void EbAntwortPunkteLoeschen() { EbAntwortPunkte = EbAntwortPunkteScratch{}; }

namespace {

bool istN(const EbhfSatz& s) { return EbBahnhofArt(s) == 'N'; }

}  // namespace

/* The reader's state over one walk. */
namespace {
struct Leser {
  std::int32_t* erster;
  std::int32_t* letzter;
  std::int32_t* p; /* P0 .. P7 of the direction */
  std::int32_t* n; /* N0, N1 of the direction */
  UtDayNumber tag;
  bool ersterGesetzt = false;
  int viaStand = 0; /* 0 none, 1 one via or a relation passed, 2 a second via */
  int legZaehler = 0;
  bool relation = false;
  bool neUebergang = false;
  std::int32_t startBhf = 0;

  void alsErsten(std::int32_t s) {
    if (!ersterGesetzt) {
      *erster = s;
      ersterGesetzt = true;
    }
  }
  void passieren(std::int32_t s) {
    alsErsten(s);
    *letzter = s;
  }
  static void wennNull(std::int32_t& punkt, std::int32_t s) {
    if (punkt == 0) punkt = s;
  }

  void start(const EbhfSatz& s) {
    std::int32_t b = static_cast<std::int32_t>(s.station);
    startBhf = b;
    if (!istN(s)) {
      *erster = *letzter = p[0] = b;
      ersterGesetzt = true;
    }
    legZaehler = 0;
  }

  void via(const EbhfSatz& s) {
    std::int32_t b = static_cast<std::int32_t>(s.station);
    bool nStation = istN(s);
    if (!nStation && !ersterGesetzt) {
      *erster = *letzter = b;
      ersterGesetzt = true;
    }
    if (viaStand == 0) {
      if (!nStation) p[1] = p[2] = b;
      viaStand = 1;
    } else {
      if (!nStation) p[5] = p[6] = b;
      viaStand = 2;
    }
    legZaehler = 0;
  }

  void ziel(const EbhfSatz& s) {
    if (neUebergang) return;
    if (!istN(s)) {
      std::int32_t b = static_cast<std::int32_t>(s.station);
      passieren(b);
      p[7] = b;
    }
    if (viaStand < 2) p[5] = 0;
  }

  void nePunkt(const EbhfSatz& s) {
    if (!neUebergang) {
      ziel(s);
      return;
    }
    std::int32_t b = static_cast<std::int32_t>(s.station);
    startBhf = b;
    if (!istN(s)) {
      *erster = *letzter = p[0] = b;
      ersterGesetzt = true;
    }
  }

  void relationsAbschnitt(const EbListNode* k, std::int32_t* relAus) {
    FbrrSatz f = EbNutzlastLesen<FbrrSatz>(k);
    std::int32_t a = static_cast<std::int32_t>(DbBhfLokal(f.stations[0]));
    std::int32_t b = static_cast<std::int32_t>(DbBhfLokal(f.stations[1]));
    std::uint32_t rel = f.relationNo;
    if (k->umgekehrt != 0) {
      std::swap(a, b);
      rel |= 0x80000000u;
    }
    *relAus = static_cast<std::int32_t>(rel);
    if (!ersterGesetzt || startBhf == a) {
      *erster = a;
      ersterGesetzt = true;
    }
    *letzter = b;
    relation = true;
    legZaehler = 0;
    if (viaStand == 0) {
      viaStand = 1;
      p[3] = p[1];
      p[1] = 0;
    }
    EbhfSatz puffer;
    DbLookupResult r = kDbNotFound;
    const EbhfSatz* s = DbGetEbhfRef(&puffer, kDbLand, static_cast<std::uint32_t>(a), tag, &r);
    if (s != nullptr && r == kDbFound && istN(*s)) n[0] = a;
    s = DbGetEbhfRef(&puffer, kDbLand, static_cast<std::uint32_t>(b), tag, &r);
    if (s != nullptr && r == kDbFound) {
      if (istN(*s))
        n[1] = b;
      else
        p[7] = b;
    }
  }

  void knotenAbschnitt(const EbListNode* k) {
    GrenSatz g = EbNutzlastLesen<GrenSatz>(k);
    std::int32_t a = static_cast<std::int32_t>(g.stationA);
    std::int32_t b = static_cast<std::int32_t>(g.stationB);
    if (k->umgekehrt != 0) std::swap(a, b);
    alsErsten(a);
    *letzter = b;
    if (viaStand == 0) {
      wennNull(p[0], a);
      p[1] = b;
      p[7] = b;
    } else if (viaStand == 1 && !relation) {
      p[2] = a;
      p[3] = b;
      p[7] = b;
    } else if (viaStand == 1) {
      p[4] = a;
      p[5] = b;
      p[7] = b;
    } else {
      p[6] = a;
      p[7] = b;
    }
  }

  void linienAbschnitt(const EbListNode* k) {
    StenSatz st = EbNutzlastLesen<StenSatz>(k);
    std::int32_t a = static_cast<std::int32_t>(st.stationA);
    std::int32_t b = static_cast<std::int32_t>(st.stationB);
    if (k->umgekehrt != 0) std::swap(a, b);

    EbhfSatz puffer;
    if (!istN(EbBahnhofLesen(&puffer, a, tag, EB_RC_KETTE_BHF))) {
      passieren(a);
      if (viaStand == 0) {
        if (legZaehler == 0) wennNull(p[0], a);
      } else if (viaStand == 1 && !relation) {
        if (legZaehler == 1) wennNull(p[3], a);
      } else if (viaStand == 1) {
        wennNull(p[5], a);
      } else {
        if (legZaehler == 1) p[7] = a;
      }
    }

    if (istN(EbBahnhofLesen(&puffer, b, tag, EB_RC_KETTE_BHF))) {
      ++legZaehler;
      return;
    }
    passieren(b);
    if (viaStand == 0) {
      if (legZaehler == 0) {
        if (!relation) {
          if (p[0] == 0)
            p[0] = b;
          else
            p[1] = b;
        } else {
          wennNull(p[5], b);
        }
      }
    } else if (viaStand == 1 && !relation) {
      if (legZaehler == 0) {
        wennNull(p[2], b);
        wennNull(p[3], b);
      }
    } else if (viaStand == 1) {
      wennNull(p[4], b);
      wennNull(p[5], b);
    } else {
      wennNull(p[6], b);
    }
    p[7] = b;
    ++legZaehler;
  }
};
}  // namespace

std::int32_t EbErgKetteAuswerten(std::int32_t* ersterBhf, std::int32_t* letzterBhf,
                                 std::uint32_t slot, std::int32_t* relation, UtDayNumber datum) {
  EbListSlot* s = EbKetteLaufBeginnen(slot);
  int r = EbPunkteRichtung != 0 ? 1 : 0;
  Leser l{ersterBhf, letzterBhf, EbAntwortPunkte.p[r], EbAntwortPunkte.n[r], datum};
  while (EbListNode* k = EbKetteNaechstes(s)) {
    switch (k->typ) {
      case EB_ELEM_START:
        l.start(EbNutzlastLesen<EbhfSatz>(k));
        break;
      case EB_ELEM_VIA:
        l.via(EbNutzlastLesen<EbhfSatz>(k));
        break;
      case EB_ELEM_RELATION:
        l.relationsAbschnitt(k, relation);
        break;
      case EB_ELEM_KNOTEN:
        l.knotenAbschnitt(k);
        break;
      case EB_ELEM_LINIE:
        l.linienAbschnitt(k);
        break;
      case EB_ELEM_NESEE:
        l.neUebergang = true;
        break;
      case EB_ELEM_NEPUNKT:
        l.nePunkt(EbNutzlastLesen<EbhfSatz>(k));
        break;
      case EB_ELEM_ZIEL:
        l.ziel(EbNutzlastLesen<EbhfSatz>(k));
        break;
      default:
        break;
    }
  }
  return 0;
}

/* ---- segment list ----------------------------------------------------- */

namespace {

/* Kilometres of a Ne/See transition go into part 1 or part 2 by the
** kilometre-part letter (flag letter 11) of the transfer station. */
void neSeeKm(EbAbschnitt& e, const NesrSatz& n, UtDayNumber tag) {
  EbhfSatz s;
  std::int32_t ueb = static_cast<std::int32_t>(n.key2);
  if (DbGetEbhf(&s, kDbLand, n.key2, tag) == kDbFound) {
    if (s.letters[11] == 'A') {
      e.km1 = n.value2;
      return;
    }
    if (s.letters[11] == 'B') {
      e.km2 = n.value2;
      return;
    }
  }
  MsgRaise(EB_RC_BHF_FEHLT, kMsgSsEngine, EB_MSG_BHF_FEHLT, kMsgModeNumbered, "dls",
           static_cast<int>(kDbLand), ueb, UtDayText(tag));
}

}  // namespace

void EbAbschnitteFuellen(std::uint32_t slot, EbAbschnitt* eintraege, UtDayNumber datum) {
  std::memset(eintraege, 0, sizeof(EbAbschnitt) * EB_MAX_ABSCHNITTE);
  EbListSlot* s = EbKetteLaufBeginnen(slot);
  int anzahl = 0;
  /* The list has room for 13 entries; a longer chain fills the first 13. */
  while (anzahl < EB_MAX_ABSCHNITTE) {
    EbListNode* k = EbKetteNaechstes(s);
    if (k == nullptr) break;
    EbAbschnitt& e = eintraege[anzahl];
    switch (k->typ) {
      case EB_ELEM_RELATION: {
        FbrrSatz f = EbNutzlastLesen<FbrrSatz>(k);
        e.art = 'F';
        e.von = static_cast<std::int32_t>(DbBhfLokal(f.stations[0]));
        e.nach = static_cast<std::int32_t>(DbBhfLokal(f.stations[1]));
        e.km1 = f.numbers[0];
        e.mitte1 = static_cast<std::int32_t>(DbBhfLokal(f.stations[2]));
        e.mitte2 = static_cast<std::int32_t>(DbBhfLokal(f.stations[3]));
        break;
      }
      case EB_ELEM_KNOTEN: {
        GrenSatz g = EbNutzlastLesen<GrenSatz>(k);
        e.art = 'G';
        e.von = static_cast<std::int32_t>(g.stationA);
        e.nach = static_cast<std::int32_t>(g.stationB);
        e.km1 = g.kmPart1;
        e.km2 = g.kmPart2;
        e.mitte1 = g.routeTextNo;
        break;
      }
      case EB_ELEM_LINIE: {
        StenSatz st = EbNutzlastLesen<StenSatz>(k);
        e.art = 'S';
        e.von = static_cast<std::int32_t>(st.stationA);
        e.nach = static_cast<std::int32_t>(st.stationB);
        e.km1 = st.kmPart1;
        e.km2 = st.kmPart2;
        break;
      }
      case EB_ELEM_NESEE: {
        NesrSatz n = EbNutzlastLesen<NesrSatz>(k);
        e.art = 'N';
        e.von = static_cast<std::int32_t>(anzahl == 0 ? n.key1 : n.key2);
        e.nach = static_cast<std::int32_t>(anzahl == 0 ? n.key2 : n.key1);
        neSeeKm(e, n, datum);
        break;
      }
      case EB_ELEM_BUS: {
        EbBusSatz b = EbNutzlastLesen<EbBusSatz>(k);
        e.art = 'B';
        e.von = static_cast<std::int32_t>(b.ersteHalteNr);
        e.nach = static_cast<std::int32_t>(b.letzteHalteNr);
        e.km1 = b.kmVorNachA;
        e.km2 = b.kmVorNachB;
        break;
      }
      default:
        continue; /* stations fill no entry */
    }
    if (k->umgekehrt != 0) {
      std::swap(e.von, e.nach);
      if (e.art == 'F' && e.mitte2 != 0) std::swap(e.mitte1, e.mitte2);
    }
    ++anzahl;
  }
}
