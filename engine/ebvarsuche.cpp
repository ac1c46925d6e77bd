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

}  // namespace

namespace {

/* Distributes the work variants of one group over its profile entries. */
void verteilen(EbLaufwegListen* w, VerteilungGlobal* g, bool* fehler) {
  Verteilung d{w};
  for (std::uint32_t ei = 0; ei < w->glstProfil.count && !d.fehler; ++ei) {
    EbGlstProfil e;
    std::memcpy(&e, UtListAt(&w->glstProfil, ei), sizeof e);
    const std::int32_t K = static_cast<std::int32_t>(e.eintragKey);
    const bool key2Erster = e.profilKey == 2 && ei == 0;

    /* a new group closes the selection of the previous one */
    if (g->vorigerEintrag && g->vorigerProfilKey != e.profilKey && w->wegeVarS.count > 0)
      d.waehlen(abschluss(*varAt(&w->wegeVarS, w->wegeVarS.count - 1)));
    g->vorigerEintrag = true;
    g->vorigerProfilKey = e.profilKey;

    auto standardWaehlen = [&](EbWegeVar v) {
      v.gewaehlterEintrag = K;
      v.standard = 'J';
      d.waehlen(v);
      if (key2Erster) d.zurueckstellen(v);
    };

    /* a variant without entry keys at the front */
    if (EbWegeVar* c = d.aktuell(); c != nullptr && ohneKeys(c)) {
      standardWaehlen(*c);
      d.weiter();
    }
    EbWegeVar* c = d.aktuell();
    /* the variants that start at this entry's origin */
    if (c != nullptr && c->abgang.eintragKey == K) {
      /* this entry's origin towards keyed destinations */
      while ((c = d.aktuell()) != nullptr && c->ziel.eintragKey != 0) {
        EbWegeVar v = *c;
        v.gewaehlterEintrag = K;
        d.waehlen(v);
        d.weiter();
        if ((c = d.aktuell()) != nullptr && c->abgang.eintragKey != K) break;
      }
      /* this entry's origin towards the plain destination (and its
      ** second variant) waits until the other origins are through */
      EbWegeVar holdA{}, holdB{};
      bool mitA = false, mitB = false;
      if ((c = d.aktuell()) != nullptr && c->abgang.eintragKey == K) {
        holdA = *c;
        mitA = true;
        d.weiter();
        if ((c = d.aktuell()) != nullptr && c->abgang.eintragKey == K && c->ziel.eintragKey == 0) {
          holdB = *c;
          mitB = true;
          d.weiter();
        }
      }
      /* other origins: towards this entry's destination now, else later */
      while ((c = d.aktuell()) != nullptr && c->abgang.eintragKey != 0) {
        if (c->ziel.eintragKey == K) {
          EbWegeVar v = *c;
          v.gewaehlterEintrag = K;
          d.waehlen(v);
        } else {
          d.zurueckstellen(*c);
        }
        d.weiter();
      }
      /* the held variants of this entry's origin */
      if (mitA) {
        holdA.gewaehlterEintrag = K;
        d.waehlen(holdA);
      }
      if (mitB) {
        holdB.gewaehlterEintrag = K;
        d.waehlen(holdB);
      }
      /* the plain origin */
      if ((c = d.aktuell()) != nullptr && ohneKeys(c) && d.zurueck == 0) {
        standardWaehlen(*c);
        d.weiter();
      }
      if ((c = d.aktuell()) != nullptr && !ohneKeys(c) && c->ziel.eintragKey == K) {
        while ((c = d.aktuell()) != nullptr && c->ziel.eintragKey == K) {
          EbWegeVar v = *c;
          v.gewaehlterEintrag = K;
          d.waehlen(v);
          d.weiter();
        }
      }
      while ((c = d.aktuell()) != nullptr) {
        if (ohneKeys(c))
          standardWaehlen(*c);
        else
          d.zurueckstellen(*c);
        d.weiter();
      }
    }
    /* the next entry works on the deferred variants */
    if (d.zurueck != 0 && !d.fehler) {
      w->wegeVar.count = 0;
      for (std::uint32_t i = 0; i < d.zurueck && !d.fehler; ++i)
        if (UtListInsert(&w->wegeVar, w->wegeVar.count, varAt(&w->wegeVarN, i)) < 0)
          d.fehler = true;
      w->wegeVarN.count = 0;
      d.verbraucht = 0;
      d.zurueck = 0;
    }
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

void EbWegeVariantenSuchen(UtList* bhfErgebnis, const EbPunkt* punkte, UtList* varErgebnis,
                           EbSuchStatus* status, std::int32_t profilKey, std::uint16_t anzahl) {
  const UtDayNumber tag = EbSucheTag;
  if (!arbeitEingerichtet) {
    arbeitEinrichten();
    arbeitEingerichtet = true;
  } else {
    EbLaufwegListenFreigeben(&arbeit);
  }
  status->id[0] = 'E';
  status->id[1] = 'B';
  std::uint16_t code = 0;

  const std::uint16_t key = static_cast<std::uint16_t>(profilKey);
  int handle = -1;
  auto lesen = [&](EbggSatz* s, std::uint16_t k) {
    return profilKey != 0 ? DbNextEbgg(s, &handle, k, tag) : DbNextEbggFrom(s, &handle, k, tag);
  };
  /* Early returns give the cursor back and leave the work lists as they
  ** are; the status value stays as it was. */
  auto frueh = [&](std::uint16_t c) {
    DbResetEbggSlot(handle);
    status->code = c;
  };

  EbggSatz satz{};
  DbLookupResult r = lesen(&satz, profilKey != 0 ? key : 0);
  if (r != kDbFound || (profilKey != 0 && satz.key1 != static_cast<std::uint32_t>(profilKey))) {
    MsgSend(kMsgSsEngine, EB_MSG_WARN_EBGG, kMsgModeNumbered, "ls", profilKey, UtDayText(tag));
    frueh(EB_MSG_WARN_EBGG);
    return;
  }

  auto listenFehler = [&]() {
    status->id[0] = 'T';
    status->id[1] = 'T';
    code = EB_VAR_LISTENFEHLER;
  };

  std::uint32_t gruppe = satz.key1;
  EbGlstProfil erstes = profilAus(satz);
  if (UtListInsert(&arbeit.glstProfil, 0, &erstes) < 0) listenFehler();

  VerteilungGlobal global;
  while (code == 0) {
    /* Reading one group. */
    std::uint32_t letzte = 0;
    bool naechsteGruppe = false;
    EbggSatz naechster{};
    for (;;) {
      r = lesen(&satz, static_cast<std::uint16_t>(gruppe));
      if (r != kDbFound) break;
      if (satz.key1 == gruppe) {
        if (!profilEinordnen(&arbeit.glstProfil, profilAus(satz), &letzte)) {
          listenFehler();
          break;
        }
      } else {
        naechster = satz;
        naechsteGruppe = true;
        break;
      }
    }
    if (code != 0) break;
    if (r == kDbBadArgs) {
      MsgSend(kMsgSsEngine, EB_MSG_WARN_EBGG, kMsgModeNumbered, "ls",
              static_cast<std::int32_t>(gruppe), UtDayText(tag));
      frueh(static_cast<std::uint16_t>(r));
      return;
    }
    if (r != kDbFound && r != kDbNotFound) {
      frueh(static_cast<std::uint16_t>(r));
      return;
    }

    /* Processing the group. */
    EbSuchStatus st = EbWegeZusammenstellen(&arbeit, gruppe, punkte, anzahl, tag);
    *status = st;
    code = st.code;
    if (code != 0) break;
    bool fehler = false;
    verteilen(&arbeit, &global, &fehler);
    if (fehler) {
      listenFehler();
      break;
    }
    if (!naechsteGruppe) break;
    leerenGenullt(&arbeit.glst);
    leerenGenullt(&arbeit.glstProfil);
    EbGlstProfil p = profilAus(naechster);
    if (UtListInsert(&arbeit.glstProfil, 0, &p) < 0) {
      listenFehler();
      break;
    }
    gruppe = naechster.key1;
  }

  auswaehlen(&arbeit.wegeVarS);

  if (code == 0) {
    if (bhfErgebnis->elements != nullptr) bhfErgebnis->count = 0;
    if (varErgebnis->elements != nullptr) varErgebnis->count = 0;
    bool ok = true;
    if (arbeit.wegeVarS.count > 0) {
      EbWegeVar c = abschluss(*varAt(&arbeit.wegeVarS, arbeit.wegeVarS.count - 1));
      ok = UtListInsert(&arbeit.wegeVarS, arbeit.wegeVarS.count, &c) >= 0;
    }
    if (!ok) {
      listenFehler();
    } else {
      const int a = UtListCopy(varErgebnis, &arbeit.wegeVarS);
      const int b = UtListCopy(bhfErgebnis, &arbeit.wegeBhf);
      code = static_cast<std::uint16_t>(static_cast<unsigned>(a | b) & 0xFFFFu);
      status->id[0] = 'T';
      status->id[1] = 'T';
    }
  }

  DbResetEbggSlot(handle);
  EbLaufwegListenFreigeben(&arbeit);
  status->code = code;
  status->wert = 0;
}
