/*
** ebvarlaufweg.cpp - Laufweg records and EBGB points of the route-variant
** search.
**
** For each entry of the current profile group this module describes the two
** ends of the route as that entry sees them: an origin record and a
** destination record, each holding the side's end point, the border points
** (on the side the border marker names), the break points and the relation
** stations, every point completed from EBGB where the entry's key maps it.
** EbEbgbPunktLesen completes one point; its EBGB cursor is given back on
** every path.
*/
#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebgb.h"
#include "engine/ebvar.h"

namespace {

EbEbgbSchritt ebgbSchritt = &DbNextEbgb;

/* Sends an EBGB warning "lls" (key, station, day). */
void ebgbWarnung(std::uint16_t nummer, std::uint16_t key, std::uint32_t bahnhof, UtDayNumber tag) {
  MsgSend(kMsgSsEngine, nummer, kMsgModeNumbered, "lls", static_cast<std::int32_t>(key),
          static_cast<std::int32_t>(bahnhof), UtDayText(tag));
}

}  // namespace

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void EbVarEbgbSchrittSetzen(EbEbgbSchritt schritt) {
  ebgbSchritt = schritt != nullptr ? schritt : &DbNextEbgb;
}
#endif

std::int32_t EbEbgbPunktLesen(std::uint32_t bahnhof, UtDayNumber tag, EbLaufwegPunkt* punkt,
                              std::int32_t* gefunden, std::uint16_t ebgbKey) {
  const std::uint32_t land = DbBhfLand(bahnhof);
  if (land != 0 && land != kDbLand) {
    *gefunden = 0;
    return 0;
  }
  const std::uint32_t lokal = DbBhfLokal(bahnhof);
  const std::uint32_t voll = kDbBhfLandBasis + lokal;

  int handle = -1;
  EbgbSatz satz{};
  DbLookupResult r = ebgbSchritt(&satz, &handle, ebgbKey, lokal, tag);
  if (r == kDbFound) {
    punkt->punkt.bahnhof = static_cast<std::int32_t>(kDbBhfLandBasis + satz.group);
    std::memcpy(punkt->name, satz.text48 + 24, 24);
    punkt->kmSchwelle = static_cast<std::int32_t>(satz.kmThreshold);
    *gefunden = 1;
  } else if (r == kDbBadArgs) {
    DbReleaseEbgbCursor(&handle);
    ebgbWarnung(EB_MSG_WARN_EBGB1, ebgbKey, lokal, tag);
    return EB_MSG_WARN_EBGB1;
  }
  /* No slot was taken (table not loaded, no free cursor): a second step
  ** would open a fresh cursor, so there is nothing more to read. */
  if (handle == -1) return 0;

  EbgbSatz zweiter{};
  r = ebgbSchritt(&zweiter, &handle, ebgbKey, lokal, tag);
  if (r == kDbFound) {
    /* Two records for one point: the point keeps the first. */
    DbResetEbgbSlot(handle);
    ebgbWarnung(EB_MSG_WARN_EBGB2, ebgbKey, voll, tag);
    return EB_MSG_WARN_EBGB2;
  }
  DbReleaseEbgbCursor(&handle);
  if (r == kDbBadArgs) {
    ebgbWarnung(EB_MSG_WARN_EBGB1, ebgbKey, voll, tag);
    return EB_MSG_WARN_EBGB1;
  }
  return 0;
}

namespace {

/* A role point as a Laufweg point: blank name, threshold and relation flags
** 0; a role no point took stays all zero. */
EbLaufwegPunkt lwPunkt(const EbPunkt& p) {
  EbLaufwegPunkt l{};
  if (p.bahnhof == 0) return l;
  l.punkt = p;
  l.punkt.fuell = 0;
  std::memset(l.name, ' ', sizeof l.name);
  return l;
}

void punktErgaenzt(EbLaufwegPunkt* p) {
  p->punkt.punktFlags =
      static_cast<std::uint16_t>((p->punkt.punktFlags & ~EB_PF_ZWEITE) | EB_PF_ERSATZ);
}

/* Completes the points of one record under the entry. Point 0 decides the
** record's found flag; the others are completed where EBGB maps them.
** A relation start whose station field holds a relation number is no
** station and is not looked up. Returns 0 or the lookup's code. */
std::int32_t satzErgaenzen(EbLaufweg* s, const EbGlstProfil& e, bool grenzen, UtDayNumber tag) {
  const std::uint16_t key = static_cast<std::uint16_t>(e.eintragKey);
  EbLaufwegPunkt& p0 = s->p[EB_LW_ENDE];
  if (p0.punkt.bahnhof != 0) {
    std::int32_t rc =
        EbEbgbPunktLesen(static_cast<std::uint32_t>(p0.punkt.bahnhof), tag, &p0, &s->gefunden, key);
    if (rc != 0) return rc;
    if (s->gefunden == 1) {
      p0.relFlags = static_cast<std::int32_t>(e.profilFlags);
      punktErgaenzt(&p0);
    }
  }
  static const int ohneGrenzen[] = {EB_LW_BP1, EB_LW_REL_START, EB_LW_REL_ENDE, EB_LW_BP2};
  static const int mitGrenzen[] = {EB_LW_GRENZE_MARK, EB_LW_GRENZE,   EB_LW_BP1,
                                   EB_LW_REL_START,   EB_LW_REL_ENDE, EB_LW_BP2};
  const int* folge = grenzen ? mitGrenzen : ohneGrenzen;
  const int n = grenzen ? 6 : 4;
  for (int k = 0; k < n; ++k) {
    EbLaufwegPunkt& p = s->p[folge[k]];
    if (p.punkt.bahnhof == 0 || EbPunktTraegtRelation(p.punkt)) continue;
    std::int32_t gef = 0;
    std::int32_t rc =
        EbEbgbPunktLesen(static_cast<std::uint32_t>(p.punkt.bahnhof), tag, &p, &gef, key);
    if (rc != 0) return rc;
    if (gef == 1) punktErgaenzt(&p);
  }
  return 0;
}

bool anhaengen(UtList* l, const EbLaufweg& s) { return UtListInsert(l, l->count, &s) >= 0; }

}  // namespace

