/*
** ebvarsuche.cpp - the route-variant search: profile groups, distribution
** of the variants over the profile entries, and the choice.
**
** EbWegeVariantenSuchen reads the entries of an EBGG profile key (or, for
** key 0, of every profile in key order) group by group, has each group's
** route variants assembled, distributes them over the group's entries into
** "listeEbWegeVarS", marks the chosen variant and copies the selection with
** its point sequences into the caller's result lists.
**
** The distribution passes every work variant exactly once: each one is
** selected under an entry, deferred to the next entry, or, when no entry
** takes it, appended behind the group's selection; the order of the
** selection follows the entries. The one deliberate repetition is the rule
** of profile key 2, whose first entry also defers its default variants.
** Failures are reported in the status block, never raised. This module owns
** the search's work object (the thirteen work lists).
*/
#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebgg.h"
#include "engine/ebsuche.h"
#include "engine/ebvar.h"

namespace {

EbLaufwegListen arbeit;
bool arbeitEingerichtet = false;

}  // namespace

EbLaufwegListen* EbVarArbeitslisten() { return &arbeit; }

namespace {

void arbeitEinrichten() {
  EbListeInitLaufwegGlst(&arbeit.glst);
  EbListeInitLaufwegGlstWork(&arbeit.glstWork);
  EbListeInitLaufwegEva(&arbeit.eva);
  EbListeInitGlstProfil(&arbeit.glstProfil);
  EbListeInitLaufwegAbgang(&arbeit.abgang);
  EbListeInitLaufwegZiel(&arbeit.ziel);
  EbListeInitWegeVar(&arbeit.wegeVar, &arbeit.wegeVarN, &arbeit.wegeVarS);
  EbListeInitWegeBhf(&arbeit.wegeBhf);
  EbListeInitBhf(&arbeit.bhf, &arbeit.bhf2);
  EbListeInitWegeAZ(&arbeit.wegeAZ);
}

EbWegeVar* varAt(const UtList* l, std::uint32_t i) {
  return static_cast<EbWegeVar*>(UtListAt(l, i));
}

void leerenGenullt(UtList* l) {
  if (l->elements != nullptr)
    std::memset(l->elements, 0,
                static_cast<std::size_t>(l->allocated) * static_cast<std::size_t>(l->elementSize));
  l->count = 0;
}

EbGlstProfil profilAus(const EbggSatz& s) {
  EbGlstProfil p{};
  p.profilKey = s.key1;
  p.rang = s.rank;
  p.eintragKey = s.key2;
  p.profilFlags = s.profileFlags;
  return p;
}

/* A closing copy of a variant: selected entry key 0, default mark 'N'. */
EbWegeVar abschluss(const EbWegeVar& v) {
  EbWegeVar c = v;
  c.gewaehlterEintrag = 0;
  c.standard = 'N';
  return c;
}

}  // namespace

namespace {

/* State of the distribution of one group's work variants. */
struct Verteilung {
  EbLaufwegListen* w;
  bool fehler = false;
  std::uint32_t verbraucht = 0; /* work variants passed; also the current index */
  std::uint32_t zurueck = 0;    /* deferred to the next entry */

