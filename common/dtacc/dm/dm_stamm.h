/*
** Station master: a second station table that would give the display names
** of relation stations. The system has its descriptor but neither a set-up
** nor a data file for it, so its load count stays 0 and DbGetBhf answers 1
** (table not loaded) on every call.
*/
#ifndef ZOLMA_DM_STAMM_H
#define ZOLMA_DM_STAMM_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

/* Caller record of DbGetBhf; only these two fields are read. */
struct BhfSatz {
  char routeTextName[20]; /* blank-padded, no terminator */
  char shortName[4];
};

/* The station master's descriptor: never set up, never loaded. */
extern DbTabDesc DbStammTab;

/* Always 1 while the station master is not loaded; out stays untouched. */
DbLookupResult DbGetBhf(BhfSatz* out, uint32_t station, UtDayNumber day);

#endif
