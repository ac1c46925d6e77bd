// Benchmarks of the distance engine over synthetic networks of several
// sizes (by default the generator's grids 11, 33 and 59, seed 1), or over
// one data folder:
//
//   - the 50 km list, the engine's list operation that the preview dialog
//     calls (EbFuenfzigKmListe), from the grid's centre node and from an
//     ordinary station near it; the rows (stations within 50 km), the full
//     requests made, the stations left out without a request and the origin
//     are reported as counters;
//   - one request, hot, from the ordinary origin to an ordinary station;
//   - the start-up: every table the program loads, loaded and released;
//   - where the Boost Graph Library is at hand, a peer in the same run:
//     Dijkstra's search from each origin over the generator's network,
//     whole and stopped at 50 km (engine_bench_peer.h).
//
//   engine_50km_bench [--grid=N,...] [--daten=DIR] [--abgang=N]
//                    [--ohne-schnellpfade] [benchmark options]
//
// The networks of the grids are written on their first use into the build
// folder (bench-netze/grid-N, with the sample's message texts), not kept in
// the tree; later runs read them again. --daten=DIR measures one data
// folder instead (its origins: the first node station and the first
// ordinary station that the list itself would show, 545 and 12345
// preferred; no peer). With --abgang=N the list runs from N alone.
// --ohne-schnellpfade turns the fast paths off (DbSetFastPaths): every
// lookup searches and every station of the list gets its full request.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fastpath.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "engine/ebanfrage.h"
#include "engine/ebfuenfzig.h"
#include "support/utday.h"
#include "support/utname.h"
#include "tools/netgen/netgen.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/netwrite.h"

#ifdef ZOLMA_BENCH_PEER
#include "tests/engine/engine_bench_peer.h"
#endif

#ifndef ZOLMA_BENCH_NETZE
#define ZOLMA_BENCH_NETZE "bench-netze"
#endif
#ifndef ZOLMA_BENCH_MELDUNGEN
#define ZOLMA_BENCH_MELDUNGEN ""
#endif

namespace {

// One data set of the run.
struct Netz {
  std::string ordner;
  int grid = 0;                   // 0: a folder given with --daten
  std::int32_t knoten = -1;       // the centre node (grid) or the first node station
  std::int32_t gewoehnlich = -1;  // an ordinary station near it
  std::vector<std::int32_t> abgaenge;
  std::int32_t anfrageVon = -1;  // the single request
  std::int32_t anfrageNach = -1;
};

std::vector<Netz> gNetze;
int gAktiv = -1;
std::int32_t gAbgang = -1;
UtDayNumber gTag = 0;

bool IstKnoten(const EbhfSatz& s) {
  return s.letters[kEbhfLetterKind] == 'A' || s.letters[kEbhfLetterKind] == 'H';
}

EbAnfrage Anfrage(std::int32_t von, std::int32_t nach) {
  EbAnfrage a;
  EbAnfrageFuellen(&a, gTag, von, nach, 0, 0, '0');
  return a;
}

// The engine started on data set k (the one before ended).
bool Laden(int k) {
  if (gAktiv == k) return true;
  if (gAktiv >= 0) EbGfEndeEntfernungsBerechnung();
  gAktiv = -1;
  if (chdir(gNetze[static_cast<std::size_t>(k)].ordner.c_str()) != 0) return false;
  if (EbGfInitEntfernungsBerechnung() != 0) return false;
  gTag = UtToday();
  gAktiv = k;
  return true;
}

void BM_FuenfzigKmListe(benchmark::State& state, int k, std::int32_t abgang) {
  if (!Laden(k)) {
    state.SkipWithError("Daten nicht geladen");
    return;
  }
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

void BM_EineAnfrage(benchmark::State& state, int k) {
  if (!Laden(k)) {
    state.SkipWithError("Daten nicht geladen");
    return;
  }
  const Netz& n = gNetze[static_cast<std::size_t>(k)];
  EbAnfrage a = Anfrage(n.anfrageVon, n.anfrageNach);
  EbErgebnis erg;
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);
  for (auto _ : state) {
    EbAnfrage kopie = a;
    benchmark::DoNotOptimize(EbGfEntfernungsBerechnung(&erg, &abschnitte, &kopie, 0));
  }
  state.counters["von"] = n.anfrageVon;
  state.counters["nach"] = n.anfrageNach;
}

// The start-up's table work: the engine's twelve tables, the station names
// and the message texts loaded, then released again (not timed).
void BM_Start(benchmark::State& state, int k) {
  if (!Laden(k)) {
    state.SkipWithError("Daten nicht geladen");
    return;
  }
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
      IstKnoten(s) == knoten)
    return bevorzugt;
  for (std::int32_t n = 0; n <= 99999; ++n)
    if (DbGetEbhf(&s, kDbLand, static_cast<std::uint32_t>(n), gTag) == kDbFound &&
        EbListenTauglich(s) && IstKnoten(s) == knoten)
      return n;
  return -1;
}

