// Benchmark of the 50 km list's loop over the engine: every station number
// 0 to 99999 whose EBHF record passes the list's tests gets one distance
// request against one origin, as the preview dialog runs it. Runs on a data
// folder (by default the synthetic network generated with the build).
//
//   engine_bench50km [--daten=DIR] [--abgang=N] [benchmark options]
//
// Without --abgang the origin is the first station that the list itself
// would show. The loop's rows (stations within 50 km) are reported as a
// counter.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "support/utday.h"
#include "support/utname.h"

#ifndef ZOLMA_BENCH_DATEN
#define ZOLMA_BENCH_DATEN "."
#endif

namespace {

std::int32_t gAbgang = -1;
UtDayNumber gTag = 0;

// The list's tests of a station record.
bool Listenfaehig(const EbhfSatz& s) {
  return s.letters[kEbhfLetterList1] == 'N' && s.letters[kEbhfLetterList2] == 'N' &&
         s.flags3[kEbhfFlagList] != 'N';
}

// One pass of the list's loop; returns the number of rows.
int ListeRechnen() {
  EbAnfrage a;
  EbAnfrageFuellen(&a, gTag, gAbgang, 0, 0, 0, '0');
  EbErgebnis erg;
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);

  int zeilen = 0;
  for (std::int32_t n = 0; n <= 99999; ++n) {
    if (n == gAbgang) continue;
    EbhfSatz s;
    if (DbGetEbhf(&s, kDbLand, static_cast<std::uint32_t>(n), gTag) != kDbFound) continue;
    if (!Listenfaehig(s)) continue;
    a.hin.ibn = n;
    if (EbGfEntfernungsBerechnung(&erg, &abschnitte, &a, 0) != 0) continue;
    const std::int32_t km = static_cast<std::int32_t>(erg.hin.kmWzVxt + erg.hin.kmDrVxt +
                                                      erg.hin.kmWz + erg.hin.kmDr);
    if (km <= 50) ++zeilen;
  }
  return zeilen;
}

void BM_FuenfzigKmListe(benchmark::State& state) {
  int zeilen = 0;
  for (auto _ : state) {
    zeilen = ListeRechnen();
    benchmark::DoNotOptimize(zeilen);
  }
  state.counters["zeilen"] = zeilen;
  state.counters["abgang"] = gAbgang;
}
BENCHMARK(BM_FuenfzigKmListe)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

bool Einrichten(const std::string& daten) {
  if (chdir(daten.c_str()) != 0) {
    std::fprintf(stderr, "engine_bench50km: Datenordner %s fehlt\n", daten.c_str());
    return false;
  }
  struct Name {
    const char* code;
    const char* datei;
  };
  const Name namen[] = {{"EBHF", "DMEBHF"}, {"FBRR", "DMFBRR"}, {"FBRW", "DMFBRW"},
                        {"GREN", "DMGREN"}, {"RBGT", "DMRBGT"}, {"STEN", "DMSTEN"},
                        {"TDRG", "DMTDRG"}, {"EBGG", kDbNoFileName}, {"EBGB", kDbNoFileName},
                        {"NGAT", kDbNoFileName}, {"LOST", kDbNoFileName},
                        {"NESR", kDbNoFileName}};
  for (const Name& n : namen) UtSetName(n.code, n.datei);
  if (EbGfInitEntfernungsBerechnung() != 0) {
    std::fprintf(stderr, "engine_bench50km: Initialisierung in %s fehlgeschlagen\n",
                 daten.c_str());
    return false;
  }
  gTag = UtToday();
  if (gAbgang < 0) {
    for (std::int32_t n = 0; n <= 99999 && gAbgang < 0; ++n) {
      EbhfSatz s;
      if (DbGetEbhf(&s, kDbLand, static_cast<std::uint32_t>(n), gTag) == kDbFound &&
          Listenfaehig(s))
        gAbgang = n;
    }
  }
  if (gAbgang < 0) {
    std::fprintf(stderr, "engine_bench50km: kein Abgang in %s\n", daten.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string daten = ZOLMA_BENCH_DATEN;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--daten=", 8) == 0)
      daten = argv[i] + 8;
    else if (std::strncmp(argv[i], "--abgang=", 9) == 0)
      gAbgang = std::atoi(argv[i] + 9);
    else
      rest.push_back(argv[i]);
  }
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  if (!Einrichten(daten)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  EbGfEndeEntfernungsBerechnung();
  return 0;
}
