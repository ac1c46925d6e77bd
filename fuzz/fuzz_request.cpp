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
** The list visits every station number from 0 to 99999, and where the
** station index cannot be built (a file out of order) each number is a
** search: a list would cost most of a run. So every input asks the list's
** requests for the stations the input holds only (a number that EBHF does
** not hold has no record in force), with the fast paths off and on; one
** input in kWholeListShare, chosen by the input's bytes, runs the list
** operation itself (the fast paths on, its shortcut for the stations
** certainly farther than 50 km with them), which must give the same rows.
*/
#include <algorithm>
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
/* One input in this many runs the whole list; the replay of the kept
** inputs (CTest) runs it for every input. */
#ifdef ZOLMA_FUZZ_REPLAY
constexpr uint32_t kWholeListShare = 1;
#else
constexpr uint32_t kWholeListShare = 16;
#endif

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

void List(int32_t origin, UtDayNumber day, std::vector<Row>* rows) {
  const EbFuenfzigKmAuftrag job{origin, day, nullptr, &AddRow, rows};
  EbFuenfzigKmListe(job);
}

/* Every station number EBHF holds for the list's country, below 100000,
** ascending, once each. */
std::vector<int32_t> HeldStations() {
  std::vector<int32_t> held;
  for (int32_t i = 0; i < DbEbhfBlock.count; ++i) {
    const unsigned char* r = DbRec(&DbEbhfBlock, i);
    const uint32_t no = LeGetU32(r + 2);
    if (LeGetU16(r) == kDbLand && no < kDbBhfLokalGrenze) held.push_back(static_cast<int32_t>(no));
  }
  std::sort(held.begin(), held.end());
  held.erase(std::unique(held.begin(), held.end()), held.end());
  return held;
}

/* The list's rows for the given stations only, asked as the list asks
** them: each station but the origin whose record is in force and passes
** the list's tests gets the list's request (one request record for all,
** its destination set per station), and a distance of at most 50 km is a
** row. */
void ListOf(int32_t origin, UtDayNumber day, const std::vector<int32_t>& held,
            std::vector<Row>* rows) {
  EbAnfrage a;
  EbAnfrageFuellen(&a, day, origin, 0, 0, 0, '0');
  EbErgebnis out;
  std::memset(&out, 0, sizeof out);
  EbAbschnitte seg;
  std::memset(&seg, 0, sizeof seg);
  for (int32_t n : held) {
    if (n == origin) continue;
    EbhfSatz buffer;
    DbLookupResult r = kDbNotFound;
    const EbhfSatz* s = DbGetEbhfRef(&buffer, kDbLand, static_cast<uint32_t>(n), day, &r);
    if (s == nullptr || r != kDbFound || !EbListenTauglich(*s)) continue;
    a.hin.ibn = n;
    if (EbGfEntfernungsBerechnung(&out, &seg, &a, 0) != 0) continue;
    const int32_t km = ZolmaKmSumme(out.hin);
    if (km <= kEbListeMaxKm) rows->push_back({n, km});
  }
}

/* A digest of the input's bytes, which picks the inputs for the whole
** list. */
uint32_t Digest(const uint8_t* data, size_t size) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
  return h;
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
      /* The 50 km list's rows from the first station, with the fast paths
      ** off and on: the same rows, each with the distance the calculation
      ** gives; on a share of the inputs the list itself gives them too. */
      const int32_t origin = stations[0];
      const UtDayNumber day = UtToday();
      const std::vector<int32_t> held = HeldStations();
      std::vector<Row> plain, fast;
      DbSetFastPaths(false);
      zfuzz::Protected([&] { ListOf(origin, day, held, &plain); });
      DbSetFastPaths(true);
      zfuzz::Protected([&] { ListOf(origin, day, held, &fast); });
      ZFUZZ_CHECK(plain == fast, "origin %d: %zu rows plain, %zu fast", origin, plain.size(),
                  fast.size());
      if (Digest(data, size) % kWholeListShare == 0) {
        std::vector<Row> list;
        zfuzz::Protected([&] { List(origin, day, &list); });
        ZFUZZ_CHECK(list == plain, "origin %d: %zu rows in the list, %zu asked plainly", origin,
                    list.size(), plain.size());
      }
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
