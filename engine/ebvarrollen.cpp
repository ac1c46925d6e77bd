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

constexpr std::uint16_t u16(unsigned v) { return static_cast<std::uint16_t>(v); }

/* The flag bits a role record gives up, as AND masks. */
/* Point flags: a marked border point is neither origin nor relation start;
** a start is no relation start, an end no relation end, the relation end no
** destination. */
constexpr std::uint16_t kPfGrenzeMarkiert = u16(~(EB_PF_URSPRUNG | EB_PF_REL_START));
constexpr std::uint16_t kPfStart = u16(~EB_PF_REL_START);
constexpr std::uint16_t kPfEnde = u16(~EB_PF_REL_ENDE);
constexpr std::uint16_t kPfRelEnde = u16(~EB_PF_ZIEL);
/* Side flags: a marked border point belongs to neither end; start and end
** lose the border role; a first break point is none after the relation, a
** second none before it; the relation ends lose the border role and the
** side flag of their own end. */
constexpr std::uint16_t kSfGrenzeMarkiert = u16(~(EB_SF_URSPRUNG | EB_SF_ZIEL));
constexpr std::uint16_t kSfOhneGrenze = u16(~(EB_SF_ROLLE | EB_SF_MARKIERT));
constexpr std::uint16_t kSfBp1 = u16(~EB_SF_BP_NACH);
constexpr std::uint16_t kSfBp2 = u16(~EB_SF_BP_VOR);
constexpr std::uint16_t kSfRelStart = u16(~(EB_SF_ROLLE | EB_SF_MARKIERT | EB_SF_URSPRUNG));
constexpr std::uint16_t kSfRelEnde = u16(~(EB_SF_ROLLE | EB_SF_MARKIERT | EB_SF_ZIEL));
/* Kind flags: the kind bits that the new kind does not set are cleared
** before it is set. */
constexpr std::uint16_t kAfRelKopf = u16(~(EB_AF_ART_MASKE & ~EB_AF_REL_KOPF));
constexpr std::uint16_t kAfRelNummer =
    u16(~((EB_AF_ART_MASKE | EB_AF_ZUSATZ_MASKE) & ~EB_AF_REL_NUMMER));

static_assert(kPfGrenzeMarkiert == 0xFFED && kPfStart == 0xFFEF && kPfEnde == 0xFFDF &&
              kPfRelEnde == 0xFFFB);
static_assert(kSfGrenzeMarkiert == 0xFF3F && kSfOhneGrenze == 0xFFF4 && kSfBp1 == 0xFFDF &&
              kSfBp2 == 0xFFEF && kSfRelStart == 0xFFB4 && kSfRelEnde == 0xFF74);
static_assert(kAfRelKopf == 0xFFF3 && kAfRelNummer == 0xFE24);

/* Relation bits of a variant's side: which mapped border point was
** completed from EBGB. */
constexpr std::int32_t kRelBitEinfach = 0x01;
constexpr std::int32_t kRelBitMarkiert = 0x02;

/* P with new point and side flags. */
EbPunkt mitFlags(const EbPunkt& p, unsigned punktFlags, unsigned seitenFlags) {
  EbPunkt r = p;
  r.punktFlags = u16(punktFlags);
  r.seitenFlags = u16(seitenFlags);
  r.fuell = 0;
  return r;
}

/* P taken as start or end: the start or end flags without the border
** role, with the side flag of its end. */
EbPunkt alsStart(const EbPunkt& p) {
  return mitFlags(p, p.punktFlags & kPfStart, (p.seitenFlags & kSfOhneGrenze) | EB_SF_URSPRUNG);
}
EbPunkt alsEnde(const EbPunkt& p) {
  return mitFlags(p, p.punktFlags & kPfEnde, (p.seitenFlags & kSfOhneGrenze) | EB_SF_ZIEL);
}

