/*
** ebvarianten.cpp - route of a direction over route variants.
**
** A route-search request without a fixed point sequence hands its points to
** the route-variant search, then walks the variants it returned in list
** order: each variant's point sequence is decoded, its kilometres come from
** the kilometre cache "listeWegeFertig" or from the legs of the route step,
** and the relation rules of its two ends decide whether it stands. The first
** variant that satisfies both ends is the route; its legs are left in the
** route step's work slots, its relation blocks and touch pair are returned.
**
** The cache holds one entry per point sequence computed in this direction:
** {km, origin, destination, BP-Vor, BP-Nach, relation value, relation start,
** relation end, third and fourth relation station}. It is found by the nine
** point words (whatever the km), and new entries go where the list's
** bytewise order over its key puts them.
**
** Failures: a failed search, and a walk that finds no variant satisfying
** both ends, raise 1420 ("EB" 1420, no parameters); a leg raises as the
** route step does.
*/
#include <cstring>
#include <vector>

#include "common/dtacc/dm/dm_bhfnr.h"
#include "engine/ebliste.h"
#include "engine/ebsuche.h"
#include "engine/ebvar.h"

namespace {

std::uint32_t legBerechnungen = 0;

void punktDazu(EbPunkt* punkte, std::uint16_t* n, std::int32_t bahnhof, std::uint16_t punktFlags,
               std::uint16_t seitenFlags, std::uint16_t artFlags = 0, bool vollform = true) {
  if (bahnhof == 0) return;
  EbPunkt p{};
  const std::uint32_t b = static_cast<std::uint32_t>(bahnhof);
  p.bahnhof = vollform ? static_cast<std::int32_t>(DbBhfVoll(b)) : bahnhof;
  p.punktFlags = punktFlags;
  p.seitenFlags = seitenFlags;
  p.artFlags = artFlags;
  punkte[(*n)++] = p;
}

}  // namespace

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
std::uint32_t EbVarLegBerechnungen() { return legBerechnungen; }
#endif

std::uint16_t EbVarRoutenpunkte(const EbSuchAnfrage* a, EbPunkt punkte[EB_VAR_MAX_PUNKTE]) {
  std::uint16_t n = 0;
  punktDazu(punkte, &n, a->von, EB_PF_URSPRUNG, EB_SF_URSPRUNG);
  punktDazu(punkte, &n, a->bpVor, 0, EB_SF_BP_VOR);
  if (a->relBhf[0] != 0) {
    punktDazu(punkte, &n, static_cast<std::uint16_t>(a->relWert), 0, 0, EB_AF_REL_KOPF, false);
    punktDazu(punkte, &n, a->relBhf[0], EB_PF_REL_START, 0);
    punktDazu(punkte, &n, a->relBhf[2], EB_PF_REL_WEITERE, 0);
    punktDazu(punkte, &n, a->relBhf[3], EB_PF_REL_WEITERE, 0);
    punktDazu(punkte, &n, a->relBhf[1], EB_PF_REL_ENDE, 0);
  }
  punktDazu(punkte, &n, a->bpNach, 0, EB_SF_BP_NACH);
  punktDazu(punkte, &n, a->nach, EB_PF_ZIEL, EB_SF_ZIEL);
  return n;
}

