/*
** ebbahnhof.cpp - the engine's station lookup (see ebbahnhof.h).
*/
#include "engine/ebbahnhof.h"

#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "support/msg.h"

void EbBahnhofHolen(EbhfSatz* out, std::int32_t bahnhof, UtDayNumber tag, std::uint16_t code) {
  if (DbGetEbhf(out, kDbLand, static_cast<std::uint32_t>(bahnhof), tag) != kDbFound)
    EbBahnhofFehlt(bahnhof, tag, code);
}

void EbBahnhofFehlt(std::int32_t bahnhof, UtDayNumber tag, std::uint16_t code) {
  MsgRaise(code, kMsgSsEngine, static_cast<std::uint16_t>(code + 1), kMsgModeNumbered, "dls",
           static_cast<int>(kDbLand), bahnhof, UtDayText(tag));
}