/* DbGetFbrrBhf over route points; stations as local or full form. */
bool fbrrGefunden(FbrrSatz* out, std::int32_t key, std::int32_t a, std::int32_t b, std::int32_t c,
                  std::int32_t d, UtDayNumber tag) {
  auto voll = [](std::int32_t bhf) { return DbBhfVoll(static_cast<std::uint32_t>(bhf)); };
  return DbGetFbrrBhf(out, static_cast<std::uint16_t>(key), voll(a), voll(b), voll(c), voll(d),
                      tag) == kDbFound;
}

/* ---- point roles -------------------------------------------------------- */

/* The walk over one point list: the records it writes and what it has
** seen so far. */
struct RollenLauf {
  EbRollenSatz& r;
  EbRollenGemeinsam& g;
  UtDayNumber tag;
  bool startGenommen = false;
  int relStarts = 0;
  bool bpGesehen = false;
};

/* Border point of side role 1/2 (or 3) with the marked flag: the role
** record, and the point becomes start or end of the side it lies on.
** Returns whether it lies behind the start (on the destination side). */
bool markierteGrenze(const EbPunkt& P, EbPunkt* rolle, RollenLauf& l) {
  *rolle = mitFlags(P, P.punktFlags & kPfGrenzeMarkiert, P.seitenFlags & kSfGrenzeMarkiert);
  if (l.startGenommen || (P.punktFlags & EB_PF_URSPRUNG) != 0) {
    if ((P.punktFlags & EB_PF_URSPRUNG) == 0) l.r.ende = alsEnde(P);
    return true;
  }
  if ((P.punktFlags & EB_PF_ZIEL) == 0) {
    l.r.start = alsStart(P);
    l.startGenommen = true;
  }
  return false;
}

/* The border roles and the start. */
void grenzenUndStart(const EbPunkt& P, RollenLauf& l) {
  const unsigned seite = P.seitenFlags & EB_SF_ROLLE;
  const bool markiert = (P.seitenFlags & EB_SF_MARKIERT) != 0;
  if ((seite == 1 || seite == 2) && !markiert)
    l.r.grenzeEinfach = mitFlags(P, P.punktFlags, P.seitenFlags);
  if ((seite == 1 || seite == 2) && markiert)
    l.r.marke = markierteGrenze(P, &l.r.grenzeMarkiert, l) ? 'H' : 'V';
  if (seite == 3 && markiert) l.g.rolle3Position = markierteGrenze(P, &l.g.grenzeRolle3, l) ? 2 : 1;
  if ((P.seitenFlags & EB_SF_URSPRUNG) != 0 && !l.startGenommen) {
    l.r.start = mitFlags(P, P.punktFlags & kPfStart, P.seitenFlags & kSfOhneGrenze);
    l.startGenommen = true;
  }
  if ((P.punktFlags & EB_PF_URSPRUNG) != 0 && seite == 0) {
    l.r.start = alsStart(P);
    l.startGenommen = true;
  }
}

/* A break point is the second once a break point or a relation start was
** seen, else the first. */
void bruchpunkt(const EbPunkt& P, RollenLauf& l) {
  if ((P.seitenFlags & (EB_SF_BP_VOR | EB_SF_BP_NACH)) == 0) return;
  if (l.bpGesehen || l.relStarts > 0) {
    l.r.bp2 = mitFlags(P, P.punktFlags, (P.seitenFlags & kSfBp2) | EB_SF_BP_NACH);
    ++l.r.bp2Anzahl;
  } else {
    l.r.bp1 = mitFlags(P, P.punktFlags, (P.seitenFlags & kSfBp1) | EB_SF_BP_VOR);
    ++l.r.bp1Anzahl;
  }
  l.bpGesehen = true;
}

/* The relation start record turned into the relation number. */
void relationsnummerSetzen(EbPunkt* relStart, std::int32_t nummer) {
  relStart->artFlags = u16((relStart->artFlags & kAfRelNummer) | EB_AF_REL_NUMMER);
  relStart->bahnhof = nummer;
}