EbVarFolge EbVarFolgeLesen(const EbSuchAnfrage* a, const UtList* bhf, const EbWegeVar& v) {
  EbVarFolge f{};
  f.w[EB_VF_REL_WERT] = a->relWert;
  f.w[EB_VF_DRITTE] = a->relBhf[2];
  f.w[EB_VF_VIERTE] = a->relBhf[3];

  /* The variant's points, without those whose station is 0 (a border
  ** role that no point took). */
  const std::uint32_t erster = v.ersterIndex < 0 ? 0u : static_cast<std::uint32_t>(v.ersterIndex);
  const std::uint32_t anzahl = v.anzahl < 0 ? 0u : static_cast<std::uint32_t>(v.anzahl);
  std::vector<EbPunkt> pkt;
  for (std::uint32_t k = 0; k < anzahl; ++k) {
    const auto* q = static_cast<const EbPunkt*>(UtListAt(bhf, erster + k));
    if (q == nullptr) break;
    if (q->bahnhof != 0) pkt.push_back(*q);
  }
  auto punkt = [&pkt](std::uint32_t i) -> const EbPunkt* {
    return i < pkt.size() ? &pkt[i] : nullptr;
  };
  /* The station a point counts with: that of a substitute right behind it
  ** (inside the variant), which is then passed. */
  std::uint32_t i = 0;
  auto nehmen = [&](const EbPunkt* p) {
    std::int32_t b = p->bahnhof;
    const EbPunkt* n = punkt(i + 1);
    if (n != nullptr && (n->punktFlags & EB_PF_ART_MASKE) == EB_PF_ERSATZ) {
      b = n->bahnhof;
      ++i;
    } else if (EbPunktTraegtRelation(*p)) {
      /* The station field holds a relation number: the relation starts at
      ** the station the request gave. */
      b = a->relBhf[0];
    }
    ++i;
    return static_cast<std::int32_t>(DbBhfLokal(static_cast<std::uint32_t>(b)));
  };

  const EbPunkt* p = punkt(0);
  if (p == nullptr) return f;
  f.w[EB_VF_VON] = nehmen(p);
  /* The roles follow in their order; a point that takes none of the roles
  ** still open is passed over. */
  int stufe = 0; /* 0 BP-Vor open, 1 relation start, 2 relation end, 3 BP-Nach, 4 destination */
  while ((p = punkt(i)) != nullptr) {
    if (stufe <= 0 && (p->seitenFlags & 0x30) == EB_SF_BP_VOR) {
      f.w[EB_VF_BP_VOR] = nehmen(p);
      stufe = 1;
    } else if (stufe <= 1 && (p->punktFlags & EB_PF_REL_START) != 0) {
      f.w[EB_VF_REL_START] = nehmen(p);
      stufe = 2;
    } else if (stufe == 2 && (p->punktFlags & EB_PF_REL_ENDE) != 0) {
      f.w[EB_VF_REL_ENDE] = nehmen(p);
      stufe = 3;
    } else if (stufe <= 3 && (p->seitenFlags & 0x30) == EB_SF_BP_NACH) {
      f.w[EB_VF_BP_NACH] = nehmen(p);
      stufe = 4;
    } else if ((p->punktFlags & EB_PF_ZIEL) != 0 &&
               (p->punktFlags & EB_PF_ART_MASKE) != EB_PF_ERSATZ) {
      f.w[EB_VF_NACH] = nehmen(p);
      break;
    } else {
      ++i;
    }
  }
  return f;
}

/* ---- the kilometre cache ------------------------------------------------ */

namespace {
struct CacheEintrag {
  std::int32_t km;
  std::int32_t w[9];
};
static_assert(sizeof(CacheEintrag) == 40);
}  // namespace

namespace {

bool cacheSuchen(const EbVarFolge& f, std::int32_t* km) {
  for (std::uint32_t i = 0; i < listeWegeFertig.count; ++i) {
    CacheEintrag e;
    std::memcpy(&e, UtListAt(&listeWegeFertig, i), sizeof e);
    if (std::memcmp(e.w, f.w, sizeof e.w) == 0) {
      *km = e.km;
      return true;
    }
  }
  return false;
}

void cacheEintragen(const EbVarFolge& f, std::int32_t km) {
  CacheEintrag e{};
  e.km = km;
  std::memcpy(e.w, f.w, sizeof e.w);
  int gefunden = 0;
  std::int32_t idx = UtListSearch(&listeWegeFertig, &e, &gefunden);
  /* A cache entry that cannot be kept only costs a later recomputation. */
  if (idx >= 0) UtListInsert(&listeWegeFertig, static_cast<std::uint32_t>(idx), &e);
}

}  // namespace

/* ---- the walk over the variants ----------------------------------------- */

