// Benchmarks of the distance engine on a data folder (by default the
// synthetic network generated with the build):
//
//   - the 50 km list, the engine's list operation that the preview dialog
//     calls (EbFuenfzigKmListe); the rows (stations within 50 km), the full
//     requests made, the stations left out without a request and the origin
//     are reported as counters;
//   - one request, hot, from an ordinary station to an ordinary station;
//   - the start-up: every table the program loads, loaded and released;
//   - where the Boost Graph Library is at hand and the data folder is the
//     generated one, a peer in the same run: Dijkstra's search from each
//     origin over the generator's network, whole and stopped at 50 km
//     (engine_bench_peer.h).
//
//   engine_50km_bench [--daten=DIR] [--abgang=N] [--ohne-schnellpfade]
//                    [benchmark options]
//
// Without --abgang the list runs from two origins: a node station and an
// ordinary station (545 and 12345 on the synthetic network, else the first
// node station and the first ordinary station that the list itself would
// show). With --abgang=N it runs from N alone. --ohne-schnellpfade turns
// the fast paths off (DbSetFastPaths): every lookup searches and every
// station of the list gets its full request.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_index.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "engine/ebanfrage.h"
#include "engine/ebfuenfzig.h"
#include "support/utday.h"
#include "support/utname.h"

#ifdef ZOLMA_BENCH_PEER
#include "tests/engine/engine_bench_peer.h"
#endif

#ifndef ZOLMA_BENCH_DATEN
#define ZOLMA_BENCH_DATEN "."
#endif

namespace {

std::int32_t gAbgang = -1;
std::vector<std::int32_t> gAbgaenge;
UtDayNumber gTag = 0;

bool IstKnoten(const EbhfSatz& s) {
  return s.letters[kEbhfLetterKind] == 'A' || s.letters[kEbhfLetterKind] == 'H';
}

EbAnfrage Anfrage(std::int32_t von, std::int32_t nach) {
  EbAnfrage a;
  EbAnfrageFuellen(&a, gTag, von, nach, 0, 0, '0');
  return a;
}

void BM_FuenfzigKmListe(benchmark::State& state, std::int32_t abgang) {
  EbFuenfzigKmBericht bericht{0, 0, 0};
  const EbFuenfzigKmAuftrag auftrag{abgang, gTag, nullptr, nullptr, nullptr};
  for (auto _ : state) {
    benchmark::DoNotOptimize(EbFuenfzigKmListe(auftrag, &bericht));
  }
  state.counters["zeilen"] = bericht.zeilen;
  state.counters["anfragen"] = bericht.anfragen;
  state.counters["ausgelassen"] = bericht.ausgelassen;
  state.counters["abgang"] = abgang;
}

// One request from the ordinary origin to the first ordinary station after
// it that has an answer, asked again and again.
std::int32_t gAnfrageVon = -1;
std::int32_t gAnfrageNach = -1;

void BM_EineAnfrage(benchmark::State& state) {
  EbAnfrage a = Anfrage(gAnfrageVon, gAnfrageNach);
  EbErgebnis erg;
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);
  for (auto _ : state) {
    EbAnfrage kopie = a;
    benchmark::DoNotOptimize(EbGfEntfernungsBerechnung(&erg, &abschnitte, &kopie, 0));
  }
  state.counters["von"] = gAnfrageVon;
  state.counters["nach"] = gAnfrageNach;
}

// The start-up's table work: the engine's twelve tables, the station names
// and the message texts loaded, then released again (not timed).
void BM_Start(benchmark::State& state) {
  EbGfEndeEntfernungsBerechnung();
  for (auto _ : state) {
    if (EbGfInitEntfernungsBerechnung() != 0) {
      state.SkipWithError("Initialisierung fehlgeschlagen");
      break;
    }
    DbLoadFehl();
    DbLoadPbhf();
    state.PauseTiming();
    DbUnloadPbhf();
    DbUnloadFehl();
    EbGfEndeEntfernungsBerechnung();
    state.ResumeTiming();
  }
  EbGfInitEntfernungsBerechnung();
}

