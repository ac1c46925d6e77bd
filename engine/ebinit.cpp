/*
** ebinit.cpp - initialisation and end of the distance engine.
**
** EbGfInitEntfernungsBerechnung loads the engine's twelve tables through
** the table manager, sets up the element pool of the result chains, takes
** the two result slots and sets up the engine-lifetime route lists.
** EbGfEndeEntfernungsBerechnung releases the tables and the pool again.
** Both count per table, so nested pairs load and unload each table once.
**
** This module owns the load counters and set-up flags of the tables, the
** pool and list counters, and the outbound and return result slot numbers.
*/
#include "engine/ebinit.h"

#include <cstdint>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebgb.h"
#include "common/dtacc/dm/dm_ebgg.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_lost.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_ngat.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "engine/ebint.h"
#include "engine/ebkette.h"
#include "engine/ebkm.h"
#include "engine/ebliste.h"
#include "engine/ebsuche.h"
#include "support/msg.h"
#include "support/utlog.h"

std::int32_t EbSlotHin = -1;
std::int32_t EbSlotRueck = -1;

namespace {

/* One engine table: its descriptor, its set-up, and the engine's counters. */
struct EngineTabelle {
  DbTabDesc* tab;
  void (*init)();
  std::uint8_t ladeZaehler;  /* outstanding initialisations */
  std::int32_t eingerichtet; /* 1 once the descriptor set-up has run */
};

enum {
  T_EBGG,
  T_EBGB,
  T_EBHF,
  T_TDRG,
  T_FBRR,
  T_GREN,
  T_STEN,
  T_RBGT,
  T_NESR,
  T_NGAT,
  T_LOST,
  T_FBRW,
  T_ANZAHL
};

EngineTabelle tabellen[T_ANZAHL] = {
    {&DbEbggTab, DbInitEbgg, 0, 0}, {&DbEbgbTab, DbInitEbgb, 0, 0}, {&DbEbhfTab, DbInitEbhf, 0, 0},
    {&DbTdrgTab, DbInitTdrg, 0, 0}, {&DbFbrrTab, DbInitFbrr, 0, 0}, {&DbGrenTab, DbInitGren, 0, 0},
    {&DbStenTab, DbInitSten, 0, 0}, {&DbRbgtTab, DbInitRbgt, 0, 0}, {&DbNesrTab, DbInitNesr, 0, 0},
    {&DbNgatTab, DbInitNgat, 0, 0}, {&DbLostTab, DbInitLost, 0, 0}, {&DbFbrwTab, DbInitFbrw, 0, 0},
};

/* Order in which the end unloads the tables. */
const int endeReihenfolge[T_ANZAHL] = {T_EBHF, T_TDRG, T_FBRR, T_GREN, T_STEN, T_RBGT,
                                       T_NESR, T_NGAT, T_LOST, T_FBRW, T_EBGB, T_EBGG};

std::uint8_t poolZaehler = 0;
std::uint8_t listenZaehler = 0;

void tabelleLaden(EngineTabelle* t) {
  ++t->ladeZaehler;
  if (t->ladeZaehler != 1) return;
  if (t->eingerichtet != 1) {
    t->init();
    t->eingerichtet = 1;
  }
  DbLoadTab(t->tab);
}

void initAusfuehren() {
  DbDatenZeitstempel = 0;
  for (int i = 0; i < T_ANZAHL; ++i) {
    tabelleLaden(&tabellen[i]);
    /* The stamp ends as the header time of the first file read after
    ** EBHF. */
    if (i == T_EBHF) DbDatenZeitstempel = 0;
  }
  /* Node lists built from an earlier load of the tables must not survive
  ** into this one. */
  EbKnotenCacheLeeren();

  ++poolZaehler;
  if (poolZaehler == 1) {
    EbListenInit();
    /* A new pool hands every slot number out afresh; the route step must
    ** take its work slots again rather than keep numbers that are now
    ** free (or belong to the result slots). */
    EbLaufwegSlotsVergessen();
  }

  EbSlotHin = EbListeBelegen();
  EbSlotRueck = EbListeBelegen();

  ++listenZaehler;
  if (listenZaehler == 1) {
    EbListeInitWegeVarGlobal(&listeEbWegeVar);
    EbListeInitWegeBhfGlobal(&listeEbWegeBhf);
  }
}

}  // namespace

std::int32_t EbGfInitEntfernungsBerechnung(void) {
  UtLogWrite(3, "ZOLMA Entfernungsberechnung: Initialisierung");

  MsgTrapFrame frame;
  const int code = MsgTry(frame, [] { initAusfuehren(); });
  if (code != 0) {
    Meldungskontext* m = frame.received;
    if (m != nullptr) {
      MsgWrite(m);
      UtLogWriteNoFlush(1, "EbGfInitEntfernungsBerechnung> Fehler %c%c%04d\n", m->SS_id[0],
                        m->SS_id[1], static_cast<unsigned>(m->Meldungsnummer));
    }
    MsgFree(m);
  }
  return code;
}

void EbGfEndeEntfernungsBerechnung(void) {
  for (int i : endeReihenfolge) {
    EngineTabelle* t = &tabellen[i];
    if (t->ladeZaehler == 1) DbUnloadTab(t->tab);
    /* A table that a failed initialisation never reached has a counter of
    ** 0; it stays 0 so that the next initialisation loads it. */
    if (t->ladeZaehler > 0) --t->ladeZaehler;
  }
  if (poolZaehler == 1) EbListenEnde();
  if (poolZaehler > 0) --poolZaehler;
}
