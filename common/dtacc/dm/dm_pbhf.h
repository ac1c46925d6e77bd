/*
** PBHF: the station-name table. Owns the PBHF descriptors, its load and
** unload for the application, the exact name lookup and the prefix
** operations (count, first, next) with which typed texts are resolved.
**
** Declares the table's descriptors, its caller record and its lookups;
** the common lookup rules are those of dm.h.
*/
#ifndef ZOLMA_DM_PBHF_H
#define ZOLMA_DM_PBHF_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kPbhfRecLen = 28, kPbhfNameLen = 20 };

struct PbhfSatz {
  char name[20]; /* blank-padded, no terminator */
  uint16_t validFrom;
  uint32_t station; /* the number under which EBHF knows the station */
  uint8_t u8At26;
  uint16_t validUntil;
};
static_assert(sizeof(PbhfSatz) == 32, "PbhfSatz keeps its natural layout");

extern DbTabDesc DbPbhfTab;
extern DbBlockDesc DbPbhfBlock;

void DbInitPbhf(); /* code "PBHF", 974, version 1, sub-version 1 */
void DbLoadPbhf(); /* set-up the first time, then DbLoadTab */
void DbUnloadPbhf();
/* Exact lookup of a 20-character blank-padded name: 0, 1, 2. */
DbLookupResult DbGetPbhf(PbhfSatz* out, const char name[20], UtDayNumber day);
/* Records whose name begins with text and that are in force on day; -1 when
** PBHF is not loaded. */
int32_t DbCountPbhfPrefix(const char* text, UtDayNumber day);
/* The first such record in table order: 0, 1, 2. */
DbLookupResult DbFindPbhfPrefix(PbhfSatz* out, const char* text, UtDayNumber day);
/* Iterator: *index -1 starts, else continues after *index; on 0 *index is
** the returned record's index, on 2 it is left unchanged. */
DbLookupResult DbFindNextPbhfPrefix(PbhfSatz* out, int* index, const char* text, UtDayNumber day);
/* Two 20-byte names as unsigned bytes: -1, 0, 1. */
int DbCmpPbhfKey(const char* a, const char* b);
/* The prefix comparison of the first n characters of text with a stored
** name (a trailing blank in text asks for a further word): -1, 0, 1. */
int DbCmpPbhfPrefix(int n, const char* text, const char* name);

#endif
