// Pattern lookup of the message text formatter in the FEHL table.
//
// This module owns the formatter's first-call state: the first lookup of the
// process runs the FEHL set-up (unless the application's load ran it; the
// flag is the table manager's) and adds one load of FEHL that is never
// released. That load leaves the data-time stamp DbDatenZeitstempel exactly
// as it was, also when it raises. Later lookups read the loaded table only.
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "msgtext/msgformat.h"
#include "msgtext/msgtext_int.h"

#include <cstring>

#include "support/utday.h"

namespace {

bool gFirstCallDone = false;  // set by the first lookup of the process
bool gOwnLoad = false;        // the first lookup's load added to the count

void FirstCall() {
  if (gFirstCallDone) return;
  gFirstCallDone = true;  // a load that raises is not tried again
  int16_t before = DbFehlTab.loadCount;
  DbLoadFehlKeepStamp();
  gOwnLoad = DbFehlTab.loadCount > before;
}

}  // namespace

int MsgFindPattern(FehlSatz* out, char variant, const char* ssid, std::uint16_t number) {
  FirstCall();
  UtDayNumber day = UtToday();
  if (static_cast<unsigned char>(variant) >= 128) return kMsgFmtNoPattern;
  if (!out) return kMsgFmtNoPattern;
  const char id[2] = {ssid ? ssid[0] : ' ', ssid ? ssid[1] : ' '};
  const char v[2] = {variant, '\0'};
  DbLookupResult r = DbGetFehl(v, id, out, number, day);
  if (r == kDbFound) return kMsgFmtOk;
  if (r == kDbNotLoaded) return kMsgFmtNoPatternFile;
  if (variant == 'J')
    return DbGetFehl("I", id, out, number, day) == kDbFound ? kMsgFmtOk : kMsgFmtNoPattern;
  return kMsgFmtNoPattern;
}

int MsgLookupPatternText(char variant, const char* ssid, std::uint16_t number,
                         char out[kMsgPatternSize], char* foundVariant) {
  FehlSatz rec{};
  int r = MsgFindPattern(&rec, variant, ssid, number);
  if (r == kMsgFmtOk) {
    std::memcpy(out, rec.pattern, kMsgPatternSize);
    if (foundVariant) *foundVariant = rec.variant;
  }
  return r;
}

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void MsgFormatTestReset() {
  if (gOwnLoad) DbUnloadFehl();
  gOwnLoad = false;
  gFirstCallDone = false;
}
#endif
