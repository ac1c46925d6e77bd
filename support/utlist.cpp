// Typed lists.
//
// Operations on UtList headers owned by their users: reservation with the
// header's growth rule, append with the list-id checks and the unique rule,
// binary search, insert and copy. Owns only the allocation fault hook; the
// element arrays belong to the lists' owners.
//
// Sizes are computed in 64 bits and checked: an element count that does not
// fit the header (or an index result) or a byte size that does not fit
// size_t is treated as running out of memory, never as a small allocation.
#include "support/utlist.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/msg.h"
#include "support/utfault.h"
#include "support/utlog.h"

namespace {

// The largest element count a list may hold: indices are returned as i32.
constexpr std::uint64_t kMaxElements = 0x7FFFFFFFu;

[[noreturn]] void OutOfMemory(const char* line) {
  UtLogWrite(4, "%s", line);
  std::fflush(nullptr);
  std::_Exit(kUtListOutOfMemoryExit);
}

[[noreturn]] void ReallocFailed() {
  OutOfMemory("MemLogERROR: =>realloc    Fehler, realloc returns NULL pointer");
}

[[noreturn]] void AllocFailed() {
  OutOfMemory("MemLogERROR: =>alloc    Fehler, malloc returns NULL pointer");
}

// A header the operations can work on without leaving its array.
bool HeaderOk(const UtList* l) {
  if (!l || l->elementSize <= 0 || l->keyLength < 0 || l->keyLength > l->elementSize) return false;
  if (l->count > l->allocated) return false;
  if (!l->elements && l->allocated != 0) return false;
  return true;
}

unsigned char* Element(const UtList* l, std::uint64_t i) {
  return static_cast<unsigned char*>(l->elements) + i * static_cast<std::uint64_t>(l->elementSize);
}

// The byte offset of p inside the list's array, or -1 when p lies outside
// it. Callers may pass elements of the list itself, which a reservation can
// move.
std::int64_t OffsetInArray(const UtList* l, const void* p) {
  if (!l->elements || !p) return -1;
  const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(l->elements);
  const std::uintptr_t q = reinterpret_cast<std::uintptr_t>(p);
  const std::uint64_t size =
      static_cast<std::uint64_t>(l->allocated) * static_cast<std::uint64_t>(l->elementSize);
  if (q < a || q - a >= size) return -1;
  return static_cast<std::int64_t>(q - a);
}

int CompareKey(const UtList* l, const void* key, const void* element) {
  if (l->compare) return l->compare(key, element, l->keyLength);
  return std::memcmp(key, element, static_cast<std::size_t>(l->keyLength));
}

// Builds a "TT" message, hands it to the message file and frees it.
void ListMessageD(std::uint16_t number, int value) {
  Meldungskontext* m = nullptr;
  MsgSetError(&m, number, kMsgSsList, number, kMsgModeNumbered, "d", value);
  MsgFileWrite(m);
  MsgFree(m);
}

void ListMessageTyp(std::uint16_t number, int id) {
  char text[32];
  std::snprintf(text, sizeof text, "typ=%d", id);
  Meldungskontext* m = nullptr;
  MsgSetError(&m, number, kMsgSsList, number, kMsgModeNumbered, "s", text);
  MsgFileWrite(m);
  MsgFree(m);
}

constexpr std::int32_t kAppendIds[] = {1,   2,   3,   5,   7,   9,   22,  23,  27,  30,  32,  33,
                                       34,  38,  39,  40,  43,  47,  48,  57,  60,  61,  62,  63,
                                       66,  67,  68,  69,  71,  74,  75,  78,  80,  81,  99,  103,
                                       104, 106, 108, 109, 111, 113, 115, 117, 123, 124, 125, 130,
                                       134, 140, 143, 145, 147, 149, 151, 156, 157, 158};
static_assert(sizeof kAppendIds / sizeof kAppendIds[0] == 58);

}  // namespace

bool UtListIdAdmitsAppend(std::int32_t id) {
  for (std::int32_t a : kAppendIds)
    if (a == id) return true;
  return false;
}

void* UtMemAlloc(std::size_t bytes) {
  if (bytes == 0) return std::malloc(0);
  void* p = UtFaultAlloc(kUtFaultList) ? nullptr : std::malloc(bytes);
  if (!p) AllocFailed();
  std::memset(p, 0, bytes);
  return p;
}

int UtListReserve(UtList* list, std::uint32_t n) {
  if (!HeaderOk(list)) return 1;
  std::uint64_t newSize;
  if (list->elements && list->allocated != 0) {
    const std::uint64_t need = static_cast<std::uint64_t>(list->count) + n;
    if (list->allocated >= need) return 0;
    newSize = list->allocated;
    // Each step grows the size by at least one element, and the loop stops
    // once the size passes the largest admissible count.
    while (newSize < need && newSize <= kMaxElements) {
      if (list->growth < 0)
        newSize *= 2;  // -1 doubles; other negative rules are taken as -1
      else if (list->growth == 0)
        newSize += n;
      else
        newSize += static_cast<std::uint64_t>(list->growth);
    }
  } else {
    newSize = list->firstAlloc > n ? list->firstAlloc : n;
  }
  if (newSize == 0 || newSize <= list->allocated) return 1;
  if (newSize > kMaxElements) {
    // A size that overflows the header is running out of memory.
    if (list->elements) ReallocFailed();
    AllocFailed();
  }
  const std::uint64_t bytes64 = newSize * static_cast<std::uint64_t>(list->elementSize);
  if (bytes64 > SIZE_MAX) {
    if (list->elements) ReallocFailed();
    AllocFailed();
  }
  const std::size_t bytes = static_cast<std::size_t>(bytes64);
  if (!list->elements) {
    list->elements = UtMemAlloc(bytes);
  } else {
    void* p = UtFaultAlloc(kUtFaultList) ? nullptr : std::realloc(list->elements, bytes);
    if (!p) ReallocFailed();
    list->elements = p;
  }
  const std::size_t used =
      static_cast<std::size_t>(list->count) * static_cast<std::size_t>(list->elementSize);
  std::memset(static_cast<unsigned char*>(list->elements) + used, 0, bytes - used);
  list->allocated = static_cast<std::uint32_t>(newSize);
  return 0;
}

