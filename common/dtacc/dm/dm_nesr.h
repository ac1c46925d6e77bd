/*
** NESR: a validity-dated table keyed by two 32-bit numbers, read by the
** engine's check of a non-federal railway or shipping point. This module
** owns its descriptors and its keyed lookup.
*/
#ifndef ZOLMA_DM_NESR_H
#define ZOLMA_DM_NESR_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

/* Caller record of DbGetNesr. */
struct NesrSatz {
  uint32_t key1;
  uint32_t key2;
  uint16_t validFrom; /* as stored, bit 15 = withdrawn */
  uint16_t value1;
  uint16_t value2;
  uint32_t value3;
  uint16_t validUntil;
};
static_assert(sizeof(NesrSatz) == 24, "NesrSatz keeps its natural layout");

enum { kNesrRecLen = 18 };

/* The NESR descriptors (code "NESR", table number 216, version 2,
** highest sub-version 1). */
extern DbTabDesc DbNesrTab;

void DbInitNesr();

/* Keyed lookup: 0 found, 1 not loaded, 2 not found. */
DbLookupResult DbGetNesr(NesrSatz* out, uint32_t key1, uint32_t key2, UtDayNumber day);

#endif