std::int32_t ErsterAbgang(bool knoten, std::int32_t bevorzugt) {
  EbhfSatz s;
  if (bevorzugt >= 0 &&
      DbGetEbhf(&s, kDbLand, static_cast<std::uint32_t>(bevorzugt), gTag) == kDbFound &&
      EbListenTauglich(s) && IstKnoten(s) == knoten)
    return bevorzugt;
  for (std::int32_t n = 0; n <= 99999; ++n)
    if (DbGetEbhf(&s, kDbLand, static_cast<std::uint32_t>(n), gTag) == kDbFound &&
        EbListenTauglich(s) && IstKnoten(s) == knoten)
      return n;
  return -1;
}

bool Einrichten(const std::string& daten) {
  if (chdir(daten.c_str()) != 0) {
    std::fprintf(stderr, "engine_50km_bench: Datenordner %s fehlt\n", daten.c_str());
    return false;
  }
  struct Name {
    const char* code;
    const char* datei;
  };
  const Name namen[] = {{"EBHF", "DMEBHF"},      {"FBRR", "DMFBRR"},      {"FBRW", "DMFBRW"},
                        {"GREN", "DMGREN"},      {"RBGT", "DMRBGT"},      {"STEN", "DMSTEN"},
                        {"TDRG", "DMTDRG"},      {"PBHF", "DMPBHF"},      {"FEHL", "DMFEHL"},
                        {"EBGG", kDbNoFileName}, {"EBGB", kDbNoFileName}, {"NGAT", kDbNoFileName},
                        {"LOST", kDbNoFileName}, {"NESR", kDbNoFileName}};
  for (const Name& n : namen) UtSetName(n.code, n.datei);
  if (EbGfInitEntfernungsBerechnung() != 0) {
    std::fprintf(stderr, "engine_50km_bench: Initialisierung in %s fehlgeschlagen\n",
                 daten.c_str());
    return false;
  }
  gTag = UtToday();
  if (gAbgang >= 0) {
    gAbgaenge = {gAbgang};
  } else {
    const std::int32_t knoten = ErsterAbgang(true, 545);
    const std::int32_t gewoehnlich = ErsterAbgang(false, 12345);
    if (knoten >= 0) gAbgaenge.push_back(knoten);
    if (gewoehnlich >= 0) gAbgaenge.push_back(gewoehnlich);
  }
  if (gAbgaenge.empty()) {
    std::fprintf(stderr, "engine_50km_bench: kein Abgang in %s\n", daten.c_str());
    return false;
  }
  // The single request: from the ordinary origin (else the only one).
  gAnfrageVon = gAbgaenge.back();
  EbAnfrage probe = Anfrage(gAnfrageVon, 0);
  EbErgebnis erg;
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);
  for (std::int32_t n = gAnfrageVon + 1; n <= 99999 && gAnfrageNach < 0; ++n) {
    EbhfSatz s;
    if (DbGetEbhf(&s, kDbLand, static_cast<std::uint32_t>(n), gTag) != kDbFound || IstKnoten(s) ||
        !EbListenTauglich(s))
      continue;
    probe.hin.ibn = n;
    if (EbGfEntfernungsBerechnung(&erg, &abschnitte, &probe, 0) == 0) gAnfrageNach = n;
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
    else if (std::strcmp(argv[i], "--ohne-schnellpfade") == 0)
      DbSetFastPaths(false);
    else
      rest.push_back(argv[i]);
  }
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  if (!Einrichten(daten)) return 1;
  for (std::int32_t abgang : gAbgaenge)
    benchmark::RegisterBenchmark(("BM_FuenfzigKmListe/abgang:" + std::to_string(abgang)).c_str(),
                                 BM_FuenfzigKmListe, abgang)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
  if (gAnfrageNach >= 0)
    benchmark::RegisterBenchmark("BM_EineAnfrage", BM_EineAnfrage)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
#ifdef ZOLMA_BENCH_PEER
  if (daten == ZOLMA_BENCH_DATEN)
    for (std::int32_t abgang : gAbgaenge)
      for (std::int64_t limit : {std::int64_t{-1}, std::int64_t{kEbListeMaxKm}})
        benchmark::RegisterBenchmark(("BM_Peer/abgang:" + std::to_string(abgang) +
                                      (limit < 0 ? "/ganz" : "/bis50km"))
                                         .c_str(),
                                     peer::BM_Peer, static_cast<std::uint32_t>(abgang), limit)
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(9)
            ->ReportAggregatesOnly(true);
#endif
  benchmark::RegisterBenchmark("BM_Start", BM_Start)
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(9)
      ->ReportAggregatesOnly(true);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  EbGfEndeEntfernungsBerechnung();
  return 0;
}
