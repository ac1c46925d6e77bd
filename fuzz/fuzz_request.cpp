/*
** Fuzz target: a whole request over mutated data files.
**
** The input packs the engine's seven data files (fuzz_request.h). Each run
** writes them, initialises the engine, asks a few distance requests as the
** main dialog does, computes the 50 km list with the preview's list operation, and ends the
** engine. What must hold:
**   - initialisation either succeeds or ends with a raise code, and the end
**     releases every table and block in both cases;
**   - a request answers with a code and, asked again, with the same answer
**     (nothing of one request leaks into the next);
**   - the 50 km list has the same rows with the fast paths off and on, and
**     a row (a request without route texts) gives the kilometres that the
**     calculation (with route texts) gives.
*/
#include <cstring>
#include <string>
#include <vector>

#include "app/zolmadlg.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_index.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "engine/eb.h"
#include "engine/ebfuenfzig.h"
#include "fuzz/fuzz_common.h"
#include "fuzz/fuzz_request.h"
#include "support/utname.h"

namespace {

constexpr int kListStations = 120; /* stations of the requests, at most */

int32_t Ask(int32_t from, int32_t to, int32_t via, char textFlag, EbErgebnis* out) {
  EbAnfrage a;
  EbAnfrageFuellen(&a, UtToday(), from, to, via, 0, textFlag);
  EbAbschnitte seg;
  std::memset(&seg, 0, sizeof seg);
  std::memset(out, 0, sizeof *out);
  int32_t code = 0;
  int raised = zfuzz::Protected([&] { code = EbGfEntfernungsBerechnung(out, &seg, &a, 0); });
  return raised != 0 ? -raised : code;
}

struct Row {
  int32_t station;
  int32_t km;
  bool operator==(const Row&) const = default;
};

void AddRow(void* rows, int32_t station, const EbhfSatz&, int32_t km) {
  static_cast<std::vector<Row>*>(rows)->push_back({station, km});
}

void List(int32_t origin, std::vector<Row>* rows) {
  const EbFuenfzigKmAuftrag job{origin, UtToday(), nullptr, &AddRow, rows};
  EbFuenfzigKmListe(job);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const char* code : zfuzz::kRequestTablesWithoutFile) UtSetName(code, kDbNoFileName);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> files = zfuzz::UnpackRequestInput(data, size);
  for (size_t i = 0; i < zfuzz::kRequestTableCount; ++i) {
    const std::string path =
        (zfuzz::ScratchDir() / (std::string("DM") + zfuzz::kRequestTables[i])).string();
    zfuzz::WriteFile(path, reinterpret_cast<const uint8_t*>(files[i].data()), files[i].size());
    UtSetName(zfuzz::kRequestTables[i], path.c_str());
  }

  int32_t init = -1;
  int raised = zfuzz::Protected([&] { init = EbGfInitEntfernungsBerechnung(); });
  ZFUZZ_CHECK(raised == 0, "the initialisation raised %d instead of returning it", raised);
  if (init == 0) {
    /* Stations of the EBHF file, in stored order. */
    std::vector<int32_t> stations;
    for (int32_t i = 0; i < DbEbhfBlock.count && stations.size() < kListStations; ++i) {
      const unsigned char* r = DbRec(&DbEbhfBlock, i);
      int32_t no = static_cast<int32_t>(LeGetU32(r + 2) % 100000);
      if (stations.empty() || stations.back() != no) stations.push_back(no);
    }
    if (!stations.empty()) {
      const size_t n = stations.size();
      const int32_t pairs[][3] = {{stations[0], stations[n - 1], 0},
                                  {stations[n / 2], stations[0], 0},
                                  {stations[0], stations[n - 1], stations[n / 2]},
                                  {stations[n / 3], stations[n / 3], 0}};
      for (const auto& p : pairs) {
        EbErgebnis first, second;
        int32_t a = Ask(p[0], p[1], p[2], '1', &first);
        int32_t b = Ask(p[0], p[1], p[2], '1', &second);
        ZFUZZ_CHECK(a == b, "%d-%d via %d: %d, then %d", p[0], p[1], p[2], a, b);
        if (a == 0) {
          ZFUZZ_CHECK(std::memcmp(&first, &second, sizeof first) == 0, "%d-%d via %d: two answers",
                      p[0], p[1], p[2]);
        }
      }
      /* The 50 km list from the first station, with the fast paths off and
      ** on: the same rows, each with the distance the calculation gives. */
      const int32_t origin = stations[0];
      std::vector<Row> plain, fast;
      DbSetFastPaths(false);
      zfuzz::Protected([&] { List(origin, &plain); });
      DbSetFastPaths(true);
      zfuzz::Protected([&] { List(origin, &fast); });
      ZFUZZ_CHECK(plain == fast, "origin %d: %zu rows plain, %zu fast", origin, plain.size(),
                  fast.size());
      for (const Row& row : fast) {
        EbErgebnis calc;
        int32_t c = Ask(origin, row.station, 0, '1', &calc);
        if (c == 0) {
          ZFUZZ_CHECK(ZolmaKmSumme(calc.hin) == row.km, "%d-%d: %d km in the list, %d km calculated",
                      origin, row.station, row.km, ZolmaKmSumme(calc.hin));
        }
      }
      const int rows = static_cast<int>(fast.size());
      ZFUZZ_CHECK(rows <= DbEbhfBlock.count, "%d rows from %d station records", rows,
                  DbEbhfBlock.count);
    }
  }
  zfuzz::Protected([] { EbGfEndeEntfernungsBerechnung(); });
  for (const DbTabDesc* t :
       {&DbEbhfTab, &DbFbrrTab, &DbFbrwTab, &DbGrenTab, &DbRbgtTab, &DbStenTab, &DbTdrgTab}) {
    ZFUZZ_CHECK(t->loadCount == 0, "%s still loaded after the end (init %d)",
                t->code ? t->code : "?", init);
  }
  ZFUZZ_CHECK(DbTestLiveBlocks() == 0, "%d blocks left after the end (init %d)", DbTestLiveBlocks(),
              init);
  return 0;
}