EbSuchStatus EbLaufwegSaetzeBilden(EbLaufwegListen* w, EbPunkt ursprung, EbPunkt ziel,
                                   const EbPunkt relation[EB_REL_ANZAHL], const char* marke,
                                   EbPunkt grenzeMarkiert, EbPunkt grenzeEinfach, EbPunkt bp1,
                                   EbPunkt bp2, UtDayNumber tag) {
  EbSuchStatus st{{'E', 'B'}, 0, 0};
  const char m = marke != nullptr ? *marke : 'N';

  EbLaufweg vorlageU{};
  EbLaufweg vorlageZ{};
  vorlageU.p[EB_LW_ENDE] = lwPunkt(ursprung);
  vorlageZ.p[EB_LW_ENDE] = lwPunkt(ziel);
  EbLaufweg* grenzSeite = m == 'V' ? &vorlageU : m == 'H' ? &vorlageZ : nullptr;
  if (grenzSeite != nullptr) {
    grenzSeite->p[EB_LW_GRENZE_MARK] = lwPunkt(grenzeMarkiert);
    grenzSeite->p[EB_LW_GRENZE] = lwPunkt(grenzeEinfach);
  }
  for (EbLaufweg* v : {&vorlageU, &vorlageZ}) {
    v->p[EB_LW_BP1] = lwPunkt(bp1);
    v->p[EB_LW_BP2] = lwPunkt(bp2);
    v->p[EB_LW_REL_START] = lwPunkt(relation[EB_REL_START]);
    v->p[EB_LW_REL_ENDE] = lwPunkt(relation[EB_REL_ENDE]);
  }

  auto listenFehler = [&st]() {
    st.id[0] = 'T';
    st.id[1] = 'T';
    st.code = EB_VAR_LISTENFEHLER;
    return st;
  };

  for (std::uint32_t i = 0; i < w->glstProfil.count; ++i) {
    EbGlstProfil e;
    std::memcpy(&e, UtListAt(&w->glstProfil, i), sizeof e);
    EbLaufweg u = vorlageU;
    EbLaufweg z = vorlageZ;
    u.eintragKey = z.eintragKey = static_cast<std::int32_t>(e.eintragKey);
    u.rang = z.rang = e.rang;

    if ((e.profilFlags & EB_PROFIL_OHNE_URSPRUNG) == 0) {
      std::int32_t rc = satzErgaenzen(&u, e, m == 'V', tag);
      if (rc != 0) {
        st.code = static_cast<std::uint16_t>(rc);
        return st;
      }
    }
    if ((e.profilFlags & EB_PROFIL_OHNE_ZIEL) == 0) {
      std::int32_t rc = satzErgaenzen(&z, e, m == 'H', tag);
      if (rc != 0) {
        st.code = static_cast<std::uint16_t>(rc);
        return st;
      }
    }

    std::int32_t a = 0;
    std::int32_t d = 0;
    if (u.p[EB_LW_ENDE].punkt.bahnhof != z.p[EB_LW_ENDE].punkt.bahnhof) {
      if (u.gefunden == 1) {
        if (!anhaengen(&w->abgang, u)) return listenFehler();
        a = u.eintragKey;
      }
      if (z.gefunden == 1) {
        if (!anhaengen(&w->ziel, z)) return listenFehler();
        d = z.eintragKey;
      }
    }
    if (a != d) {
      /* The side that found nothing gets a stand-by record under the other
      ** side's key: its plain end point with this entry's other points. */
      if (a == 0) {
        EbLaufweg b = u;
        b.eintragKey = d;
        b.rang = 0;
        b.gefunden = 0;
        b.p[EB_LW_ENDE] = vorlageU.p[EB_LW_ENDE];
        if (!anhaengen(&w->abgang, b)) return listenFehler();
      }
      if (d == 0) {
        EbLaufweg b = z;
        b.eintragKey = a;
        b.rang = 0;
        b.gefunden = 0;
        b.p[EB_LW_ENDE] = vorlageZ.p[EB_LW_ENDE];
        if (!anhaengen(&w->ziel, b)) return listenFehler();
      }
    }
  }
  if (!anhaengen(&w->abgang, vorlageU) || !anhaengen(&w->ziel, vorlageZ)) return listenFehler();
  return st;
}
