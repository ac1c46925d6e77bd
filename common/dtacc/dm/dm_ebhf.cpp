/*
** EBHF: the station table. Owns the EBHF descriptors and the keyed lookup
** DbGetEbhf on (country, station number).
**
** Stored EbhfBlock record (130 bytes): 0 u16 country, 2 u32 station,
** 6 u16 valid-from, 8 name 20, 28 second name 20, 48 nine characters,
** 57 not read, 58 u16, 60 u16 tariff area, 62 u32, 66 u8, 67 not read,
** 68 u16, 70 six u32, 94 u16, 96 u8, 97 not read, 98 u32, 102 u32,
** 106 three flag characters, 109 not read, 110 u32, 114 fourteen flag
** letters, 128 u16. EbhfGzpktBlock (14 bytes) is loaded and never read.
*/
#include "common/dtacc/dm/dm_ebhf.h"

#include <cstring>

#include "common/dtacc/dm/dm_index.h"

DbTabDesc DbEbhfTab = kDbTabDescInit;
DbBlockDesc DbEbhfBlock = kDbBlockDescInit;

namespace {

DbBlockDesc DbEbhfGzpktBlock = kDbBlockDescInit;

constexpr std::size_t kVf = 6;

struct Key {
  uint16_t country;
  uint32_t station;
  int operator()(const unsigned char* r) const {
    int c = DbCmp(country, LeGetU16(r + 0));
    return c ? c : DbCmp(station, LeGetU32(r + 2));
  }
};

}  // namespace

/* Decodes straight into the caller record (written only on a find). */
void DbEbhfDecode(const unsigned char* r, EbhfSatz* o) {
  EbhfSatz& s = *o;
  std::memset(&s, 0, sizeof s);
  s.country = LeGetU16(r + 0);
  s.station = LeGetU32(r + 2);
  s.validFrom = LeGetU16(r + 6);
  std::memcpy(s.name, r + 8, sizeof s.name);
  std::memcpy(s.name2, r + 28, sizeof s.name2);
  std::memcpy(s.name3, r + 48, sizeof s.name3);
  s.u16At58 = LeGetU16(r + 58);
  s.tariffArea = LeGetU16(r + 60);
  s.u32At62 = LeGetU32(r + 62);
  s.u8At66 = r[66];
  s.u16At68 = LeGetU16(r + 68);
  for (int k = 0; k < 6; ++k) s.u32At70[k] = LeGetU32(r + 70 + 4 * k);
  s.u16At94 = LeGetU16(r + 94);
  s.u8At96 = r[96];
  s.u32At98 = LeGetU32(r + 98);
  s.u32At102 = LeGetU32(r + 102);
  std::memcpy(s.flags3, r + 106, sizeof s.flags3);
  s.u32At110 = LeGetU32(r + 110);
  std::memcpy(s.letters, r + 114, sizeof s.letters);
  s.u16At128 = LeGetU16(r + 128);
}

void DbInitEbhf() {
  DbSetupTab(&DbEbhfTab, 200, "EBHF", 3, 3, nullptr, DbEbhfIndexBuild, DbEbhfIndexDrop);
  DbSetupBlock(&DbEbhfTab, &DbEbhfBlock, 1, "EbhfBlock", kEbhfRecLen);
  DbSetupBlock(&DbEbhfTab, &DbEbhfGzpktBlock, 2, "EbhfGzpktBlock", kEbhfGzpktRecLen);
}

DbLookupResult DbGetEbhf(EbhfSatz* out, uint16_t country, uint32_t station, UtDayNumber day) {
  if (!DbIsLoaded(&DbEbhfTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  DbLookupResult r = kDbNotFound;
  const EbhfSatz* s = DbGetEbhfRef(out, country, station, day, &r);
  if (s != nullptr && s != out) *out = *s;
  return r;
}

DbEbhfGemerkt DbEbhfGemerktTab[kDbEbhfGemerkt];

void DbEbhfGemerktVergessen() {
  for (DbEbhfGemerkt& z : DbEbhfGemerktTab) z = DbEbhfGemerkt{};
}

const EbhfSatz* DbEbhfSuchen(EbhfSatz* puffer, uint16_t country, uint32_t station, UtDayNumber day,
                             DbLookupResult* result) {
  *result = kDbNotFound;
  const Key key{country, station};
  const int32_t first = DbEbhfIndexFirst(country, station);
  int32_t i;
  if (first == kDbNoIndex) {
    i = DbFindInForce(&DbEbhfBlock, kVf, day, key);
  } else {
    if (first < 0) return nullptr;
    i = DbFirstInForceFrom(&DbEbhfBlock, first, kVf, day,
                           [&](const unsigned char* r) { return key(r) == 0; });
  }
  if (i < 0) return nullptr;
  *result = kDbFound;
  /* With the index current, the record kept decoded is read in place. */
  if (first != kDbNoIndex) {
    if (const EbhfSatz* d = DbEbhfIndexRecord(i)) {
      DbEbhfGemerktTab[station & (kDbEbhfGemerkt - 1)] =
          DbEbhfGemerkt{DbEbhfTab.generation, country, station, day, d};
      return d;
    }
  }
  DbEbhfDecode(DbRec(&DbEbhfBlock, i), puffer);
  return puffer;
}
