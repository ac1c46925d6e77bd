/*
** LOST: a validity-dated table with a four-part key whose records carry
** three texts (in the text block LostTextBlock) and a value. Unlike the
** other lookups, DbGetLost fills the one process-wide result record
** DbLostSatz. This module owns the descriptors, their load-time checks, the
** result record and the lookup.
*/
#ifndef ZOLMA_DM_LOST_H
#define ZOLMA_DM_LOST_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kLostText1Len = 40, kLostText2Len = 97, kLostText3Len = 97 };

/* The record type of DbGetLost's result. The one result record itself is
** DbLostSatz, so that the type name stays usable in declarations. */
struct LostSatz {
  uint32_t key1;
  uint32_t key2;
  uint32_t key3;
  uint32_t key4;
  uint16_t validFrom;        /* as stored, bit 15 = withdrawn */
  char text1[kLostText1Len]; /* blank-padded, no terminator */
  char text2[kLostText2Len];
  char text3[kLostText3Len];
  uint32_t value;
  uint16_t validUntil;
};
static_assert(sizeof(LostSatz) == 260, "LostSatz keeps its natural layout");

/* Written by every successful DbGetLost, untouched otherwise. */
extern LostSatz DbLostSatz;

enum { kLostMainRecLen = 18, kLostTextRecLen = 1 };

/* The LOST descriptors (code "LOST", table number 153, version 2,
** highest sub-version 1). */
extern DbTabDesc DbLostTab;

void DbInitLost();

/* Keyed lookup into DbLostSatz: 0 found, 1 not loaded, 2 not found. */
DbLookupResult DbGetLost(uint16_t key1, uint16_t key2, uint32_t key3, uint16_t key4,
                         UtDayNumber day);

#endif