  EbWegeVar* aktuell() const {
    return verbraucht < w->wegeVar.count ? varAt(&w->wegeVar, verbraucht) : nullptr;
  }
  void weiter() { ++verbraucht; }
  /* Selections go behind the selection so far: the selection index always
  ** equals the count of "listeEbWegeVarS". */
  void waehlen(EbWegeVar v) {
    if (UtListInsert(&w->wegeVarS, w->wegeVarS.count, &v) < 0) fehler = true;
  }
  void zurueckstellen(const EbWegeVar& v) {
    if (UtListInsert(&w->wegeVarN, zurueck, &v) < 0)
      fehler = true;
    else
      ++zurueck;
  }
};

bool ohneKeys(const EbWegeVar* v) { return v->abgang.eintragKey == 0 && v->ziel.eintragKey == 0; }

/* Distribution state that runs over the whole search. */
struct VerteilungGlobal {
  bool vorigerEintrag = false;
  std::uint32_t vorigerProfilKey = 0;
};

/* The profile entry being distributed: its entry key K, and whether it is
** the first entry of profile key 2, which also defers its default
** variants. */
struct Eintrag {
  std::int32_t K;
  bool key2Erster;
};

/* Selects a copy of v under the entry. */
void fuerEintragWaehlen(Verteilung* d, const Eintrag& e, EbWegeVar v) {
  v.gewaehlterEintrag = e.K;
  d->waehlen(v);
}

/* Selects a copy of v under the entry as a default variant. */
void standardWaehlen(Verteilung* d, const Eintrag& e, EbWegeVar v) {
  v.gewaehlterEintrag = e.K;
  v.standard = 'J';
  d->waehlen(v);
  if (e.key2Erster) d->zurueckstellen(v);
}

/* A new group closes the selection of the previous one. */
void gruppeAbschliessen(Verteilung* d, VerteilungGlobal* g, const EbGlstProfil& p) {
  UtList* s = &d->w->wegeVarS;
  if (g->vorigerEintrag && g->vorigerProfilKey != p.profilKey && s->count > 0)
    d->waehlen(abschluss(*varAt(s, s->count - 1)));
  g->vorigerEintrag = true;
  g->vorigerProfilKey = p.profilKey;
}

/* This entry's origin towards keyed destinations, up to the first variant
** of another origin. */
void zuGeschluesseltenZielen(Verteilung* d, const Eintrag& e) {
  EbWegeVar* c;
  while ((c = d->aktuell()) != nullptr && c->ziel.eintragKey != 0) {
    fuerEintragWaehlen(d, e, *c);
    d->weiter();
    if ((c = d->aktuell()) != nullptr && c->abgang.eintragKey != e.K) break;
  }
}

/* This entry's origin towards the plain destination, and a second such
** variant, wait until the other origins are through. */
struct Gehalten {
  EbWegeVar a{}, b{};
  bool mitA = false, mitB = false;
};

Gehalten abgangZurueckhalten(Verteilung* d, const Eintrag& e) {
  Gehalten h;
  EbWegeVar* c = d->aktuell();
  if (c == nullptr || c->abgang.eintragKey != e.K) return h;
  h.a = *c;
  h.mitA = true;
  d->weiter();
  if ((c = d->aktuell()) != nullptr && c->abgang.eintragKey == e.K && c->ziel.eintragKey == 0) {
    h.b = *c;
    h.mitB = true;
    d->weiter();
  }
  return h;
}

/* Other origins: towards this entry's destination now, else later. */
void andereAbgaenge(Verteilung* d, const Eintrag& e) {
  EbWegeVar* c;
  while ((c = d->aktuell()) != nullptr && c->abgang.eintragKey != 0) {
    if (c->ziel.eintragKey == e.K)
      fuerEintragWaehlen(d, e, *c);
    else
      d->zurueckstellen(*c);
    d->weiter();
  }
}

/* The plain origin, the variants towards this entry's destination, and
** the rest: defaults selected, everything else deferred. */
void eintragAbschliessen(Verteilung* d, const Eintrag& e) {
  EbWegeVar* c;
  if ((c = d->aktuell()) != nullptr && ohneKeys(c) && d->zurueck == 0) {
    standardWaehlen(d, e, *c);
    d->weiter();
  }
  if ((c = d->aktuell()) != nullptr && !ohneKeys(c) && c->ziel.eintragKey == e.K) {
    while ((c = d->aktuell()) != nullptr && c->ziel.eintragKey == e.K) {
      fuerEintragWaehlen(d, e, *c);
      d->weiter();
    }
  }
  while ((c = d->aktuell()) != nullptr) {
    if (ohneKeys(c))
      standardWaehlen(d, e, *c);
    else
      d->zurueckstellen(*c);
    d->weiter();
  }
}

/* The next entry works on the deferred variants. */
void zurueckgestellteUebernehmen(Verteilung* d) {
  if (d->zurueck == 0 || d->fehler) return;
  EbLaufwegListen* w = d->w;
  w->wegeVar.count = 0;
  for (std::uint32_t i = 0; i < d->zurueck && !d->fehler; ++i)
    if (UtListInsert(&w->wegeVar, w->wegeVar.count, varAt(&w->wegeVarN, i)) < 0) d->fehler = true;
  w->wegeVarN.count = 0;
  d->verbraucht = 0;
  d->zurueck = 0;
}

/* Distributes the current work variants over one profile entry. */
void eintragVerteilen(Verteilung* d, VerteilungGlobal* g, const EbGlstProfil& p, bool erster) {
  const Eintrag e{static_cast<std::int32_t>(p.eintragKey), p.profilKey == 2 && erster};
  gruppeAbschliessen(d, g, p);
  /* a variant without entry keys at the front */
  if (EbWegeVar* c = d->aktuell(); c != nullptr && ohneKeys(c)) {
    standardWaehlen(d, e, *c);
    d->weiter();
  }
  /* only the variants that start at this entry's origin go on */
  EbWegeVar* c = d->aktuell();
  if (c == nullptr || c->abgang.eintragKey != e.K) return;
  zuGeschluesseltenZielen(d, e);
  Gehalten h = abgangZurueckhalten(d, e);
  andereAbgaenge(d, e);
  if (h.mitA) fuerEintragWaehlen(d, e, h.a);
  if (h.mitB) fuerEintragWaehlen(d, e, h.b);
  eintragAbschliessen(d, e);
}

/* Distributes the work variants of one group over its profile entries. */
void verteilen(EbLaufwegListen* w, VerteilungGlobal* g, bool* fehler) {
  Verteilung d{w};
  for (std::uint32_t ei = 0; ei < w->glstProfil.count && !d.fehler; ++ei) {
    EbGlstProfil p;
    std::memcpy(&p, UtListAt(&w->glstProfil, ei), sizeof p);
    eintragVerteilen(&d, g, p, ei == 0);
    zurueckgestellteUebernehmen(&d);
  }
  /* What no entry took follows the group's selection. */
  while (!d.fehler && d.aktuell() != nullptr) {
    d.waehlen(*d.aktuell());
    d.weiter();
  }
  w->wegeVar.count = 0;
  if (d.fehler) *fehler = true;
}

/* Places a profile entry relative to the entry placed last. */
bool profilEinordnen(UtList* l, const EbGlstProfil& neu, std::uint32_t* letzte) {
  const std::uint32_t pos = *letzte;
  auto rang = [l](std::uint32_t i) {
    return static_cast<const EbGlstProfil*>(UtListAt(l, i))->rang;
  };
  std::uint32_t idx = 0;
  if (pos < l->count && neu.rang <= rang(pos)) {
    idx = pos + 1;
  } else {
    for (std::uint32_t j = pos < l->count ? pos : l->count; j-- > 0;) {
      if (rang(j) >= neu.rang) {
        idx = j + 1;
        break;
      }
    }
  }
  if (UtListInsert(l, idx, &neu) < 0) return false;
  *letzte = idx;
  return true;
}

/* Marks the chosen variant of the selection. */
void auswaehlen(UtList* s) {
  std::uint32_t m = 0;
  for (std::uint32_t i = 0; i < s->count; ++i)
    if (varAt(s, i)->abgang.rang > m) m = varAt(s, i)->abgang.rang;
  EbWegeVar* wahl = nullptr;
  std::uint32_t besterZiel = 0;
  if (m != 0) {
    EbWegeVar* letzter = nullptr;
    for (std::uint32_t i = 0; i < s->count; ++i) {
      EbWegeVar* v = varAt(s, i);
      if (v->abgang.rang != m) continue;
      letzter = v;
      if (v->ziel.rang > besterZiel) {
        besterZiel = v->ziel.rang;
        wahl = v;
      }
    }
    if (wahl == nullptr) wahl = letzter;
  } else {
    for (std::uint32_t i = 0; i < s->count; ++i) {
      EbWegeVar* v = varAt(s, i);
      if (v->ziel.rang > besterZiel) {
        besterZiel = v->ziel.rang;
        wahl = v;
      }
    }
  }
  if (wahl != nullptr) wahl->gewaehlt = 'J';
}

}  // namespace

