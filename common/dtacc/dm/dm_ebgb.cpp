/*
** EBGB: the route points per profile entry. Owns the EBGB descriptors, its
** five cursor slots, the cursor DbNextEbgb over the (key1, key2, group)
** groups of one (key1, key2) and its release operation.
**
** Stored EbgbBlock record (100 bytes): 0 u16 key1, 2 u32 key2, 6 u32 group,
** 10 u16 valid-from, 12 text 48, 60 u32 kilometre threshold, 64 u32,
** 68 text 26, 94 u16, 96 u32.
*/
#include "common/dtacc/dm/dm_ebgb.h"

#include <cstring>

DbTabDesc DbEbgbTab = kDbTabDescInit;

namespace {

DbBlockDesc DbEbgbBlock = kDbBlockDescInit;

}  // namespace
DbCursorSlot DbEbgbSlots[kDbCursorSlots] = {kDbCursorSlotReset, kDbCursorSlotReset,
                                            kDbCursorSlotReset, kDbCursorSlotReset,
                                            kDbCursorSlotReset};

namespace {

constexpr std::size_t kVf = 10;

bool SameRange(const unsigned char* a, const unsigned char* b) {
  return LeGetU16(a) == LeGetU16(b) && LeGetU32(a + 2) == LeGetU32(b + 2);
}
bool SameGroup(const unsigned char* a, const unsigned char* b) {
  return SameRange(a, b) && LeGetU32(a + 6) == LeGetU32(b + 6);
}

}  // namespace

void DbInitEbgb() {
  DbSetupTab(&DbEbgbTab, 895, "EBGB", 1, 1, nullptr);
  DbSetupBlock(&DbEbgbTab, &DbEbgbBlock, 1, "EbgbBlock", kEbgbRecLen);
}

DbLookupResult DbNextEbgb(EbgbSatz* out, int* handle, uint16_t key1, uint32_t key2,
                          UtDayNumber day) {
  if (!out || !handle || *handle < -1) return kDbBadArgs;
  if (!DbIsLoaded(&DbEbgbTab)) return kDbNotLoaded;
  auto open = [&] {
    return DbSearchFirst(&DbEbgbBlock, [&](const unsigned char* r) {
      int c = DbCmp(key1, LeGetU16(r));
      return c ? c : DbCmp(key2, LeGetU32(r + 2));
    });
  };
  DbCursorTable ct{&DbEbgbTab, &DbEbgbBlock, DbEbgbSlots, kVf};
  int32_t found = -1;
  DbLookupResult res = DbCursorStep(ct, handle, day, open, SameRange, SameGroup, &found);
  if (res != kDbFound) return res;
  const unsigned char* r = DbRec(&DbEbgbBlock, found);
  EbgbSatz s{};
  s.key1 = LeGetU16(r + 0);
  s.key2 = LeGetU32(r + 2);
  s.group = LeGetU32(r + 6);
  s.validFrom = LeGetU16(r + 10);
  std::memcpy(s.text48, r + 12, sizeof s.text48);
  s.kmThreshold = LeGetU32(r + 60);
  s.u32At64 = LeGetU32(r + 64);
  std::memcpy(s.text26, r + 68, sizeof s.text26);
  s.u16At94 = LeGetU16(r + 94);
  s.u32At96 = LeGetU32(r + 96);
  s.validUntil = DbValidUntil(&DbEbgbBlock, found, kVf, SameGroup);
  *out = s;
  return kDbFound;
}

void DbReleaseEbgbCursor(int* handle) { DbReleaseCursor(DbEbgbSlots, handle); }

void DbResetEbgbSlot(int slot) {
  if (slot >= 0 && slot < kDbCursorSlots) DbResetCursorSlot(&DbEbgbSlots[slot]);
}
