// Benchmark of the 50 km list as the user meets it: the program runs on a
// data folder (by default the synthetic network generated with the build),
// the origin is typed, and "50 km Li&ste" is clicked again and again; each
// time is measured from the click until the preview shows its finished
// list. Prints, per origin, the median, the fastest and the slowest time
// and the rows.
//
//   app_preview_bench [--daten=DIR] [--abgang=TEXT] [--laeufe=N]
//
// Without --abgang it runs from two origins of the synthetic network: the
// node station 545 in the middle of the grid and the ordinary station 9999
// near it (the origin field takes a number of up to four digits as the
// station number).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/zolmaapp.h"
#include "platform/ui/scripthost.h"

#ifndef ZOLMA_BENCH_DATEN
#define ZOLMA_BENCH_DATEN "."
#endif

int main(int argc, char** argv) {
  std::string daten = ZOLMA_BENCH_DATEN;
  std::vector<std::string> abgaenge = {"545", "9999"};
  int laeufe = 15;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--daten=", 8) == 0)
      daten = argv[i] + 8;
    else if (std::strncmp(argv[i], "--abgang=", 9) == 0)
      abgaenge = {argv[i] + 9};
    else if (std::strncmp(argv[i], "--laeufe=", 9) == 0)
      laeufe = std::max(1, std::atoi(argv[i] + 9));
  }
  std::filesystem::current_path(daten);

  using Clock = std::chrono::steady_clock;
  struct Messung {
    std::vector<double> ms;
    int rows = -1;
  };
  std::vector<Messung> messungen(abgaenge.size());
  Clock::time_point start;
  ScriptHost host;
  for (std::size_t k = 0; k < abgaenge.size(); ++k) {
    Messung& m = messungen[k];
    host.type(IDC_ABGANG, abgaenge[k]).key(VK_RETURN);
    for (int i = 0; i < laeufe; ++i) {
      host.check([&](CDialog&) { start = Clock::now(); })
          .click(IDC_50KM)
          .expectDialog(IDD_PREVIEW)
          .check([&m, &start](CDialog& d) {
            m.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            m.rows = static_cast<int>(d.control(IDC_LISTE)->rows.size());
          })
          .key(VK_ESCAPE);
    }
  }
  host.key(VK_ESCAPE);

  CZOLMAApp app;
  app.m_pszAppName = "zolma";
  try {
    app.InitInstance();
  } catch (const UiError& e) {
    std::fprintf(stderr, "app_preview_bench: %s\n", e.what());
    return 1;
  }
  for (std::size_t k = 0; k < abgaenge.size(); ++k) {
    std::vector<double>& ms = messungen[k].ms;
    if (ms.empty()) {
      std::fprintf(stderr, "app_preview_bench: the list never opened for %s\n",
                   abgaenge[k].c_str());
      return 1;
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "50 km list preview over %s, origin %s: %d rows; median %.1f ms, fastest %.1f ms, slowest %.1f ms (%zu runs)\n",
        daten.c_str(), abgaenge[k].c_str(), messungen[k].rows, ms[ms.size() / 2], ms.front(),
        ms.back(), ms.size());
  }
  return 0;
}
