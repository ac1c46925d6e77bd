/*
** ebvarrollen.cpp - point roles and route assembly of the route-variant
** search.
**
** EbBhfRollenErmitteln gives every request point its role (start, end,
** border points, break points, relation stations). EbWegeZusammenstellen
** does this for one profile group, has the Laufweg records built, and pairs
** every origin record with every destination record: each pair gives one
** point sequence (in the work "listeEbWegeBhf") and one route variant (in
** the work "listeEbWegeVar"), and with a border on a found side a second
** variant over the border points as classified.
**
** A point that is inserted into a sequence always has its filler zeroed.
** A role no point took (station 0) is not inserted, except for the border
** points of a Laufweg record, which keep their places in the border block;
** the decoder of the route over variants passes such points over.
*/
#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "engine/ebvar.h"

namespace {

std::uint16_t u16(unsigned v) { return static_cast<std::uint16_t>(v & 0xFFFFu); }

/* P with new point and side flags. */
EbPunkt mitFlags(const EbPunkt& p, unsigned punktFlags, unsigned seitenFlags) {
  EbPunkt r = p;
  r.punktFlags = u16(punktFlags);
  r.seitenFlags = u16(seitenFlags);
  r.fuell = 0;
  return r;
}

/* DbGetFbrrBhf over route points; stations as local or full form. */
bool fbrrGefunden(FbrrSatz* out, std::int32_t key, std::int32_t a, std::int32_t b, std::int32_t c,
                  std::int32_t d, UtDayNumber tag) {
  auto voll = [](std::int32_t bhf) { return DbBhfVoll(static_cast<std::uint32_t>(bhf)); };
  return DbGetFbrrBhf(out, static_cast<std::uint16_t>(key), voll(a), voll(b), voll(c), voll(d),
                      tag) == kDbFound;
}

/* Border point of side role 1/2 (or 3) with the marked flag: the role
** record, and the point becomes start or end of the side it lies on. */
void markierteGrenze(const EbPunkt& P, EbPunkt* rolle, bool* startGenommen, EbPunkt* start,
                     EbPunkt* ende, bool* hinten) {
  *rolle = mitFlags(P, P.punktFlags & 0xFFED, P.seitenFlags & 0xFF3F);
  if (*startGenommen || (P.punktFlags & EB_PF_URSPRUNG) != 0) {
    *hinten = true;
    if ((P.punktFlags & EB_PF_URSPRUNG) == 0)
      *ende = mitFlags(P, P.punktFlags & 0xFFDF, (P.seitenFlags & 0xFFF4) | EB_SF_ZIEL);
  } else {
    *hinten = false;
    if ((P.punktFlags & EB_PF_ZIEL) == 0) {
      *start = mitFlags(P, P.punktFlags & 0xFFEF, (P.seitenFlags & 0xFFF4) | EB_SF_URSPRUNG);
      *startGenommen = true;
    }
  }
}

}  // namespace

