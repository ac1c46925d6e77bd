/*
** PBHF: the station-name table. Owns the PBHF descriptors, its load and
** unload for the application, the exact name lookup and the prefix
** operations (count, first, next) with which typed texts are resolved.
**
** Stored PbhfBlock record (28 bytes): 0 the name, 20 characters
** blank-padded (the key, compared as unsigned bytes), 20 u16 valid-from,
** 22 u32 station number, 26 u8, 27 not read.
**
** The exact lookup uses the common first-record rule. The prefix operations
** judge each record by its own interval instead: record i is in force when
** it has begun by the day, is not withdrawn, and the next newer record of
** the same name (record i - 1) has not begun yet.
*/
#include "common/dtacc/dm/dm_pbhf.h"

#include <cstring>

DbTabDesc DbPbhfTab = kDbTabDescInit;
DbBlockDesc DbPbhfBlock = kDbBlockDescInit;

namespace {

constexpr std::size_t kVf = 20;
bool g_setUp = false;

/* Prefix length: the text up to its NUL, cut to the name width. */
int PrefixLen(const char* text) { return text ? static_cast<int>(strnlen(text, kPbhfNameLen)) : 0; }

bool SameName(const unsigned char* a, const unsigned char* b) {
  return DbCmpBytes(a, b, kPbhfNameLen) == 0;
}

bool InForceOwn(const DbBlockDesc* b, int32_t i, UtDayNumber day) {
  const unsigned char* r = DbRec(b, i);
  uint16_t vf = LeGetU16(r + kVf);
  if (DbValidFromDay(vf) > day || DbIsWithdrawn(vf)) return false;
  const unsigned char* newer = DbRec(b, i - 1);
  if (newer && SameName(newer, r) && day >= DbValidFromDay(LeGetU16(newer + kVf))) return false;
  return true;
}

void Copy(int32_t i, PbhfSatz* out) {
  const unsigned char* r = DbRec(&DbPbhfBlock, i);
  PbhfSatz s{};
  std::memcpy(s.name, r, sizeof s.name);
  s.validFrom = LeGetU16(r + 20);
  s.station = LeGetU32(r + 22);
  s.u8At26 = r[26];
  s.validUntil = DbValidUntil(&DbPbhfBlock, i, kVf, SameName);
  *out = s;
}

/* From record i on, while the records match the prefix comparison, the
** first in force; -1 when the walk ends first. */
int32_t WalkPrefix(int32_t i, int n, const char* text, UtDayNumber day) {
  for (; i >= 0 && i < DbPbhfBlock.count; ++i) {
    const char* name = reinterpret_cast<const char*>(DbRec(&DbPbhfBlock, i));
    if (DbCmpPbhfPrefix(n, text, name) != 0) break;
    if (InForceOwn(&DbPbhfBlock, i, day)) return i;
  }
  return -1;
}

/* The first record that matches under DbCmpPbhfPrefix. The trailing-blank
** rule answers "after" for every name that ends at the text's last blank,
** whatever its first letters, so that comparison does not order the table
** and cannot steer a binary search. A match always shares the text's first
** n bytes, and those do order it: search their range, then step over the
** name that the rule turns away. */
int32_t FirstMatch(int n, const char* text) {
  const DbBlockDesc* b = &DbPbhfBlock;
  auto plain = [&](const unsigned char* r) {
    return DbCmpBytes(text, r, static_cast<std::size_t>(n));
  };
  for (int32_t i = DbLowerBound(b, plain); i < b->count && plain(DbRec(b, i)) == 0; ++i)
    if (DbCmpPbhfPrefix(n, text, reinterpret_cast<const char*>(DbRec(b, i))) == 0) return i;
  return -1;
}

int32_t FindFirstPrefix(const char* text, UtDayNumber day) {
  int n = PrefixLen(text);
  int32_t first = FirstMatch(n, text);
  if (first < 0) return -1;
  return WalkPrefix(first, n, text, day);
}

}  // namespace

void DbInitPbhf() {
  DbSetupTab(&DbPbhfTab, 974, "PBHF", 1, 1, nullptr);
  DbSetupBlock(&DbPbhfTab, &DbPbhfBlock, 1, "PbhfBlock", kPbhfRecLen);
}

void DbLoadPbhf() {
  if (!g_setUp) {
    DbInitPbhf();
    g_setUp = true;
  }
  DbLoadTab(&DbPbhfTab);
}

void DbUnloadPbhf() { DbUnloadTab(&DbPbhfTab); }

int DbCmpPbhfKey(const char* a, const char* b) { return DbCmpBytes(a, b, kPbhfNameLen); }

int DbCmpPbhfPrefix(int n, const char* text, const char* name) {
  if (!text || !name || n <= 0) return 0;
  if (n > kPbhfNameLen) n = kPbhfNameLen;
  if (text[n - 1] == ' ') {
    bool blanksOnly = true;
    for (int k = n - 1; k < kPbhfNameLen; ++k)
      if (name[k] != ' ') {
        blanksOnly = false;
        break;
      }
    /* A typed trailing blank asks for a further word. */
    if (blanksOnly) return 1;
  }
  return DbCmpBytes(text, name, static_cast<std::size_t>(n));
}

DbLookupResult DbGetPbhf(PbhfSatz* out, const char name[20], UtDayNumber day) {
  if (!DbIsLoaded(&DbPbhfTab)) return kDbNotLoaded;
  if (!out || !name) return kDbBadArgs;
  auto cmp = [&](const unsigned char* r) { return DbCmpBytes(name, r, kPbhfNameLen); };
  int32_t i = DbFindInForce(&DbPbhfBlock, kVf, day, cmp);
  if (i < 0) return kDbNotFound;
  Copy(i, out);
  return kDbFound;
}

int32_t DbCountPbhfPrefix(const char* text, UtDayNumber day) {
  if (!DbIsLoaded(&DbPbhfTab)) return -1;
  const DbBlockDesc* b = &DbPbhfBlock;
  int n = PrefixLen(text);
  int32_t count = 0;
  if (n == 0) {
    for (int32_t i = 0; i < b->count; ++i)
      if (InForceOwn(b, i, day)) ++count;
    return count;
  }
  /* A plain n-byte comparison: a text ending in a blank also counts the
  ** names that end there. */
  auto cmp = [&](const unsigned char* r) {
    return DbCmpBytes(text, r, static_cast<std::size_t>(n));
  };
  for (int32_t i = DbSearchFirst(b, cmp); i >= 0 && i < b->count && cmp(DbRec(b, i)) == 0; ++i)
    if (InForceOwn(b, i, day)) ++count;
  return count;
}

DbLookupResult DbFindPbhfPrefix(PbhfSatz* out, const char* text, UtDayNumber day) {
  if (!DbIsLoaded(&DbPbhfTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  int32_t i = FindFirstPrefix(text, day);
  if (i < 0) return kDbNotFound;
  Copy(i, out);
  return kDbFound;
}

DbLookupResult DbFindNextPbhfPrefix(PbhfSatz* out, int* index, const char* text, UtDayNumber day) {
  if (!DbIsLoaded(&DbPbhfTab)) return kDbNotLoaded;
  if (!out || !index) return kDbBadArgs;
  int32_t i;
  if (*index == -1) {
    i = FindFirstPrefix(text, day);
  } else {
    if (*index < -1 || *index >= DbPbhfBlock.count - 1) return kDbNotFound;
    i = WalkPrefix(*index + 1, PrefixLen(text), text, day);
  }
  if (i < 0) return kDbNotFound;
  Copy(i, out);
  *index = i;
  return kDbFound;
}