std::int32_t UtListFindOrAppend(UtList* list, const void* elements, std::uint32_t n) {
  if (!HeaderOk(list) || (!elements && n != 0)) return -1;
  const std::size_t es = static_cast<std::size_t>(list->elementSize);
  if (list->unique && list->count > 0 && list->count >= n) {
    const unsigned char* given = static_cast<const unsigned char*>(elements);
    for (std::uint32_t i = 0; i <= list->count - n; ++i) {
      bool equal = true;
      if (list->keyLength == 0) {
        equal = n == 0 || std::memcmp(Element(list, i), given, n * es) == 0;
      } else {
        for (std::uint32_t j = 0; j < n && equal; ++j)
          equal = std::memcmp(Element(list, static_cast<std::uint64_t>(i) + j), given + j * es,
                              static_cast<std::size_t>(list->keyLength)) == 0;
      }
      if (equal) return static_cast<std::int32_t>(i);
    }
  }
  const std::int64_t inside = OffsetInArray(list, elements);
  if (UtListReserve(list, n) != 0) return -1;
  if (inside >= 0) elements = static_cast<const unsigned char*>(list->elements) + inside;
  const std::uint32_t at = list->count;
  if (n) std::memmove(Element(list, at), elements, n * es);
  list->count = at + n;
  if (list->highWater < list->count) list->highWater = list->count;
  return static_cast<std::int32_t>(at);
}

std::int32_t UtListAppend(UtList* list, const void* elements, std::uint32_t n) {
  if (!list) return -1;
  if (list->keyLength != 0 && list->id != 106) {
    ListMessageTyp(kMsgTtAppendKeyed, list->id);
    return -1;
  }
  if (!UtListIdAdmitsAppend(list->id)) {
    ListMessageD(kMsgTtAppendBadId, list->id);
    return -1;
  }
  return UtListFindOrAppend(list, elements, n);
}

std::int32_t UtListSearch(UtList* list, const void* key, int* found) {
  if (!list) return -1;
  if (list->keyLength == 0) {
    ListMessageTyp(kMsgTtSearchNoKey, list->id);
    return -1;
  }
  if (!HeaderOk(list) || !key || !found) return -1;
  if (list->count == 0) {
    *found = -1;
    return 0;
  }
  *found = 0;
  std::uint32_t low = 0;
  std::uint32_t high = list->count - 1;
  // Halving over [low, high]. When the key is smaller than the element at
  // middle and middle is already low, nothing is left below: the key belongs
  // in front of middle (this also covers low == high). When it is larger and
  // middle is high (which implies low == high), it belongs behind middle. So
  // high never drops below low and every read stays inside the list.
  for (;;) {
    const std::uint32_t middle = low + (high - low) / 2;
    const int c = CompareKey(list, key, Element(list, middle));
    if (c == 0) {
      *found = 0;
      return static_cast<std::int32_t>(middle);
    }
    if (c < 0) {
      if (middle == low) {
        *found = -1;
        return static_cast<std::int32_t>(middle);
      }
      high = middle - 1;
    } else {
      if (middle == high) {
        *found = 1;
        return static_cast<std::int32_t>(middle + 1);
      }
      low = middle + 1;
    }
  }
}

std::int32_t UtListInsert(UtList* list, std::uint32_t index, const void* element) {
  if (!HeaderOk(list) || !element) return -1;
  if (index > list->count) return -1;
  const std::size_t es = static_cast<std::size_t>(list->elementSize);
  // An element of the list itself is copied out before the array moves.
  std::vector<unsigned char> own;
  if (OffsetInArray(list, element) >= 0) {
    own.assign(static_cast<const unsigned char*>(element),
               static_cast<const unsigned char*>(element) + es);
    element = own.data();
  }
  if (UtListReserve(list, 1) != 0) return -1;
  std::memmove(Element(list, static_cast<std::uint64_t>(index) + 1), Element(list, index),
               (list->count - index) * es);
  list->count += 1;
  if (list->highWater < list->count) list->highWater = list->count;
  std::memcpy(Element(list, index), element, es);
  return static_cast<std::int32_t>(index);
}

int UtListCopy(UtList* target, const UtList* source) {
  if (!target || !source) return -1;
  const std::int32_t t = target->id, s = source->id;
  const bool compatible = t == s || (t == 124 && s == 23) || (t == 123 && s == 22) ||
                          (t == 123 && s == 32) || (t == 22 && s == 32);
  if (!compatible) return -1;
  if (target->elementSize != source->elementSize) return -2;
  if (target->keyLength != source->keyLength) return -3;
  if (target->elements) target->count = 0;
  if (UtListReserve(target, source->count) != 0) return -4;
  if (!HeaderOk(source)) return -10;
  if (UtListAppend(target, source->elements, source->count) == -1) return -10;
  return 0;
}

void* UtListAt(const UtList* list, std::uint32_t index) {
  if (!HeaderOk(list) || !list->elements || index >= list->count) return nullptr;
  return Element(list, index);
}