void EbBhfRollenErmitteln(EbPunkt* start, EbPunkt* ende, EbPunkt* bp1, EbPunkt* bp2,
                          EbPunkt* grenzeEinfach, EbPunkt* grenzeMarkiert, EbPunkt* grenzeRolle3,
                          EbPunkt relation[EB_REL_ANZAHL], char* marke,
                          std::int32_t* rolle3Position, std::int32_t* bp1Anzahl,
                          std::int32_t* bp2Anzahl, const EbPunkt* punkte, std::uint16_t anzahl,
                          UtDayNumber tag) {
  bool startGenommen = false;
  int relStarts = 0;
  bool bpGesehen = false;
  for (std::uint16_t i = 0; i < anzahl; ++i) {
    const EbPunkt& P = punkte[i];
    if ((P.punktFlags & EB_PF_UEBERGEHEN) != 0) continue;
    const unsigned seite = P.seitenFlags & EB_SF_ROLLE;
    const bool markiert = (P.seitenFlags & EB_SF_MARKIERT) != 0;

    if ((seite == 1 || seite == 2) && !markiert)
      *grenzeEinfach = mitFlags(P, P.punktFlags, P.seitenFlags);
    if ((seite == 1 || seite == 2) && markiert) {
      bool hinten = false;
      markierteGrenze(P, grenzeMarkiert, &startGenommen, start, ende, &hinten);
      *marke = hinten ? 'H' : 'V';
    }
    if (seite == 3 && markiert) {
      bool hinten = false;
      markierteGrenze(P, grenzeRolle3, &startGenommen, start, ende, &hinten);
      *rolle3Position = hinten ? 2 : 1;
    }
    if ((P.seitenFlags & EB_SF_URSPRUNG) != 0 && !startGenommen) {
      *start = mitFlags(P, P.punktFlags & 0xFFEF, P.seitenFlags & 0xFFF4);
      startGenommen = true;
    }
    if ((P.punktFlags & EB_PF_URSPRUNG) != 0 && seite == 0) {
      *start = mitFlags(P, P.punktFlags & 0xFFEF, (P.seitenFlags & 0xFFF4) | EB_SF_URSPRUNG);
      startGenommen = true;
    }
    if ((P.seitenFlags & (EB_SF_BP_VOR | EB_SF_BP_NACH)) != 0) {
      if (bpGesehen || relStarts > 0) {
        *bp2 = mitFlags(P, P.punktFlags, (P.seitenFlags & 0xFFEF) | EB_SF_BP_NACH);
        ++*bp2Anzahl;
      } else {
        *bp1 = mitFlags(P, P.punktFlags, (P.seitenFlags & 0xFFDF) | EB_SF_BP_VOR);
        ++*bp1Anzahl;
      }
      bpGesehen = true;
    }
    if ((P.artFlags & 0x1F) == EB_AF_REL_KOPF) {
      relation[EB_REL_KOPF].bahnhof = P.bahnhof;
      relation[EB_REL_KOPF].artFlags =
          u16((relation[EB_REL_KOPF].artFlags & 0xFFF3) | EB_AF_REL_KOPF);
    }
    if (EbPunktTraegtRelation(P)) {
      relation[EB_REL_START].artFlags =
          u16((relation[EB_REL_START].artFlags & 0xFE24) | EB_AF_REL_NUMMER);
      relation[EB_REL_START].bahnhof = P.bahnhof;
    }
    if ((P.punktFlags & EB_PF_REL_START) != 0) {
      relation[EB_REL_START] = mitFlags(P, P.punktFlags, P.seitenFlags & 0xFFB4);
      ++relStarts;
    }
    if ((P.punktFlags & EB_PF_REL_WEITERE) != 0) {
      int k = relation[EB_REL_DRITTE].bahnhof == 0 ? EB_REL_DRITTE : EB_REL_VIERTE;
      relation[k] = mitFlags(P, P.punktFlags, P.seitenFlags);
    }
    if ((P.punktFlags & EB_PF_REL_ENDE) != 0) {
      relation[EB_REL_ENDE] = mitFlags(P, P.punktFlags & 0xFFFB, P.seitenFlags & 0xFF74);
      EbPunkt& rs = relation[EB_REL_START];
      FbrrSatz f{};
      if (!EbPunktTraegtRelation(rs) &&
          fbrrGefunden(&f, relation[EB_REL_KOPF].bahnhof, rs.bahnhof, P.bahnhof,
                       relation[EB_REL_DRITTE].bahnhof, relation[EB_REL_VIERTE].bahnhof, tag)) {
        rs.artFlags = u16((rs.artFlags & 0xFE24) | EB_AF_REL_NUMMER);
        rs.bahnhof = static_cast<std::int32_t>(f.relationNo);
      }
    }
    if ((P.seitenFlags & EB_SF_ZIEL) != 0)
      *ende = mitFlags(P, P.punktFlags & 0xFFDF, P.seitenFlags & 0xFFF4);
    if ((P.punktFlags & EB_PF_ZIEL) != 0 && seite == 0)
      *ende = mitFlags(P, P.punktFlags & 0xFFDF, (P.seitenFlags & 0xFFF4) | EB_SF_ZIEL);
  }
}

