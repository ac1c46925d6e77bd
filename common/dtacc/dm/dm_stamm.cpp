/*
** Station master: the lookup of the second station table.
**
** The system has a descriptor for this table but nothing sets it up or
** loads it, so its load count stays 0 and DbGetBhf always answers 1
** (table not loaded) without touching the caller's record. There is no
** record layout to read: the table has no data file in this system.
*/
#include "common/dtacc/dm/dm_stamm.h"

/* The initial values of a descriptor: no identity, load count 0. */
DbTabDesc DbStammTab = {.tabNo = -1, .code = nullptr, .version = -1, .maxSubVersion = -1};

DbLookupResult DbGetBhf(BhfSatz*, uint32_t, UtDayNumber) {
  /* Only a loaded table could answer anything else, and this one is never
  ** loaded; there is no layout to read even if its count were raised. */
  return kDbNotLoaded;
}
