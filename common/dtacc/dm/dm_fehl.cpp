/*
** FEHL: the message-text table. Owns the FEHL descriptors, the set-up flag
** shared by the application's load and the message formatter's own load,
** and the keyed lookup DbGetFehl on (variant, subsystem id, number).
**
** Stored FehlBlock record (80 bytes): 0 variant letter, 1 subsystem id (2
** characters), 3 not read, 4 u16 message number, 6 u16 valid-from,
** 8 one character, 9 the 70-character text pattern, 79 not read.
*/
#include "common/dtacc/dm/dm_fehl.h"

#include <cstring>

DbTabDesc DbFehlTab = kDbTabDescInit;

namespace {

DbBlockDesc DbFehlBlock = kDbBlockDescInit;

constexpr std::size_t kVf = 6;
bool g_setUp = false;

struct Key {
  unsigned char variant, id1, id2;
  uint16_t number;
  int operator()(const unsigned char* r) const {
    if (int c = DbCmp(variant, r[0])) return c;
    if (int c = DbCmp(id1, r[1])) return c;
    if (int c = DbCmp(id2, r[2])) return c;
    return DbCmp(number, LeGetU16(r + 4));
  }
};

void SetUpOnce() {
  if (g_setUp) return;
  DbInitFehl();
  g_setUp = true;
}

}  // namespace

void DbInitFehl() {
  DbSetupTab(&DbFehlTab, 300, "FEHL", 5, 2, nullptr);
  DbSetupBlock(&DbFehlTab, &DbFehlBlock, 1, "FehlBlock", kFehlRecLen);
}

void DbLoadFehl() {
  SetUpOnce();
  DbLoadTab(&DbFehlTab);
}

void DbLoadFehlKeepStamp() {
  SetUpOnce();
  DbLoadTabKeepStamp(&DbFehlTab);
}

void DbUnloadFehl() { DbUnloadTab(&DbFehlTab); }

DbLookupResult DbGetFehl(const char* variant, const char ssId[2], FehlSatz* out, uint16_t number,
                         UtDayNumber day) {
  if (!DbIsLoaded(&DbFehlTab)) return kDbNotLoaded;
  if (!variant || !ssId || !out) return kDbBadArgs;
  Key key{static_cast<unsigned char>(variant[0]), static_cast<unsigned char>(ssId[0]),
          static_cast<unsigned char>(ssId[1]), number};
  int32_t i = DbFindInForce(&DbFehlBlock, kVf, day, key);
  if (i < 0) return kDbNotFound;
  const unsigned char* r = DbRec(&DbFehlBlock, i);
  FehlSatz s{};
  s.variant = static_cast<char>(r[0]);
  std::memcpy(s.ssId, r + 1, 2);
  s.number = LeGetU16(r + 4);
  s.validFrom = LeGetU16(r + 6);
  s.c8 = static_cast<char>(r[8]);
  std::memcpy(s.pattern, r + 9, sizeof s.pattern);
  s.validUntil = DbValidUntilKey(&DbFehlBlock, i, kVf, key);
  *out = s;
  return kDbFound;
}
