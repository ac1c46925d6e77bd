/*
** netgen: writes the synthetic network.
**
**   netgen [--seed N] [--grid N] [--between N] [--meldungen FILE]
**          [--description] -o OUTPUT-FOLDER
**
** Writes the data files (or, with --description, the description file
** "synth.net") into the output folder. --meldungen adds the message texts
** of a description file, so the data set carries them too. --help prints
** the usage line on standard output; a usage error prints it on standard
** error and ends with exit code 2 (a grid below 3 says the smallest grid).
*/
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/netgen/netgen.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/netprint.h"
#include "tools/zolmanet/netwrite.h"

namespace {

/* The usage line: on standard output for --help (exit 0), on standard
** error for a usage error (exit 2). */
int Usage(FILE* to = stderr) {
  std::fprintf(
      to,
      "usage: netgen [--seed N] [--grid N] [--between N] [--meldungen FILE] [--description] -o FOLDER\n");
  return to == stderr ? 2 : 0;
}

/* The smallest grid: one tariff area of 3 x 3 node stations. */
constexpr long kSmallestGrid = 3;

bool Number(const char* s, long lo, long hi, long* out) {
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  netgen::Options opt;
  std::string out, messages;
  bool description = false;
  for (int i = 1; i < argc; ++i) {
    long v;
    std::string a = argv[i];
    bool more = i + 1 < argc;
    if (a == "--help") {
      return Usage(stdout);
    } else if (a == "--grid" && more && Number(argv[i + 1], LONG_MIN, kSmallestGrid - 1, &v)) {
      std::fprintf(stderr, "netgen: --grid %ld is too small: the smallest grid is %ld\n", v,
                   kSmallestGrid);
      return Usage();
    } else if (a == "--seed" && more && Number(argv[i + 1], 0, 2147483647L, &v)) {
      opt.seed = static_cast<uint64_t>(v);
      ++i;
    } else if (a == "--grid" && more && Number(argv[i + 1], kSmallestGrid, 181, &v)) {
      opt.grid = static_cast<int>(v);
      ++i;
    } else if (a == "--between" && more && Number(argv[i + 1], 0, 50, &v)) {
      opt.between = static_cast<int>(v);
      ++i;
    } else if (a == "--meldungen" && more)
      messages = argv[++i];
    else if (a == "--description")
      description = true;
    else if (a == "-o" && more)
      out = argv[++i];
    else
      return Usage();
  }
  if (out.empty()) return Usage();
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
  } catch (const std::exception& e) {
    std::fprintf(stderr, "netgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