/* The relation record: header, start, third and fourth station, end. A
** relation end whose stations FBRR knows turns the start into the
** relation's number, unless a point gave that number already. */
void relationsRollen(const EbPunkt& P, RollenLauf& l) {
  EbPunkt* rel = l.g.relation;
  if ((P.artFlags & EB_AF_ART_MASKE) == EB_AF_REL_KOPF) {
    rel[EB_REL_KOPF].bahnhof = P.bahnhof;
    rel[EB_REL_KOPF].artFlags = u16((rel[EB_REL_KOPF].artFlags & kAfRelKopf) | EB_AF_REL_KOPF);
  }
  if (EbPunktTraegtRelation(P)) relationsnummerSetzen(&rel[EB_REL_START], P.bahnhof);
  if ((P.punktFlags & EB_PF_REL_START) != 0) {
    rel[EB_REL_START] = mitFlags(P, P.punktFlags, P.seitenFlags & kSfRelStart);
    ++l.relStarts;
  }
  if ((P.punktFlags & EB_PF_REL_WEITERE) != 0) {
    int k = rel[EB_REL_DRITTE].bahnhof == 0 ? EB_REL_DRITTE : EB_REL_VIERTE;
    rel[k] = mitFlags(P, P.punktFlags, P.seitenFlags);
  }
  if ((P.punktFlags & EB_PF_REL_ENDE) != 0) {
    rel[EB_REL_ENDE] = mitFlags(P, P.punktFlags & kPfRelEnde, P.seitenFlags & kSfRelEnde);
    FbrrSatz f{};
    if (!EbPunktTraegtRelation(rel[EB_REL_START]) &&
        fbrrGefunden(&f, rel[EB_REL_KOPF].bahnhof, rel[EB_REL_START].bahnhof, P.bahnhof,
                     rel[EB_REL_DRITTE].bahnhof, rel[EB_REL_VIERTE].bahnhof, l.tag))
      relationsnummerSetzen(&rel[EB_REL_START], static_cast<std::int32_t>(f.relationNo));
  }
}

/* The end. */
void ende(const EbPunkt& P, RollenLauf& l) {
  if ((P.seitenFlags & EB_SF_ZIEL) != 0)
    l.r.ende = mitFlags(P, P.punktFlags & kPfEnde, P.seitenFlags & kSfOhneGrenze);
  if ((P.punktFlags & EB_PF_ZIEL) != 0 && (P.seitenFlags & EB_SF_ROLLE) == 0) l.r.ende = alsEnde(P);
}

}  // namespace

void EbBhfRollenErmitteln(const EbRollenParameter& p) {
  RollenLauf l{*p.rollen, *p.gemeinsam, p.tag};
  for (std::uint16_t i = 0; i < p.anzahl; ++i) {
    const EbPunkt& P = p.punkte[i];
    if ((P.punktFlags & EB_PF_UEBERGEHEN) != 0) continue;
    grenzenUndStart(P, l);
    bruchpunkt(P, l);
    relationsRollen(P, l);
    ende(P, l);
  }
}

