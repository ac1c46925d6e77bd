/*
** Fuzz target: station-name resolution over the sample data set.
**
** The input is a text as the user types it (code page 1252, any length).
** It is resolved as the dialog does (exact name or station number, then
** the first name with the text as prefix), counted and found as a prefix,
** and walked as the station picker walks the names. What must hold:
**   - the canonical name is written inside its 21 bytes and terminated;
**   - a station found by its name is found again, exactly, by its
**     canonical name, and an exact resolution agrees with the full one;
**   - a prefix that finds a name is counted, and the picker's walk over
**     the normalised text meets exactly as many names as the count.
*/
#include <cstring>
#include <memory>
#include <string>

#include "app/bhfsuche.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "fuzz/fuzz_common.h"
#include "support/utday.h"
#include "support/utname.h"

namespace {

constexpr size_t kNameBytes = 21;

void CheckName(const char* name, const char* what) {
  ZFUZZ_CHECK(strnlen(name, kNameBytes) < kNameBytes, "%s: canonical name not terminated", what);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UtSetName("EBHF", ZOLMA_SAMPLE_DIR "/DMEBHF");
  UtSetName("PBHF", ZOLMA_SAMPLE_DIR "/DMPBHF");
  int code = zfuzz::Protected([] {
    DbInitEbhf();
    DbLoadTab(&DbEbhfTab);
    DbLoadPbhf();
  });
  ZFUZZ_CHECK(code == 0, "the sample data set does not load from " ZOLMA_SAMPLE_DIR " (raise %d)",
              code);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, text.find('\0'));
  const char* typed = text.c_str();

  std::unique_ptr<char[]> name(new char[kNameBytes]);
  std::unique_ptr<char[]> again(new char[kNameBytes]);
  int full = BhfSuchen(typed, name.get(), 0);
  if (full >= 0) {
    CheckName(name.get(), "resolution");
    int back = BhfSuchen(name.get(), again.get(), 0);
    ZFUZZ_CHECK(back == full, "'%s' gives station %d as '%s', which gives %d", typed, full,
                name.get(), back);
  }
  int exact = BhfSuchen(typed, name.get(), 1);
  if (exact >= 0) {
    CheckName(name.get(), "exact resolution");
    if (text.size() > 4) ZFUZZ_CHECK(exact == full, "'%s': exact %d, full %d", typed, exact, full);
  }

  int count = BhfPrefixAnzahl(typed);
  ZFUZZ_CHECK(count >= 0, "prefix count %d while loaded", count);
  if (BhfPrefixSuchen(typed, name.get()) == 0) {
    CheckName(name.get(), "prefix");
    ZFUZZ_CHECK(count >= 1, "'%s' finds '%s' but counts %d", typed, name.get(), count);
  }

  /* The picker's walk over the normalised text. */
  char norm[kNameBytes];
  std::strncpy(norm, typed, kNameBytes - 1);
  norm[kNameBytes - 1] = '\0';
  BhfNameNormieren(norm, static_cast<int>(kNameBytes));
  const UtDayNumber today = UtToday();
  PbhfSatz p;
  int idx = -1, walked = 0;
  while (DbFindNextPbhfPrefix(&p, &idx, norm, today) == kDbFound) {
    ZFUZZ_CHECK(++walked <= DbPbhfBlock.count, "the walk does not end");
  }
  const int32_t normCount = DbCountPbhfPrefix(norm, today);
  ZFUZZ_CHECK(walked == normCount, "'%s': the walk meets %d names, the count says %d", norm, walked,
              normCount);
  return 0;
}
