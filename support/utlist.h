// Typed lists: growable arrays of fixed-size elements.
//
// A UtList header is owned by its user (the engine keeps its headers as
// static data and sets them up with count, allocated, elements and highWater
// 0). This module reserves, appends, searches, inserts and copies; it grows
// the element array with the standard allocator (malloc/realloc) and never
// frees or shrinks it: the list's owner releases it with std::free when the
// list ends, and empties a list by setting count to 0.
//
// Failures are results. The list-id checks of UtListAppend and a search on
// a list without key also build a "TT" message and hand it to the message
// file (written only while that is switched on). Running out of memory ends
// the process with exit code 153 after a "MemLogERROR" line in the debug log.
// A header whose element size is not positive, or whose key length is
// negative or larger than the element size, is refused by every operation
// (failure result, nothing touched).
#ifndef ZOLMA_SUPPORT_UTLIST_H
#define ZOLMA_SUPPORT_UTLIST_H

#include <cstddef>
#include <cstdint>

// Compares a key with the key at the start of an element: negative, 0 or
// positive. Null in a header means a bytewise comparison over the key length
// with the bytes taken as unsigned.
using UtListCompare = int (*)(const void* key, const void* element, int keyLength);

// Growth rules.
inline constexpr std::int32_t kUtListGrowDouble = -1;  // double the size
inline constexpr std::int32_t kUtListGrowByNeed = 0;   // add the count asked for

inline constexpr int kUtListOutOfMemoryExit = 153;

struct UtList {
  std::int32_t id;           // list type code, decides what is admitted
  const char* name;          // e.g. "listeEbWegeVar"; not used here
  std::uint32_t allocated;   // elements the array can hold
  std::uint32_t count;       // elements in use, at the front
  void* elements;            // null until the first reservation
  std::int32_t unique;       // non-zero: an equal run is not appended again
  std::int32_t elementSize;  // bytes per element
  std::int32_t keyLength;    // bytes of the leading key; 0 = not keyed
  std::uint32_t firstAlloc;  // elements of the first reservation (at least)
  std::int32_t growth;       // -1 double, 0 add n, positive: add that step
  std::uint32_t highWater;   // largest count the list has had
  UtListCompare compare;     // null: bytewise over keyLength
};

// 0 when the array has room for n more elements (after growing it); 1 when
// nothing could be reserved (new size 0, a size that would overflow, or a
// refused header).
int UtListReserve(UtList* list, std::uint32_t n);

// Unique lists: the index of an equal run already present; otherwise the
// index at which the n elements were appended; -1 when the reservation
// failed.
std::int32_t UtListFindOrAppend(UtList* list, const void* elements, std::uint32_t n);

// UtListFindOrAppend after the list-id checks ("TT" 4005 for a keyed list
// other than id 106, "TT" 4002 for an id that admits no append: -1).
std::int32_t UtListAppend(UtList* list, const void* elements, std::uint32_t n);

// True when the list id admits UtListAppend.
bool UtListIdAdmitsAppend(std::int32_t id);

// Binary search of a keyed list. Returns the index of an equal element with
// *found 0, or the position where the key belongs: in front of the returned
// index with *found -1, behind the element before it with *found 1. An empty
// list gives 0 with *found -1. A list without key: "TT" 4004, -1, *found
// untouched.
std::int32_t UtListSearch(UtList* list, const void* key, int* found);

// Inserts one element at index (index == count appends), shifting the tail;
// returns index, or -1 (index > count, reservation failed).
std::int32_t UtListInsert(UtList* list, std::uint32_t index, const void* element);

// Makes target a copy of source: 0; -1 list ids not compatible, -2 element
// sizes differ, -3 key lengths differ, -4 reservation failed, -10 append
// failed.
int UtListCopy(UtList* target, const UtList* source);

// Pointer to element index, or null when index >= count or the list has no
// array.
void* UtListAt(const UtList* list, std::uint32_t index);

// A zero-filled block from the standard allocator (0 bytes: what malloc
// gives, unfilled). No memory: "MemLogERROR" line and exit code 153.
void* UtMemAlloc(std::size_t bytes);

#endif  // ZOLMA_SUPPORT_UTLIST_H
