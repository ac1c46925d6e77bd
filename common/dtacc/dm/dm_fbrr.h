/*
** FBRR: the relation table. Owns the FBRR descriptors and the two lookups:
** DbGetFbrr by (key number, relation number) over FbrrBlock and
** DbGetFbrrBhf by (key number, four stations) over FbrrBhfBlock. Both take
** the first record of the key whose explicit interval valid-from .. valid-to
** holds the day (FBRR has no withdrawn bit) and fill FbrrSatz.
**
** Declares the table's descriptors, its caller record and its lookups;
** the common lookup rules are those of dm.h.
*/
#ifndef ZOLMA_DM_FBRR_H
#define ZOLMA_DM_FBRR_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kFbrrRecLen = 36 };

struct FbrrSatz {
  uint16_t keyNo;
  uint32_t relationNo;
  uint16_t validFrom;
  uint16_t u16At8;
  uint32_t stations[4]; /* full form: country * 100000 + local number */
  uint16_t numbers[4];  /* numbers[0]: the relation's kilometres */
  uint16_t validTo;
};
static_assert(sizeof(FbrrSatz) == 40, "FbrrSatz keeps its natural layout");

extern DbTabDesc DbFbrrTab;

void DbInitFbrr(); /* code "FBRR", 230, version 2, sub-version 2 */
/* By (key number, relation number), valid-from <= day <= valid-to: 0, 1, 2. */
DbLookupResult DbGetFbrr(FbrrSatz* out, uint16_t keyNo, uint32_t relationNo, UtDayNumber day);
/* By (key number, a, b, c, d) after normalising a > b (then also c, d when
** d is not 0): 0, 1, 2. */
DbLookupResult DbGetFbrrBhf(FbrrSatz* out, uint16_t keyNo, uint32_t a, uint32_t b, uint32_t c,
                            uint32_t d, UtDayNumber day);

#endif
