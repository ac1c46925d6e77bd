/*
** The network compiler's command line (see netcli.h).
*/
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "tools/zolmanet/netcli.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/nettext.h"
#include "tools/zolmanet/netwrite.h"

namespace {

const char kUsage[] = "usage: zolmanet [--check] [-o OUTPUT-FOLDER] DESCRIPTION-FOLDER\n";

/* A usage error: what is wrong, then the usage line, on standard error. */
int UsageError(const std::string& what) {
  std::fprintf(stderr, "zolmanet: %s\n%s", zolmanet::Showable(what).c_str(), kUsage);
  return 2;
}

/* A description that makes no data set: without a 'netz' line (an empty
** file included) or without a station. The folder's one file is named
** when it has only one. */
void RefuseIncomplete(const zolmanet::Network& net, const std::string& dir) {
  if (net.headerPos.line == 0) {
    std::vector<std::string> files = zolmanet::DescriptionFiles(dir);
    throw zolmanet::CompileError(
        (files.size() == 1 ? files[0] : dir) +
        ": the description has no 'netz' line (version info, creation time, first day)");
  }
  if (net.stations.empty()) {
    throw zolmanet::CompileError(
        zolmanet::At(net.headerPos, "the description has no station ('bahnhof' line)"));
  }
}

int Run(int argc, char** argv) {
  std::string out = ".";
  std::string in;
  bool checkOnly = false;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (std::strcmp(a, "--check") == 0) {
      checkOnly = true;
    } else if (std::strcmp(a, "-o") == 0) {
      if (i + 1 == argc) return UsageError("-o needs the output folder");
      out = argv[++i];
    } else if (a[0] == '-') {
      return UsageError(std::string("unknown option ") + a);
    } else if (in.empty()) {
      in = a;
    } else {
      return UsageError(std::string("one description folder only, not also '") + a + "'");
    }
  }
  if (in.empty()) return UsageError("the description folder is missing");
  try {
    zolmanet::Network net = zolmanet::ParseFolder(in);
    RefuseIncomplete(net, in);
    zolmanet::CompiledNet c = zolmanet::Compile(net);
    if (!checkOnly) zolmanet::WriteDataFiles(c, out);
    std::printf(
        "zolmanet: %zu stations, %zu node stations, %zu STEN records, %zu GREN pairs, %zu messages%s\n",
        net.stations.size(), c.grenNodes.size(), c.sten.size(), c.gren.size(), c.fehl.size(),
        checkOnly ? " (checked only)" : "");
  } catch (const zolmanet::CompileError& e) {
    std::fprintf(stderr, "zolmanet: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace

namespace zolmanet {

int RunReportingFailures(const char* tool, int (*run)(int, char**), int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: out of memory\n", tool);
  } catch (const std::exception& e) {
    try {
      std::fprintf(stderr, "%s: %s\n", tool, Showable(e.what()).c_str());
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "%s: out of memory\n", tool);
    }
  }
  return 1;
}

int CommandLine(int argc, char** argv) { return RunReportingFailures("zolmanet", &Run, argc, argv); }

}  // namespace zolmanet
