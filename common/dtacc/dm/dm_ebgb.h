/*
** EBGB: the route points per profile entry. Owns the EBGB descriptors, its
** five cursor slots, the cursor DbNextEbgb over the (key1, key2, group)
** groups of one (key1, key2) and its release operation.
**
** Declares the table's descriptors, its caller record and its lookups;
** the common lookup rules are those of dm.h.
*/
#ifndef ZOLMA_DM_EBGB_H
#define ZOLMA_DM_EBGB_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kEbgbRecLen = 100 };

struct EbgbSatz {
  uint32_t key1;  /* EBGG entry key, widened */
  uint32_t key2;  /* local station number of the point */
  uint32_t group; /* local station number that stands for it */
  uint16_t validFrom;
  char text48[48]; /* the last 24 characters are the point's name */
  uint32_t kmThreshold;
  uint32_t u32At64;
  char text26[26];
  uint32_t u16At94; /* widened */
  uint32_t u32At96;
  uint16_t validUntil;
};
static_assert(sizeof(EbgbSatz) == 112, "EbgbSatz keeps its natural layout");

extern DbTabDesc DbEbgbTab;
extern DbCursorSlot DbEbgbSlots[kDbCursorSlots];

void DbInitEbgb(); /* code "EBGB", 895, version 1, sub-version 1 */
/* Cursor over the (key1, key2, group) groups of one (key1, key2): 0 .. 5. */
DbLookupResult DbNextEbgb(EbgbSatz* out, int* handle, uint16_t key1, uint32_t key2,
                          UtDayNumber day);
/* *handle := -1; a former handle 0 .. 4 gets its slot reset. */
void DbReleaseEbgbCursor(int* handle);
void DbResetEbgbSlot(int slot);

#endif
