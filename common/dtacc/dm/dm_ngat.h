/*
** NGAT: a validity-dated table with a four-part key and one value, read by
** the engine's check of a non-federal railway or shipping point. This module
** owns its descriptors and its keyed lookup.
*/
#ifndef ZOLMA_DM_NGAT_H
#define ZOLMA_DM_NGAT_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

/* Caller record of DbGetNgat. */
struct NgatSatz {
  uint32_t key1;
  uint32_t key2;
  uint16_t key3;
  uint16_t key4;
  uint16_t validFrom; /* as stored, bit 15 = withdrawn */
  uint16_t value;
  uint16_t validUntil;
};

enum { kNgatRecLen = 16 };

/* The NGAT descriptors (code "NGAT", table number 215, version 2,
** highest sub-version 1). */
extern DbTabDesc DbNgatTab;

void DbInitNgat();

/* Keyed lookup; key parts 1 and 2 are 16-bit and compared zero-extended
** with the stored 32-bit parts. 0 found, 1 not loaded, 2 not found. */
DbLookupResult DbGetNgat(NgatSatz* out, uint16_t key1, uint16_t key2, uint16_t key3, uint16_t key4,
                         UtDayNumber day);

#endif