namespace {

/* One search: its day, profile key and EBGG cursor, the caller's status
** block and the code so far. */
struct Suche {
  UtDayNumber tag;
  std::int32_t profilKey;
  EbSuchStatus* status;
  int handle = -1;
  std::uint16_t code = 0;

  /* The next profile record: the entries of the profile key, or with key 0
  ** every profile from key k on in key order. */
  DbLookupResult lesen(EbggSatz* s, std::uint16_t k) {
    return profilKey != 0 ? DbNextEbgg(s, &handle, k, tag) : DbNextEbggFrom(s, &handle, k, tag);
  }
  /* Early returns give the cursor back and leave the work lists as they
  ** are; the status value stays as it was. */
  void frueh(std::uint16_t c) {
    DbResetEbggSlot(handle);
    status->code = c;
  }
  void listenFehler() {
    status->id[0] = 'T';
    status->id[1] = 'T';
    code = EB_VAR_LISTENFEHLER;
  }
  void warnen(std::int32_t key) {
    MsgSend(kMsgSsEngine, EB_MSG_WARN_EBGG, kMsgModeNumbered, "ls", key, UtDayText(tag));
  }
};

/* The work lists set up once, emptied on every later search. */
void arbeitBereitstellen() {
  if (!arbeitEingerichtet) {
    arbeitEinrichten();
    arbeitEingerichtet = true;
  } else {
    EbLaufwegListenFreigeben(&arbeit);
  }
}

/* A group's first entry at the front of "listeEbGlstProfil". */
void gruppeBeginnen(Suche* su, const EbggSatz& satz) {
  EbGlstProfil p = profilAus(satz);
  if (UtListInsert(&arbeit.glstProfil, 0, &p) < 0) su->listenFehler();
}

/* Reads the rest of the group `gruppe` into "listeEbGlstProfil"; the
** first record of the next group goes to *naechster (*weitere true).
** Returns the result of the last read. */
DbLookupResult gruppeLesen(Suche* su, std::uint32_t gruppe, EbggSatz* naechster, bool* weitere) {
  std::uint32_t letzte = 0;
  *weitere = false;
  EbggSatz satz{};
  for (;;) {
    const DbLookupResult r = su->lesen(&satz, static_cast<std::uint16_t>(gruppe));
    if (r != kDbFound) return r;
    if (satz.key1 != gruppe) {
      *naechster = satz;
      *weitere = true;
      return r;
    }
    if (!profilEinordnen(&arbeit.glstProfil, profilAus(satz), &letzte)) {
      su->listenFehler();
      return r;
    }
  }
}

/* The route assembly and the distribution of one group; false when the
** search ends with this group. */
bool gruppeVerarbeiten(Suche* su, std::uint32_t gruppe, VerteilungGlobal* global,
                       const EbPunkt* punkte, std::uint16_t anzahl) {
  *su->status = EbWegeZusammenstellen(&arbeit, gruppe, punkte, anzahl, su->tag);
  su->code = su->status->code;
  if (su->code != 0) return false;
  bool fehler = false;
  verteilen(&arbeit, global, &fehler);
  if (fehler) {
    su->listenFehler();
    return false;
  }
  return true;
}

/* The end of a search without failure: the selection with its closing copy
** and the point sequences into the caller's result lists. */
void ergebnisAbgeben(Suche* su, UtList* bhfErgebnis, UtList* varErgebnis) {
  if (bhfErgebnis->elements != nullptr) bhfErgebnis->count = 0;
  if (varErgebnis->elements != nullptr) varErgebnis->count = 0;
  if (arbeit.wegeVarS.count > 0) {
    EbWegeVar c = abschluss(*varAt(&arbeit.wegeVarS, arbeit.wegeVarS.count - 1));
    if (UtListInsert(&arbeit.wegeVarS, arbeit.wegeVarS.count, &c) < 0) {
      su->listenFehler();
      return;
    }
  }
  const int a = UtListCopy(varErgebnis, &arbeit.wegeVarS);
  const int b = UtListCopy(bhfErgebnis, &arbeit.wegeBhf);
  su->code = static_cast<std::uint16_t>(static_cast<unsigned>(a | b) & 0xFFFFu);
  su->status->id[0] = 'T';
  su->status->id[1] = 'T';
}

}  // namespace

