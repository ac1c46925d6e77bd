/*
** netgen: writes the synthetic network.
**
**   netgen [--seed N] [--grid N] [--between N] [--meldungen FILE]
**          [--description] -o OUTPUT-FOLDER
**
** Writes the data files (or, with --description, the description file
** "synth.net") into the output folder. --meldungen adds the message texts
** of a description file, so the data set carries them too. --help prints
** (or -h) prints the usage line on standard output; a usage error prints
** one line saying what is wrong (a grid below 3 names the smallest grid),
** then the usage line, on standard error and ends with exit code 2. Memory
** running out ends it with "out of memory" and exit code 1.
*/
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "tools/netgen/netgen.h"
#include "tools/zolmanet/netcli.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/netprint.h"
#include "tools/zolmanet/nettext.h"
#include "tools/zolmanet/netwrite.h"

namespace {

const char kUsage[] =
    "usage: netgen [--seed N] [--grid N] [--between N] [--meldungen FILE] [--description] -o "
    "FOLDER\n";

/* A usage error: what is wrong, then the usage line, on standard error. */
int UsageError(const std::string& what) {
  std::fprintf(stderr, "netgen: %s\n%s", zolmanet::Showable(what).c_str(), kUsage);
  return 2;
}

/* The smallest grid: one tariff area of 3 x 3 node stations. */
constexpr long kSmallestGrid = 3;

/* A whole number in decimal that fits a long. */
bool Whole(const char* s, long* out) {
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (!*s || *end || errno == ERANGE) return false;
  *out = v;
  return true;
}

std::string Range(const char* option, long lo, long hi) {
  return std::string(option) + " needs a whole number from " + std::to_string(lo) + " to " +
         std::to_string(hi);
}

int Run(int argc, char** argv) {
  netgen::Options opt;
  std::string out, messages;
  const char* grid = nullptr;
  bool description = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    long v;
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--seed") {
      if (!value) return UsageError(Range("--seed", 0, 2147483647L));
      if (!Whole(value, &v) || v < 0 || v > 2147483647L)
        return UsageError(Range("--seed", 0, 2147483647L) + ", not '" + value + "'");
      opt.seed = static_cast<uint64_t>(v);
      ++i;
    } else if (a == "--between") {
      if (!value) return UsageError(Range("--between", 0, 50));
      if (!Whole(value, &v) || v < 0 || v > 50)
        return UsageError(Range("--between", 0, 50) + ", not '" + value + "'");
      opt.between = static_cast<int>(v);
      ++i;
    } else if (a == "--grid") {
      /* Checked after the loop: its largest value depends on --between. */
      grid = value ? value : "";
      i += value ? 1 : 0;
    } else if (a == "--meldungen" || a == "-o") {
      if (!value) return UsageError(a + (a == "-o" ? " needs the output folder" : " needs a file"));
      (a == "-o" ? out : messages) = value;
      ++i;
    } else if (a == "--description") {
      description = true;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("unknown option " + a);
    } else {
      return UsageError("unexpected argument '" + a + "'");
    }
  }
  if (grid) {
    /* A number above the largest grid is refused by the generator, with
    ** the limits that make it too large. */
    const long largest = netgen::LargestGrid(opt.between);
    long v;
    if (!Whole(grid, &v) || v > INT_MAX) {
      return UsageError(Range("--grid", kSmallestGrid, largest) +
                        (*grid ? std::string(", not '") + grid + "'" : std::string()));
    }
    if (v < kSmallestGrid) {
      return UsageError("--grid " + std::to_string(v) + " is too small: the smallest grid is " +
                        std::to_string(kSmallestGrid));
    }
    opt.grid = static_cast<int>(v);
  }
  if (out.empty()) return UsageError("the output folder (-o FOLDER) is missing");
  try {
    zolmanet::Network net = netgen::Generate(opt);
    if (!messages.empty()) zolmanet::ParseFile(messages, &net);
    if (description) {
      std::filesystem::create_directories(out);
      std::string path = (std::filesystem::path(out) / "synth.net").string();
      std::string tmp = path + ".tmp";
      {
        std::ofstream f(tmp, std::ios::binary);
        f << zolmanet::PrintDescription(net);
        if (!f.flush()) {
          f.close();
          std::error_code ignored;
          std::filesystem::remove(tmp, ignored);
          throw zolmanet::CompileError(path + ": cannot be written");
        }
      }
      std::filesystem::rename(tmp, path);
    } else {
      zolmanet::CompiledNet c = zolmanet::Compile(net);
      zolmanet::WriteDataFiles(c, out);
      std::printf(
          "netgen: %zu stations, %zu node stations, %zu areas, %zu STEN records, %zu GREN pairs\n",
          net.stations.size(), c.grenNodes.size(), net.areas.size(), c.sten.size(), c.gren.size());
    }
  } catch (const zolmanet::CompileError& e) {
    std::fprintf(stderr, "netgen: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return zolmanet::RunReportingFailures("netgen", &Run, argc, argv); }