namespace {

/* One role set; the second set serves the points of "listeEbBhf2". */
struct RollenSatz {
  EbPunkt start{}, ende{}, bp1{}, bp2{}, einfach{}, markiert{};
  char marke = 'N';
  std::int32_t bp1Anzahl = 0, bp2Anzahl = 0;
};

/* Builds the point sequence of one pair in "listeEbBhf". */
struct Folge {
  UtList* l;
  bool fehler = false;
  void rein(const EbPunkt& p) {
    if (p.bahnhof == 0) return;
    EbPunkt q = p;
    q.fuell = 0;
    if (UtListInsert(l, l->count, &q) < 0) fehler = true;
  }
  void rein(const EbLaufwegPunkt& p) { rein(p.punkt); }
  /* A border block keeps its places even for a role no point took, so
  ** that the second variant finds its entries where it looks for them. */
  void reinAuch(const EbLaufwegPunkt& p) {
    EbPunkt q = p.punkt;
    q.fuell = 0;
    if (UtListInsert(l, l->count, &q) < 0) fehler = true;
  }
  EbPunkt* at(std::uint32_t i) { return static_cast<EbPunkt*>(UtListAt(l, i)); }
  void entfernen(std::uint32_t i) {
    if (i >= l->count) return;
    auto* e = static_cast<unsigned char*>(l->elements);
    std::memmove(e + i * sizeof(EbPunkt), e + (i + 1) * sizeof(EbPunkt),
                 (l->count - i - 1) * sizeof(EbPunkt));
    --l->count;
    std::memset(e + l->count * sizeof(EbPunkt), 0, sizeof(EbPunkt));
  }
  void einfuegen(std::uint32_t i, const EbPunkt& p) {
    EbPunkt q = p;
    q.fuell = 0;
    if (i > l->count) i = l->count;
    if (UtListInsert(l, i, &q) < 0) fehler = true;
  }
};

bool erledigt(const EbLaufwegPunkt& p) {
  return (p.punkt.punktFlags & EB_PF_ART_MASKE) == EB_PF_ERSATZ;
}

/* Empties a list from its first element, its storage zeroed. */
void leeren(UtList* l) {
  if (l->elements != nullptr)
    std::memset(l->elements, 0,
                static_cast<std::size_t>(l->allocated) * static_cast<std::size_t>(l->elementSize));
  l->count = 0;
}

EbWegeVarSeite seite(const EbLaufweg& s, std::int32_t relBits) {
  EbWegeVarSeite v{};
  v.eintragKey = s.eintragKey;
  v.rang = s.rang;
  v.relFlags = s.p[EB_LW_ENDE].relFlags;
  v.kmSchwelle = s.p[EB_LW_ENDE].kmSchwelle;
  v.relBits = relBits;
  std::memcpy(v.name, s.p[EB_LW_ENDE].name, sizeof v.name);
  return v;
}

/* The station the relation start stands at in a request: the relation
** start point of the request points, for a role record whose station field
** was turned into a relation number. */
std::int32_t relStartBahnhof(const EbPunkt* punkte, std::uint16_t anzahl) {
  std::int32_t b = 0;
  for (std::uint16_t i = 0; i < anzahl; ++i)
    if ((punkte[i].punktFlags & EB_PF_UEBERGEHEN) == 0 &&
        (punkte[i].punktFlags & EB_PF_REL_START) != 0 && !EbPunktTraegtRelation(punkte[i]))
      b = punkte[i].bahnhof;
  return b;
}

/* One point of a border block: the first set's role point when the mapped
** point was completed from EBGB (its bit then joins relBits), the mapped
** point in its place, the second set's role point. */
void grenzPunkt(Folge& f, const EbLaufwegPunkt& p, const EbPunkt& rolle1, const EbPunkt& rolle2,
                std::int32_t bit, std::int32_t* relBits) {
  if (erledigt(p)) {
    f.rein(rolle1);
    *relBits |= bit;
  }
  f.reinAuch(p);
  f.rein(rolle2);
}

/* The start or the end block: the first set's end point when the mapped
** end was completed from EBGB, the mapped end, the second set's end point;
** nothing without an end point in the first set. */
void endBlock(Folge& f, const EbPunkt& rolle1, const EbLaufwegPunkt& p, const EbPunkt& rolle2) {
  if (rolle1.bahnhof == 0) return;
  if (erledigt(p)) f.rein(rolle1);
  f.rein(p);
  f.rein(rolle2);
}

/* Whether the break points stay out of a sequence because a mapped end
** already stands on them: the origin's end absorbs the first break point
** (and the second, when it is there too), the destination's end the second
** (and the first); a break point the first set does not have stays out. */
void bpAbsorbiert(const EbLaufweg& O, const EbLaufweg& D, bool hatBp1, bool hatBp2, bool* skipBp1,
                  bool* skipBp2) {
  auto st0 = [](const EbLaufwegPunkt& p) { return p.punkt.bahnhof; };
  *skipBp1 = *skipBp2 = false;
  if (!hatBp1 || st0(O.p[EB_LW_ENDE]) == st0(O.p[EB_LW_BP1])) {
    *skipBp1 = true;
    if (hatBp2 && st0(O.p[EB_LW_ENDE]) == st0(O.p[EB_LW_BP2])) *skipBp2 = true;
  }
  if (!hatBp2 || st0(D.p[EB_LW_ENDE]) == st0(D.p[EB_LW_BP2])) {
    *skipBp2 = true;
    if (hatBp1 && st0(D.p[EB_LW_ENDE]) == st0(D.p[EB_LW_BP1])) *skipBp1 = true;
  }
}

/* Appends the sequence in "listeEbBhf" to "listeEbWegeBhf" (once) and var,
** pointing at it, to "listeEbWegeVar" at position *v; false when a list
** operation fails. */
bool varianteAnfuegen(EbLaufwegListen* w, EbWegeVar var, std::int32_t* v) {
  std::int32_t erster = UtListFindOrAppend(&w->wegeBhf, w->bhf.elements, w->bhf.count);
  if (erster < 0) return false;
  var.ersterIndex = erster;
  var.anzahl = static_cast<std::int32_t>(w->bhf.count);
  if (UtListInsert(&w->wegeVar, static_cast<std::uint32_t>(*v), &var) < 0) return false;
  ++*v;
  return true;
}

}  // namespace