void EbWegeVariantenSuchen(UtList* bhfErgebnis, const EbPunkt* punkte, UtList* varErgebnis,
                           EbSuchStatus* status, std::int32_t profilKey, std::uint16_t anzahl) {
  arbeitBereitstellen();
  status->id[0] = 'E';
  status->id[1] = 'B';
  Suche su{EbSucheTag, profilKey, status};

  EbggSatz satz{};
  const std::uint16_t key = static_cast<std::uint16_t>(profilKey);
  DbLookupResult r = su.lesen(&satz, profilKey != 0 ? key : 0);
  if (r != kDbFound || (profilKey != 0 && satz.key1 != static_cast<std::uint32_t>(profilKey))) {
    su.warnen(profilKey);
    su.frueh(EB_MSG_WARN_EBGG);
    return;
  }
  std::uint32_t gruppe = satz.key1;
  gruppeBeginnen(&su, satz);

  VerteilungGlobal global;
  while (su.code == 0) {
    EbggSatz naechster{};
    bool weitere = false;
    r = gruppeLesen(&su, gruppe, &naechster, &weitere);
    if (su.code != 0) break;
    if (r == kDbBadArgs) {
      su.warnen(static_cast<std::int32_t>(gruppe));
      su.frueh(static_cast<std::uint16_t>(r));
      return;
    }
    if (r != kDbFound && r != kDbNotFound) {
      su.frueh(static_cast<std::uint16_t>(r));
      return;
    }
    if (!gruppeVerarbeiten(&su, gruppe, &global, punkte, anzahl) || !weitere) break;
    leerenGenullt(&arbeit.glst);
    leerenGenullt(&arbeit.glstProfil);
    gruppeBeginnen(&su, naechster);
    if (su.code != 0) break;
    gruppe = naechster.key1;
  }

  auswaehlen(&arbeit.wegeVarS);
  if (su.code == 0) ergebnisAbgeben(&su, bhfErgebnis, varErgebnis);

  DbResetEbggSlot(su.handle);
  EbLaufwegListenFreigeben(&arbeit);
  status->code = su.code;
  status->wert = 0;
}
