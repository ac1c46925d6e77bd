/*
** FBRW: the points along a relation. Owns the FBRW descriptors, its five
** cursor slots and the cursor DbNextFbrw over the (key1, key2, group) groups
** of one (key1, key2), in ascending group order. There is no release
** operation: the engine writes the reset value over a slot it is done with
** (DbResetFbrwSlot).
**
** Declares the table's descriptors, its caller record and its lookups;
** the common lookup rules are those of dm.h.
*/
#ifndef ZOLMA_DM_FBRW_H
#define ZOLMA_DM_FBRW_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kFbrwRecLen = 22 };

struct FbrwSatz {
  uint32_t key1;  /* FBRR key number */
  uint16_t key2;  /* FBRR relation number, low 16 bits */
  uint16_t group; /* the point's place along the relation */
  uint16_t validFrom;
  uint32_t station; /* full form */
  uint16_t u16At14;
  uint8_t u8At16;
  uint8_t u8At17;
  uint16_t u16At18;
  uint16_t u16At20;
  uint16_t validUntil;
};
static_assert(sizeof(FbrwSatz) == 28, "FbrwSatz keeps its natural layout");

extern DbTabDesc DbFbrwTab;
extern DbCursorSlot DbFbrwSlots[kDbCursorSlots];

void DbInitFbrw(); /* code "FBRW", 233, version 2, sub-version 2 */
/* Cursor over the (key1, key2, group) groups of one (key1, key2): 0 .. 5. */
DbLookupResult DbNextFbrw(FbrwSatz* out, int* handle, uint32_t key1, uint16_t key2,
                          UtDayNumber day);
void DbResetFbrwSlot(int slot);

#endif