// The network of a grid: its data files written into the build folder on
// their first use, the centre node and, halfway along the first line that
// leaves it, an ordinary station.
bool GridNetz(int grid, Netz* n) {
  n->grid = grid;
  n->ordner = std::string(ZOLMA_BENCH_NETZE) + "/grid-" + std::to_string(grid);
  netgen::Options opt;
  opt.grid = grid;
  try {
    zolmanet::Network net = netgen::Generate(opt);
    n->knoten = (grid / 2) * grid + grid / 2 + 1;
    for (const zolmanet::Line& line : net.lines)
      for (std::size_t k = 0; k < line.stops.size() && n->gewoehnlich < 0; ++k)
        if (static_cast<std::int32_t>(line.stops[k].station) == n->knoten) {
          const std::size_t halb = static_cast<std::size_t>(opt.between / 2 + 1);
          const std::size_t j = k + halb < line.stops.size() ? k + halb : k - halb;
          n->gewoehnlich = static_cast<std::int32_t>(line.stops[j].station);
        }
    if (!std::filesystem::exists(n->ordner + "/DMEBHF")) {
      std::fprintf(stderr, "engine_50km_bench: writing the network of grid %d into %s\n", grid,
                   n->ordner.c_str());
      if (std::strlen(ZOLMA_BENCH_MELDUNGEN) > 0) zolmanet::ParseFile(ZOLMA_BENCH_MELDUNGEN, &net);
      std::filesystem::create_directories(n->ordner);
      zolmanet::WriteDataFiles(zolmanet::Compile(net), n->ordner);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "engine_50km_bench: grid %d: %s\n", grid, e.what());
    return false;
  }
  n->ordner = std::filesystem::absolute(n->ordner).string();
  return true;
}

// The origins and the single request of data set k.
bool Einrichten(int k) {
  Netz& n = gNetze[static_cast<std::size_t>(k)];
  if (!Laden(k)) {
    std::fprintf(stderr, "engine_50km_bench: Initialisierung in %s fehlgeschlagen\n",
                 n.ordner.c_str());
    return false;
  }
  if (gAbgang >= 0) {
    n.abgaenge = {gAbgang};
  } else {
    const std::int32_t knoten = ErsterAbgang(true, n.grid ? n.knoten : 545);
    const std::int32_t gewoehnlich = ErsterAbgang(false, n.grid ? n.gewoehnlich : 12345);
    if (knoten >= 0) n.abgaenge.push_back(knoten);
    if (gewoehnlich >= 0) n.abgaenge.push_back(gewoehnlich);
  }
  if (n.abgaenge.empty()) {
    std::fprintf(stderr, "engine_50km_bench: kein Abgang in %s\n", n.ordner.c_str());
    return false;
  }
  // The single request: from the ordinary origin (else the only one).
  n.anfrageVon = n.abgaenge.back();
  EbAnfrage probe = Anfrage(n.anfrageVon, 0);
  EbErgebnis erg;
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);
  for (std::int32_t nr = n.anfrageVon + 1; nr <= 99999 && n.anfrageNach < 0; ++nr) {
    EbhfSatz s;
    if (DbGetEbhf(&s, kDbLand, static_cast<std::uint32_t>(nr), gTag) != kDbFound || IstKnoten(s) ||
        !EbListenTauglich(s))
      continue;
    probe.hin.ibn = nr;
    if (EbGfEntfernungsBerechnung(&erg, &abschnitte, &probe, 0) == 0) n.anfrageNach = nr;
  }
  return true;
}

template <class... Args>
benchmark::internal::Benchmark* Register(const std::string& name, Args&&... args) {
  return benchmark::RegisterBenchmark(name.c_str(), std::forward<Args>(args)...)
      ->Repetitions(9)
      ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
  std::string daten;
  std::vector<int> grids = {11, 33, 59};
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--daten=", 8) == 0) {
      daten = argv[i] + 8;
    } else if (std::strncmp(argv[i], "--grid=", 7) == 0) {
      grids.clear();
      for (const char* p = argv[i] + 7; *p;) {
        grids.push_back(std::atoi(p));
        while (*p && *p != ',') ++p;
        if (*p == ',') ++p;
      }
    } else if (std::strncmp(argv[i], "--abgang=", 9) == 0) {
      gAbgang = std::atoi(argv[i] + 9);
    } else if (std::strcmp(argv[i], "--ohne-schnellpfade") == 0) {
      DbSetFastPaths(false);
    } else {
      rest.push_back(argv[i]);
    }
  }
  int argn = static_cast<int>(rest.size());
  benchmark::Initialize(&argn, rest.data());

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

  if (!daten.empty()) {
    Netz n;
    n.ordner = std::filesystem::absolute(daten).string();
    gNetze.push_back(n);
  } else {
    for (int grid : grids) {
      Netz n;
      if (!GridNetz(grid, &n)) return 1;
      gNetze.push_back(n);
    }
  }
  for (int k = 0; k < static_cast<int>(gNetze.size()); ++k) {
    if (!Einrichten(k)) return 1;
    const Netz& n = gNetze[static_cast<std::size_t>(k)];
    const std::string netz = n.grid ? "grid:" + std::to_string(n.grid) + "/" : "";
    for (std::int32_t abgang : n.abgaenge)
      Register("BM_FuenfzigKmListe/" + netz + "abgang:" + std::to_string(abgang),
               BM_FuenfzigKmListe, k, abgang)
          ->Unit(benchmark::kMillisecond);
#ifdef ZOLMA_BENCH_PEER
    if (n.grid)
      for (std::int32_t abgang : n.abgaenge)
        for (std::int64_t limit : {std::int64_t{-1}, std::int64_t{kEbListeMaxKm}})
          Register("BM_Peer/" + netz + "abgang:" + std::to_string(abgang) +
                       (limit < 0 ? "/ganz" : "/bis50km"),
                   peer::BM_Peer, n.grid, static_cast<std::uint32_t>(abgang), limit)
              ->Unit(benchmark::kMicrosecond);
#endif
    if (n.anfrageNach >= 0)
      Register("BM_EineAnfrage/" + netz, BM_EineAnfrage, k)->Unit(benchmark::kMicrosecond);
    Register("BM_Start/" + netz, BM_Start, k)->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (gAktiv >= 0) EbGfEndeEntfernungsBerechnung();
  return 0;
}
