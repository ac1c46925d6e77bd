/*
** TDRG: the node stations of each tariff area.
**
** TdrgBlock holds per area number one station group per node station (the
** versions of that entry, newest first); the node station is named by index
** into TdrgIbBlock. The cursor returns the node stations of one area in
** stored group order, each by its version in force on the kilometre
** reference day EbKmStichtag as it stood when the cursor was opened.
** This module owns the TDRG descriptors, their load-time checks, the five
** cursor slots and the cursor operations.
*/
#ifndef ZOLMA_DM_TDRG_H
#define ZOLMA_DM_TDRG_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

/* Caller record of DbNextTdrg. */
struct TdrgSatz {
  uint16_t area;
  uint32_t station;   /* node station number from TdrgIbBlock */
  uint16_t validFrom; /* as stored, bit 15 = withdrawn */
  uint16_t validUntil;
};

enum { kTdrgRecLen = 6, kTdrgIbRecLen = 4 };

/* The TDRG descriptors (code "TDRG", table number 201, version 1,
** highest sub-version 1). */
extern DbTabDesc DbTdrgTab;
/* The five cursor slots; the engine may write kDbCursorSlotReset over one
** it abandons (or call DbResetTdrgSlot). */
extern DbCursorSlot DbTdrgSlots[kDbCursorSlots];

/* Fills the descriptors and resets the five cursor slots. */
void DbInitTdrg();

/* Cursor over the node stations of an area: handle -1 opens (the handle then
** holds the slot), a slot handle continues. 0 found, 1 not loaded, 2 no
** (more) node station, 3 no free slot, 4 bad handle (also below -1), and 5
** only for a null record or handle pointer. */
DbLookupResult DbNextTdrg(uint16_t area, TdrgSatz* out, int* handle);

/* Sets *handle to -1 and frees its slot when it was 0 .. 4. */
void DbReleaseTdrgCursor(int* handle);

/* Writes the reset value over one slot (0 .. 4; others are ignored): what
** the engine does to a cursor it abandons. */
void DbResetTdrgSlot(int slot);

/* The node station of every record of an area, in any version and on any
** day (withdrawn ones too), in stored order: what a cursor of the area
** can return on some day, and more. Writes at most max numbers to out and
** returns their count (0 for an area without records); -1 when the table
** is not loaded or the area has more than max records. */
int32_t DbTdrgAreaNodes(uint16_t area, uint32_t* out, int32_t max);

#endif
