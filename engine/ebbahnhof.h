/*
** ebbahnhof.h - the engine's station lookup.
**
** Every module of the engine looks a station up in EBHF through
** EbBahnhofHolen, for the network's country code; a station that is not
** there on the day raises a data error: the raise code given (by default
** 1101) with the message number one higher and the parameters "dls"
** (country code, station, the day as text).
*/
#ifndef ZOLMA_ENGINE_EBBAHNHOF_H
#define ZOLMA_ENGINE_EBBAHNHOF_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "engine/ebint.h"
#include "support/utday.h"

void EbBahnhofHolen(EbhfSatz* out, std::int32_t bahnhof, UtDayNumber tag,
                    std::uint16_t code = EB_RC_BHF_FEHLT);
/* The same lookup and raise without the copy: the record read in place
** (valid for the request) or, where the table manager cannot, held in
** puffer. Inline, with the raise out of line: a request looks its few
** stations up a dozen times. */
/* The raise of a station not found (code as above). */
[[noreturn]] void EbBahnhofFehlt(std::int32_t bahnhof, UtDayNumber tag, std::uint16_t code);
inline const EbhfSatz& EbBahnhofLesen(EbhfSatz* puffer, std::int32_t bahnhof, UtDayNumber tag,
                                      std::uint16_t code = EB_RC_BHF_FEHLT) {
  DbLookupResult r = kDbNotFound;
  const EbhfSatz* s = DbGetEbhfRef(puffer, kDbLand, static_cast<std::uint32_t>(bahnhof), tag, &r);
  if (s == nullptr || r != kDbFound) EbBahnhofFehlt(bahnhof, tag, code);
  return *s;
}
/* Station kind (flag letter 5) and tariff area of a station record. */
inline char EbBahnhofArt(const EbhfSatz& s) { return s.letters[5]; }
inline std::int32_t EbBahnhofGebiet(const EbhfSatz& s) {
  return static_cast<std::int32_t>(s.tariffArea);
}

#endif /* ZOLMA_ENGINE_EBBAHNHOF_H */
