/*
** EBGG: the route-profile table. Owns the EBGG descriptors, its five cursor
** slots and the two cursors over (key1, key2) groups: DbNextEbgg over the
** groups of one key1, DbNextEbggFrom over the groups from key1 on to the end
** of the table. There is no release operation: the engine writes the reset
** value over a slot it is done with (DbResetEbggSlot).
**
** Declares the table's descriptors, its caller record and its lookups;
** the common lookup rules are those of dm.h.
*/
#ifndef ZOLMA_DM_EBGG_H
#define ZOLMA_DM_EBGG_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kEbggRecLen = 92 };

struct EbggSatz {
  uint32_t key1; /* profile key */
  uint32_t key2; /* entry key */
  uint16_t validFrom;
  char text8[8];
  char text2a[2];
  char text40[40];
  uint32_t rank;
  uint32_t profileFlags;
  char text4[4];
  char text2b[2];
  char text20[20];
  uint32_t u16At86; /* widened */
  uint32_t u32At88;
  uint16_t validUntil;
};
static_assert(sizeof(EbggSatz) == 108, "EbggSatz keeps its natural layout");

extern DbTabDesc DbEbggTab;
/* No release operation: the engine resets a slot it is done with. */
extern DbCursorSlot DbEbggSlots[kDbCursorSlots];

void DbInitEbgg(); /* code "EBGG", 893, version 1, sub-version 1 */
/* Cursor over the (key1, key2) groups of one key1: 0 .. 5. */
DbLookupResult DbNextEbgg(EbggSatz* out, int* handle, uint16_t key1, UtDayNumber day);
/* Cursor over the groups from key1 on to the end of the table: 0 .. 5. */
DbLookupResult DbNextEbggFrom(EbggSatz* out, int* handle, uint16_t key1, UtDayNumber day);
/* Writes the reset value over slot 0 .. 4 (others are ignored). */
void DbResetEbggSlot(int slot);

#endif
