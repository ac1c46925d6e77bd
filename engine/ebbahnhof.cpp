/*
** ebbahnhof.cpp - the engine's station lookup (see ebbahnhof.h).
*/
#include "engine/ebbahnhof.h"

#include "common/dtacc/dm/dm_bhfnr.h"
#include "support/msg.h"

void EbBahnhofHolen(EbhfSatz* out, std::int32_t bahnhof, UtDayNumber tag, std::uint16_t code) {
  if (DbGetEbhf(out, kDbLand, static_cast<std::uint32_t>(bahnhof), tag) != kDbFound)
    MsgRaise(code, kMsgSsEngine, static_cast<std::uint16_t>(code + 1), kMsgModeNumbered, "dls",
             static_cast<int>(kDbLand), bahnhof, UtDayText(tag));
}

namespace {

/* The raise of a failed station lookup, out of line so that the lookup
** itself stays small. */
[[noreturn, gnu::noinline]] void bahnhofFehlt(std::int32_t bahnhof, UtDayNumber tag,
                                              std::uint16_t code) {
  MsgRaise(code, kMsgSsEngine, static_cast<std::uint16_t>(code + 1), kMsgModeNumbered, "dls",
           static_cast<int>(kDbLand), bahnhof, UtDayText(tag));
}

}  // namespace

const EbhfSatz& EbBahnhofLesen(EbhfSatz* puffer, std::int32_t bahnhof, UtDayNumber tag,
                               std::uint16_t code) {
  DbLookupResult r = kDbNotFound;
  const EbhfSatz* s = DbGetEbhfRef(puffer, kDbLand, static_cast<std::uint32_t>(bahnhof), tag, &r);
  if (s == nullptr || r != kDbFound) bahnhofFehlt(bahnhof, tag, code);
  return *s;
}

char EbBahnhofArt(const EbhfSatz& s) { return s.letters[5]; }

std::int32_t EbBahnhofGebiet(const EbhfSatz& s) { return static_cast<std::int32_t>(s.tariffArea); }
