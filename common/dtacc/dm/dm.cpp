/*
** dm: the shared state and the non-template helpers of the common lookup
** rules (see dm.h): the engine's kilometre reference day, the unsigned
** byte comparison of stored texts and the cursor release operation.
*/
#include "common/dtacc/dm/dm.h"

#include <cstring>

UtDayNumber EbKmStichtag = 0;

int DbCmpBytes(const void* a, const void* b, std::size_t n) {
  /* memcmp compares as unsigned char, which is the order of stored texts. */
  int c = n ? std::memcmp(a, b, n) : 0;
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void DbReleaseCursor(DbCursorSlot* slots, int* handle) {
  if (!handle) return;
  int old = *handle;
  *handle = -1;
  if (slots && old >= 0 && old < kDbCursorSlots) DbResetCursorSlot(&slots[old]);
}