namespace {

/* The search request of a variant: its ends, break points and relation
** ends; relation value, third and fourth station as the request gave them. */
EbSuchAnfrage variantenAnfrage(const EbSuchAnfrage* a, const EbVarFolge& f) {
  EbSuchAnfrage v = *a;
  v.von = f.w[EB_VF_VON];
  v.nach = f.w[EB_VF_NACH];
  v.bpVor = f.w[EB_VF_BP_VOR];
  v.bpNach = f.w[EB_VF_BP_NACH];
  v.relBhf[0] = f.w[EB_VF_REL_START];
  v.relBhf[1] = f.w[EB_VF_REL_ENDE];
  return v;
}

std::int32_t legsBerechnen(const EbSuchAnfrage* v, std::uint32_t flags) {
  const std::int32_t punkte[EB_PKT_ANZAHL] = {v->von,       v->bpVor,  v->relBhf[0],
                                              v->relBhf[1], v->bpNach, v->nach};
  const bool innen = punkte[1] != 0 || punkte[2] != 0 || punkte[3] != 0 || punkte[4] != 0;
  ++legBerechnungen;
  return EbWegEntfernung(v, innen ? EB_LEG_LEEREN : (EB_LEG_LEEREN | EB_LEG_OHNE_PUNKTE), punkte,
                         flags);
}

int seitenArt(std::int32_t relFlags) {
  if (relFlags & 0x02) return 1;
  if (relFlags & 0x01) return 2;
  return 0;
}

void nameKopieren(char ziel[25], const char quelle[25]) { std::memcpy(ziel, quelle, 25); }

/* The relation rules of one variant with its km; fills the blocks. */
bool regelnErfuellt(const EbSuchAnfrage* a, const EbWegeVar& v, const EbVarFolge& f,
                    std::int32_t km, EbRelBlockA* A, EbRelBlockB* B) {
  *A = EbRelBlockA{};
  *B = EbRelBlockB{};
  const auto kmU = static_cast<std::uint32_t>(km);
  bool start = true;
  switch (seitenArt(v.abgang.relFlags)) {
    case 2:
      start = a->schlusswort != 0 || kmU >= static_cast<std::uint32_t>(v.abgang.kmSchwelle);
      if (start) {
        A->gefundenStart = 1;
        A->bhfStart = f.w[EB_VF_VON];
        A->kmSchwelleStart = v.abgang.kmSchwelle;
        nameKopieren(A->nameStart, v.abgang.name);
      }
      break;
    case 1:
      start = a->schlusswort == 0 && (a->optionBits & 0x01) != 0;
      if (start) {
        B->gefundenStart = 1;
        B->bhfStart = f.w[EB_VF_VON];
        nameKopieren(B->nameStart, v.abgang.name);
      }
      break;
    default:
      break;
  }
  bool ende = true;
  switch (seitenArt(v.ziel.relFlags)) {
    case 2:
      ende = a->schlusswort != 0 || kmU >= static_cast<std::uint32_t>(v.ziel.kmSchwelle);
      if (ende) {
        A->gefundenEnde = 1;
        A->bhfEnde = f.w[EB_VF_NACH];
        A->kmSchwelleEnde = v.ziel.kmSchwelle;
        nameKopieren(A->nameEnde, v.ziel.name);
      }
      break;
    case 1:
      ende = a->schlusswort == 0 && (a->optionBits & 0x02) != 0;
      if (ende) {
        B->gefundenEnde = 1;
        B->bhfEnde = f.w[EB_VF_NACH];
        nameKopieren(B->nameEnde, v.ziel.name);
      }
      break;
    default:
      break;
  }
  return start && ende;
}

}  // namespace

std::int32_t EbVarWegWaehlen(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA, EbRelBlockB* blockB,
                             std::int32_t beruehrung[2], std::uint32_t flags) {
  if (listeWegeFertig.elementSize == 0) EbListeInitWegeFertig(&listeWegeFertig);
  bool legsDa = false;
  EbVarFolge legsVon{};
  for (std::uint32_t i = 0; i < listeEbWegeVar.count; ++i) {
    EbWegeVar v;
    std::memcpy(&v, UtListAt(&listeEbWegeVar, i), sizeof v);
    if (((v.abgang.relFlags | v.ziel.relFlags) & 0x02) != 0 && (anfrage->optionBits & 0x03) == 0)
      continue;
    const EbVarFolge f = EbVarFolgeLesen(anfrage, &listeEbWegeBhf, v);
    /* A sequence without both ends is no route of this direction. */
    if (f.w[EB_VF_VON] == 0 || f.w[EB_VF_NACH] == 0) continue;
    const EbSuchAnfrage va = variantenAnfrage(anfrage, f);

    std::int32_t km = 0;
    if (!cacheSuchen(f, &km)) {
      km = legsBerechnen(&va, flags);
      legsDa = true;
      legsVon = f;
      cacheEintragen(f, km);
    }
    if (!regelnErfuellt(anfrage, v, f, km, blockA, blockB)) continue;

    /* The route's legs must be this variant's, also after a cache hit. */
    if (!legsDa || std::memcmp(legsVon.w, f.w, sizeof f.w) != 0) km = legsBerechnen(&va, flags);
    beruehrung[0] = f.w[EB_VF_BP_VOR];
    beruehrung[1] = f.w[EB_VF_BP_NACH];
    return km;
  }
  /* No variant stands: no route, not the km of some other variant. */
  *blockA = EbRelBlockA{};
  *blockB = EbRelBlockB{};
  beruehrung[0] = beruehrung[1] = 0;
  EbRaiseEinfach(EB_RC_VARIANTEN);
}

std::int32_t EbWegUeberVarianten(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA,
                                 EbRelBlockB* blockB, std::int32_t beruehrung[2],
                                 std::uint32_t flags) {
  const std::int32_t profilKey = anfrage->profilKey != 0 ? anfrage->profilKey : 1;
  EbPunkt punkte[EB_VAR_MAX_PUNKTE] = {};
  const std::uint16_t n = EbVarRoutenpunkte(anfrage, punkte);
  EbSuchStatus status{};
  EbWegeVariantenSuchen(&listeEbWegeBhf, punkte, &listeEbWegeVar, &status, profilKey, n);
  if (status.code != 0) EbRaiseEinfach(EB_RC_VARIANTEN);
  return EbVarWegWaehlen(anfrage, blockA, blockB, beruehrung, flags);
}
