/*
** FEHL: the message-text table. Owns the FEHL descriptors, the set-up flag
** shared by the application's load and the message formatter's own load,
** and the keyed lookup DbGetFehl on (variant, subsystem id, number).
**
** Declares the table's descriptors, its caller record and its lookups;
** the common lookup rules are those of dm.h.
*/
#ifndef ZOLMA_DM_FEHL_H
#define ZOLMA_DM_FEHL_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kFehlRecLen = 80, kFehlPatternLen = 70 };

struct FehlSatz {
  char variant;
  char ssId[2];
  uint16_t number;
  uint16_t validFrom;
  char c8;          /* the character stored at offset 8 */
  char pattern[kFehlPatternLen]; /* Meldungstextmuster, blank-padded, no terminator */
  uint16_t validUntil;
};
static_assert(sizeof(FehlSatz) == 82, "FehlSatz keeps its natural layout");

extern DbTabDesc DbFehlTab;

void DbInitFehl(); /* code "FEHL", 300, version 5, sub-version 2 */
/* Set-up the first time (the flag is shared with DbLoadFehlKeepStamp), then
** DbLoadTab. */
void DbLoadFehl();
/* The message formatter's own load: the same set-up flag, and the data-time
** stamp stays as it was. */
void DbLoadFehlKeepStamp();
void DbUnloadFehl();
/* Keyed lookup on (variant, id 1, id 2, number): 0, 1, 2 (5 for null
** arguments). */
DbLookupResult DbGetFehl(const char* variant, const char ssId[2], FehlSatz* out, uint16_t number,
                         UtDayNumber day);

#endif