EbSuchStatus EbWegeZusammenstellen(EbLaufwegListen* w, std::uint32_t gruppenKey,
                                   const EbPunkt* punkte, std::uint16_t anzahl, UtDayNumber tag) {
  EbSuchStatus st{{'T', 'T'}, 0, 0};
  RollenSatz r1, r2;
  EbPunkt rolle3{};
  EbPunkt rel[EB_REL_ANZAHL] = {};
  std::int32_t rolle3Pos = 0;

  auto fehler = [&st]() {
    st.code = EB_VAR_LISTENFEHLER;
    return st;
  };

  for (std::uint16_t i = 0; i < anzahl; ++i) {
    EbPunkt q = punkte[i];
    q.fuell = 0;
    UtList* ziel = (q.punktFlags & EB_PF_ART_MASKE) == EB_PF_ZWEITE ? &w->bhf2 : &w->bhf;
    if (UtListInsert(ziel, ziel->count, &q) < 0) return fehler();
  }

  EbBhfRollenErmitteln(&r1.start, &r1.ende, &r1.bp1, &r1.bp2, &r1.einfach, &r1.markiert, &rolle3,
                       rel, &r1.marke, &rolle3Pos, &r1.bp1Anzahl, &r1.bp2Anzahl,
                       static_cast<const EbPunkt*>(w->bhf.elements),
                       static_cast<std::uint16_t>(w->bhf.count), tag);
  if (w->bhf2.count > 0)
    EbBhfRollenErmitteln(&r2.start, &r2.ende, &r2.bp1, &r2.bp2, &r2.einfach, &r2.markiert, &rolle3,
                         rel, &r2.marke, &rolle3Pos, &r2.bp1Anzahl, &r2.bp2Anzahl,
                         static_cast<const EbPunkt*>(w->bhf2.elements),
                         static_cast<std::uint16_t>(w->bhf2.count), tag);

  st = EbLaufwegSaetzeBilden(w, r1.start, r1.ende, rel, &r1.marke, r1.markiert, r1.einfach, r1.bp1,
                             r1.bp2, tag);
  if (st.code != 0) return st;

  const std::int32_t relStartOrig = relStartBahnhof(punkte, anzahl);
  leeren(&w->bhf);
  std::int32_t v = 0;
  const char marke = r1.marke;

  for (std::uint32_t oi = 0; oi < w->abgang.count; ++oi) {
    for (std::uint32_t di = 0; di < w->ziel.count; ++di) {
      EbLaufweg O, D;
      std::memcpy(&O, UtListAt(&w->abgang, oi), sizeof O);
      std::memcpy(&D, UtListAt(&w->ziel, di), sizeof D);
      Folge f{&w->bhf};
      bool gleicheGrenzen = false;
      bool skipBp1 = false, skipBp2 = false;
      std::int32_t relBitsU = 0, relBitsZ = 0;
      auto st0 = [](const EbLaufwegPunkt& p) { return p.punkt.bahnhof; };

      /* origin border block */
      if (marke == 'V') {
        if (st0(O.p[EB_LW_GRENZE_MARK]) == st0(O.p[EB_LW_GRENZE])) {
          gleicheGrenzen = true;
        } else {
          grenzPunkt(f, O.p[EB_LW_GRENZE], r1.einfach, r2.einfach, 0x01, &relBitsU);
          grenzPunkt(f, O.p[EB_LW_GRENZE_MARK], r1.markiert, r2.markiert, 0x02, &relBitsU);
        }
      }
      /* role-3 border on the origin side */
      if (rolle3Pos == 1) f.rein(rolle3);
      endBlock(f, r1.start, O.p[EB_LW_ENDE], r2.start);
      /* break points absorbed by a mapped end */
      bpAbsorbiert(O, D, r1.bp1Anzahl != 0, r1.bp2Anzahl != 0, &skipBp1, &skipBp2);
      if (!skipBp1) f.rein(r1.bp1);
      /* second set's break points */
      if (r2.bp1.bahnhof != 0) {
        f.rein(r2.bp1);
        f.rein(r2.bp2);
      }
      /* relation start and end, with the mapped ends standing in for
      ** them where the mapping still meets the relation in FBRR */
      const EbPunkt& rs = rel[EB_REL_START];
      if (rs.bahnhof != 0) {
        FbrrSatz fb{};
        const EbLaufwegPunkt& o5 = O.p[EB_LW_REL_START];
        const EbLaufwegPunkt& o6 = O.p[EB_LW_REL_ENDE];
        const EbLaufwegPunkt& d5 = D.p[EB_LW_REL_START];
        const EbLaufwegPunkt& d6 = D.p[EB_LW_REL_ENDE];
        const std::int32_t kopf = rel[EB_REL_KOPF].bahnhof;
        const std::int32_t dritte = rel[EB_REL_DRITTE].bahnhof;
        const std::int32_t vierte = rel[EB_REL_VIERTE].bahnhof;

        f.rein(rs);
        bool o5dazu = false;
        if (skipBp1 && erledigt(o5) && erledigt(O.p[EB_LW_ENDE]) &&
            st0(o5) == st0(O.p[EB_LW_ENDE]) && !(erledigt(o6) && st0(o6) == st0(o5)) &&
            fbrrGefunden(&fb, kopf, st0(o5), rel[EB_REL_ENDE].bahnhof, dritte, vierte, tag)) {
          f.rein(o5);
          o5dazu = true;
        }
        const std::int32_t relStartStation =
            o5dazu ? st0(o5) : (EbPunktTraegtRelation(rs) ? relStartOrig : rs.bahnhof);

        f.rein(rel[EB_REL_ENDE]);
        if (skipBp2 && erledigt(d6) && erledigt(D.p[EB_LW_ENDE]) &&
            st0(d6) == st0(D.p[EB_LW_ENDE]) && !(erledigt(o5) && st0(d5) != st0(d6)) &&
            fbrrGefunden(&fb, kopf, relStartStation, st0(d6), dritte, vierte, tag))
          f.rein(d6);
      }
      /* the second break point, unless a mapped end absorbed it */
      if (!skipBp2) f.rein(r1.bp2);
      endBlock(f, r1.ende, D.p[EB_LW_ENDE], r2.ende);
      /* destination border block */
      if (marke == 'H') {
        if (st0(D.p[EB_LW_GRENZE_MARK]) == st0(D.p[EB_LW_GRENZE])) {
          gleicheGrenzen = true;
        } else {
          grenzPunkt(f, D.p[EB_LW_GRENZE_MARK], r1.markiert, r2.markiert, 0x02, &relBitsZ);
          grenzPunkt(f, D.p[EB_LW_GRENZE], r1.einfach, r2.einfach, 0x01, &relBitsZ);
        }
      }
      /* role-3 border on the destination side */
      if (rolle3Pos == 2) f.rein(rolle3);
      if (f.fehler) return fehler();

      /* the sequence and its variant */
      EbWegeVar var{};
      var.profilKey = static_cast<std::int32_t>(gruppenKey);
      var.gewaehlt = 'N';
      var.standard =
          ((O.eintragKey != 0 && O.gefunden == 0) || (D.eintragKey != 0 && D.gefunden == 0)) ? 'J'
                                                                                             : 'N';
      var.abgang = seite(O, relBitsU);
      var.ziel = seite(D, relBitsZ);
      if (!varianteAnfuegen(w, var, &v)) return fehler();

      /* second variant over the border points as classified */
      bool zweite = false;
      if (marke == 'V' && O.gefunden == 1) {
        zweite = true;
        if (gleicheGrenzen) {
          f.einfuegen(0, r1.einfach);
          f.einfuegen(1, r1.markiert);
        } else if (erledigt(O.p[EB_LW_GRENZE])) {
          if (EbPunkt* e1 = f.at(1)) {
            *e1 = r1.markiert;
            e1->fuell = 0;
          }
          f.entfernen(2);
          f.entfernen(2);
        } else {
          f.entfernen(2);
        }
      } else if (marke == 'H' && D.gefunden == 1) {
        zweite = true;
        if (gleicheGrenzen) {
          f.rein(r1.markiert);
          f.rein(r1.einfach);
        } else {
          if (erledigt(D.p[EB_LW_GRENZE]) && w->bhf.count > 0) f.entfernen(w->bhf.count - 1);
          if (w->bhf.count > 0) f.entfernen(w->bhf.count - 1);
          if (w->bhf.count > 0) {
            EbPunkt* e = f.at(w->bhf.count - 1);
            *e = r1.einfach;
            e->fuell = 0;
          }
        }
      }
      if (zweite) {
        if (f.fehler) return fehler();
        EbWegeVar v2 = var;
        v2.abgang.relBits = 0;
        v2.ziel.relBits = 0;
        if (!varianteAnfuegen(w, v2, &v)) return fehler();
      }
      leeren(&w->bhf);
    }
  }
  leeren(&w->bhf2);
  leeren(&w->abgang);
  leeren(&w->ziel);
  return st;
}