namespace {

/* ---- the point sequence of a pair --------------------------------------- */

/* Builds the point sequence of one pair in "listeEbBhf". */
struct Folge {
  UtList* l;
  bool fehler = false;
  void rein(const EbPunkt& p) {
    if (p.bahnhof == 0) return;
    reinAuch(p);
  }
  void rein(const EbLaufwegPunkt& p) { rein(p.punkt); }
  /* A border block keeps its places even for a role no point took, so
  ** that the second variant finds its entries where it looks for them. */
  void reinAuch(const EbPunkt& p) { einfuegen(l->count, p); }
  void reinAuch(const EbLaufwegPunkt& p) { reinAuch(p.punkt); }
  void einfuegen(std::uint32_t i, const EbPunkt& p) {
    EbPunkt q = p;
    q.fuell = 0;
    if (i > l->count) i = l->count;
    if (UtListInsert(l, i, &q) < 0) fehler = true;
  }
  /* Entry i becomes p; nothing when there is no entry i. */
  void ersetzen(std::uint32_t i, const EbPunkt& p) {
    if (auto* e = static_cast<EbPunkt*>(UtListAt(l, i))) {
      *e = p;
      e->fuell = 0;
    }
  }
  /* Removes n entries from i on, as far as there are any. */
  void entfernen(std::uint32_t i, std::uint32_t n) {
    for (; n > 0 && i < l->count; --n) {
      auto* e = static_cast<unsigned char*>(l->elements);
      std::memmove(e + i * sizeof(EbPunkt), e + (i + 1) * sizeof(EbPunkt),
                   (l->count - i - 1) * sizeof(EbPunkt));
      --l->count;
      std::memset(e + l->count * sizeof(EbPunkt), 0, sizeof(EbPunkt));
    }
  }
  void letztesEntfernen() {
    if (l->count > 0) entfernen(l->count - 1, 1);
  }
  void letztesErsetzen(const EbPunkt& p) {
    if (l->count > 0) ersetzen(l->count - 1, p);
  }
};

bool erledigt(const EbLaufwegPunkt& p) {
  return (p.punkt.punktFlags & EB_PF_ART_MASKE) == EB_PF_ERSATZ;
}

std::int32_t bhf(const EbLaufwegPunkt& p) { return p.punkt.bahnhof; }

/* Empties a list from its first element, its storage zeroed. */
void leeren(UtList* l) {
  if (l->elements != nullptr)
    std::memset(l->elements, 0,
                static_cast<std::size_t>(l->allocated) * static_cast<std::size_t>(l->elementSize));
  l->count = 0;
}

/* The state of one assembly that every pair reads. */
struct Zusammenstellung {
  EbLaufwegListen* w;
  std::uint32_t gruppenKey;
  UtDayNumber tag;
  EbRollenSatz r1;     /* roles of "listeEbBhf" */
  EbRollenSatz r2;     /* roles of "listeEbBhf2" */
  EbRollenGemeinsam g; /* shared by both */
  std::int32_t relStartOrig = 0;
  std::int32_t v = 0; /* running variant index */
};

/* What building a pair's sequence leaves for its variants. */
struct PaarFolge {
  bool gleicheGrenzen = false; /* the marker's side maps both borders to one station */
  std::int32_t relBitsAbgang = 0;
  std::int32_t relBitsZiel = 0;
};

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

/* The border block of the origin (plain border point first) or of the
** destination (marked border point first); nothing, and the pair's
** equal-borders flag, when the Laufweg record maps both border points to
** one station. */
void grenzBlock(Folge& f, const Zusammenstellung& z, const EbLaufweg& s, bool einfachZuerst,
                bool* gleicheGrenzen, std::int32_t* relBits) {
  if (bhf(s.p[EB_LW_GRENZE_MARK]) == bhf(s.p[EB_LW_GRENZE])) {
    *gleicheGrenzen = true;
    return;
  }
  auto einfach = [&] {
    grenzPunkt(f, s.p[EB_LW_GRENZE], z.r1.grenzeEinfach, z.r2.grenzeEinfach, kRelBitEinfach,
               relBits);
  };
  auto markiert = [&] {
    grenzPunkt(f, s.p[EB_LW_GRENZE_MARK], z.r1.grenzeMarkiert, z.r2.grenzeMarkiert, kRelBitMarkiert,
               relBits);
  };
  if (einfachZuerst) {
    einfach();
    markiert();
  } else {
    markiert();
    einfach();
  }
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
  *skipBp1 = *skipBp2 = false;
  if (!hatBp1 || bhf(O.p[EB_LW_ENDE]) == bhf(O.p[EB_LW_BP1])) {
    *skipBp1 = true;
    if (hatBp2 && bhf(O.p[EB_LW_ENDE]) == bhf(O.p[EB_LW_BP2])) *skipBp2 = true;
  }
  if (!hatBp2 || bhf(D.p[EB_LW_ENDE]) == bhf(D.p[EB_LW_BP2])) {
    *skipBp2 = true;
    if (hatBp1 && bhf(D.p[EB_LW_ENDE]) == bhf(D.p[EB_LW_BP1])) *skipBp1 = true;
  }
}

/* Relation start and end, each followed by the mapped relation point of
** its side where that mapping stands on the side's mapped end, has taken
** the place of the break point, and still meets the relation in FBRR. */
void relationsBlock(Folge& f, const Zusammenstellung& z, const EbLaufweg& O, const EbLaufweg& D,
                    bool skipBp1, bool skipBp2) {
  const EbPunkt* rel = z.g.relation;
  const EbPunkt& rs = rel[EB_REL_START];
  const EbLaufwegPunkt& o5 = O.p[EB_LW_REL_START];
  const EbLaufwegPunkt& o6 = O.p[EB_LW_REL_ENDE];
  const EbLaufwegPunkt& d5 = D.p[EB_LW_REL_START];
  const EbLaufwegPunkt& d6 = D.p[EB_LW_REL_ENDE];
  auto relationGefunden = [&](std::int32_t von, std::int32_t bis) {
    FbrrSatz fb{};
    return fbrrGefunden(&fb, rel[EB_REL_KOPF].bahnhof, von, bis, rel[EB_REL_DRITTE].bahnhof,
                        rel[EB_REL_VIERTE].bahnhof, z.tag);
  };

  f.rein(rs);
  const bool o5dazu = skipBp1 && erledigt(o5) && erledigt(O.p[EB_LW_ENDE]) &&
                      bhf(o5) == bhf(O.p[EB_LW_ENDE]) && !(erledigt(o6) && bhf(o6) == bhf(o5)) &&
                      relationGefunden(bhf(o5), rel[EB_REL_ENDE].bahnhof);
  if (o5dazu) f.rein(o5);
  const std::int32_t relStartStation =
      o5dazu ? bhf(o5) : (EbPunktTraegtRelation(rs) ? z.relStartOrig : rs.bahnhof);

  f.rein(rel[EB_REL_ENDE]);
  if (skipBp2 && erledigt(d6) && erledigt(D.p[EB_LW_ENDE]) && bhf(d6) == bhf(D.p[EB_LW_ENDE]) &&
      !(erledigt(o5) && bhf(d5) != bhf(d6)) && relationGefunden(relStartStation, bhf(d6)))
    f.rein(d6);
}

/* The point sequence of the pair O, D in "listeEbBhf", from the origin
** border to the destination border. */
PaarFolge folgeBilden(Folge& f, const Zusammenstellung& z, const EbLaufweg& O, const EbLaufweg& D) {
  PaarFolge pf;
  if (z.r1.marke == 'V') grenzBlock(f, z, O, true, &pf.gleicheGrenzen, &pf.relBitsAbgang);
  if (z.g.rolle3Position == 1) f.rein(z.g.grenzeRolle3);
  endBlock(f, z.r1.start, O.p[EB_LW_ENDE], z.r2.start);
  bool skipBp1 = false, skipBp2 = false;
  bpAbsorbiert(O, D, z.r1.bp1Anzahl != 0, z.r1.bp2Anzahl != 0, &skipBp1, &skipBp2);
  if (!skipBp1) f.rein(z.r1.bp1);
  if (z.r2.bp1.bahnhof != 0) {
    f.rein(z.r2.bp1);
    f.rein(z.r2.bp2);
  }
  if (z.g.relation[EB_REL_START].bahnhof != 0) relationsBlock(f, z, O, D, skipBp1, skipBp2);
  if (!skipBp2) f.rein(z.r1.bp2);
  endBlock(f, z.r1.ende, D.p[EB_LW_ENDE], z.r2.ende);
  if (z.r1.marke == 'H') grenzBlock(f, z, D, false, &pf.gleicheGrenzen, &pf.relBitsZiel);
  if (z.g.rolle3Position == 2) f.rein(z.g.grenzeRolle3);
  return pf;
}

/* ---- the variants of a pair --------------------------------------------- */

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

/* The variant of a pair (its first index and point count are filled when
** it is appended): the default mark when an end has an entry that EBGB did
** not find. */
EbWegeVar varianteBilden(std::uint32_t gruppenKey, const EbLaufweg& O, const EbLaufweg& D,
                         const PaarFolge& pf) {
  EbWegeVar var{};
  var.profilKey = static_cast<std::int32_t>(gruppenKey);
  var.gewaehlt = 'N';
  const bool ohneFund =
      (O.eintragKey != 0 && O.gefunden == 0) || (D.eintragKey != 0 && D.gefunden == 0);
  var.standard = ohneFund ? 'J' : 'N';
  var.abgang = seite(O, pf.relBitsAbgang);
  var.ziel = seite(D, pf.relBitsZiel);
  return var;
}

/* Appends the sequence in "listeEbBhf" to "listeEbWegeBhf" (once) and var,
** pointing at it, to "listeEbWegeVar" at the running variant index; false
** when a list operation fails. */
bool varianteAnfuegen(Zusammenstellung& z, EbWegeVar var) {
  EbLaufwegListen* w = z.w;
  std::int32_t erster = UtListFindOrAppend(&w->wegeBhf, w->bhf.elements, w->bhf.count);
  if (erster < 0) return false;
  var.ersterIndex = erster;
  var.anzahl = static_cast<std::int32_t>(w->bhf.count);
  if (UtListInsert(&w->wegeVar, static_cast<std::uint32_t>(z.v), &var) < 0) return false;
  ++z.v;
  return true;
}

/* Places at the head of a sequence that begins with an origin border
** block. With the plain border point's mapping completed the block
** ordinarily runs: plain border point, its mapping, then the marked border
** point's two entries (the point and its mapping). Otherwise it runs: the
** plain border point's mapping, the marked border point, its mapping. */
constexpr std::uint32_t kStelleEinfachAbbild = 1;
constexpr std::uint32_t kStelleMarkiertEintraege = 2;
constexpr std::uint32_t kStelleMarkiertAbbild = 2;

/* The origin side of the second variant: the border points as classified
** in place of their mappings. */
void abgangsGrenzenKlassifiziert(Folge& f, const EbRollenSatz& r1, const EbLaufweg& O,
                                 bool gleicheGrenzen) {
  if (gleicheGrenzen) {
    f.einfuegen(0, r1.grenzeEinfach);
    f.einfuegen(1, r1.grenzeMarkiert);
  } else if (erledigt(O.p[EB_LW_GRENZE])) {
    f.ersetzen(kStelleEinfachAbbild, r1.grenzeMarkiert);
    f.entfernen(kStelleMarkiertEintraege, 2);
  } else {
    f.entfernen(kStelleMarkiertAbbild, 1);
  }
}

/* The destination side of the second variant: the sequence ends in the
** destination border block, marked border point first, so its last entries
** are the plain border point's mapping (behind the plain border point when
** that mapping was completed). */
void zielGrenzenKlassifiziert(Folge& f, const EbRollenSatz& r1, const EbLaufweg& D,
                              bool gleicheGrenzen) {
  if (gleicheGrenzen) {
    f.rein(r1.grenzeMarkiert);
    f.rein(r1.grenzeEinfach);
    return;
  }
  if (erledigt(D.p[EB_LW_GRENZE])) f.letztesEntfernen();
  f.letztesEntfernen();
  f.letztesErsetzen(r1.grenzeEinfach);
}

/* Turns the pair's sequence into the one of its second variant, on the
** side of the marker when that side's Laufweg record was found in EBGB;
** false when the pair has no second variant. */
bool zweiteVarianteFolge(Folge& f, const EbRollenSatz& r1, const EbLaufweg& O, const EbLaufweg& D,
                         bool gleicheGrenzen) {
  if (r1.marke == 'V' && O.gefunden == 1) {
    abgangsGrenzenKlassifiziert(f, r1, O, gleicheGrenzen);
    return true;
  }
  if (r1.marke == 'H' && D.gefunden == 1) {
    zielGrenzenKlassifiziert(f, r1, D, gleicheGrenzen);
    return true;
  }
  return false;
}

/* The variants of one pair; false when a list operation fails. */
bool paarZusammenstellen(Zusammenstellung& z, const EbLaufweg& O, const EbLaufweg& D) {
  Folge f{&z.w->bhf};
  const PaarFolge pf = folgeBilden(f, z, O, D);
  if (f.fehler) return false;
  EbWegeVar var = varianteBilden(z.gruppenKey, O, D, pf);
  if (!varianteAnfuegen(z, var)) return false;
  if (zweiteVarianteFolge(f, z.r1, O, D, pf.gleicheGrenzen)) {
    if (f.fehler) return false;
    var.abgang.relBits = 0;
    var.ziel.relBits = 0;
    if (!varianteAnfuegen(z, var)) return false;
  }
  leeren(&z.w->bhf);
  return true;
}

/* Every origin record with every destination record, in order. */
bool allePaare(Zusammenstellung& z) {
  EbLaufwegListen* w = z.w;
  for (std::uint32_t oi = 0; oi < w->abgang.count; ++oi) {
    for (std::uint32_t di = 0; di < w->ziel.count; ++di) {
      EbLaufweg O, D;
      std::memcpy(&O, UtListAt(&w->abgang, oi), sizeof O);
      std::memcpy(&D, UtListAt(&w->ziel, di), sizeof D);
      if (!paarZusammenstellen(z, O, D)) return false;
    }
  }
  return true;
}

/* ---- the assembly -------------------------------------------------------- */

/* The points of the second list into "listeEbBhf2", every other point into
** "listeEbBhf"; false when an insertion fails. */
bool punkteAufteilen(EbLaufwegListen* w, const EbPunkt* punkte, std::uint16_t anzahl) {
  for (std::uint16_t i = 0; i < anzahl; ++i) {
    EbPunkt q = punkte[i];
    q.fuell = 0;
    UtList* ziel = (q.punktFlags & EB_PF_ART_MASKE) == EB_PF_ZWEITE ? &w->bhf2 : &w->bhf;
    if (UtListInsert(ziel, ziel->count, &q) < 0) return false;
  }
  return true;
}

/* The roles of both lists (the second only when it holds points). */
void rollenErmitteln(Zusammenstellung& z) {
  auto punkteVon = [](const UtList& l) { return static_cast<const EbPunkt*>(l.elements); };
  EbBhfRollenErmitteln({.punkte = punkteVon(z.w->bhf),
                        .anzahl = static_cast<std::uint16_t>(z.w->bhf.count),
                        .tag = z.tag,
                        .rollen = &z.r1,
                        .gemeinsam = &z.g});
  if (z.w->bhf2.count > 0)
    EbBhfRollenErmitteln({.punkte = punkteVon(z.w->bhf2),
                          .anzahl = static_cast<std::uint16_t>(z.w->bhf2.count),
                          .tag = z.tag,
                          .rollen = &z.r2,
                          .gemeinsam = &z.g});
}

EbSuchStatus listenFehler(EbSuchStatus st) {
  st.code = EB_VAR_LISTENFEHLER;
  return st;
}

}  // namespace

EbSuchStatus EbWegeZusammenstellen(EbLaufwegListen* w, std::uint32_t gruppenKey,
                                   const EbPunkt* punkte, std::uint16_t anzahl, UtDayNumber tag) {
  EbSuchStatus st{{'T', 'T'}, 0, 0};
  Zusammenstellung z{w, gruppenKey, tag};
  if (!punkteAufteilen(w, punkte, anzahl)) return listenFehler(st);
  rollenErmitteln(z);

  const EbRollenSatz& r1 = z.r1;
  st = EbLaufwegSaetzeBilden(w, r1.start, r1.ende, z.g.relation, &r1.marke, r1.grenzeMarkiert,
                             r1.grenzeEinfach, r1.bp1, r1.bp2, tag);
  if (st.code != 0) return st;

  z.relStartOrig = relStartBahnhof(punkte, anzahl);
  leeren(&w->bhf);
  if (!allePaare(z)) return listenFehler(st);
  leeren(&w->bhf2);
  leeren(&w->abgang);
  leeren(&w->ziel);
  return st;
}
