/*
** zolmanet: the network compiler's command line.
**
**   zolmanet [--check] [-o OUTPUT-FOLDER] DESCRIPTION-FOLDER
**
** Reads every ".net" file of the description folder, checks and compiles
** the network and writes the data files into the output folder (the
** current folder by default). --check compiles without writing. Errors go
** to the standard error stream as "file:line: text"; the exit code is 0 on
** success, 1 on a description error (a description without a 'netz'
** line or without a station included: it makes no data set), 2 on a usage
** error; --help prints the usage line on standard output.
*/
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/netwrite.h"

namespace {

/* The usage line: on standard output for --help (exit 0), on standard
** error for a usage error (exit 2). */
int Usage(FILE* to = stderr) {
  std::fprintf(to, "usage: zolmanet [--check] [-o OUTPUT-FOLDER] DESCRIPTION-FOLDER\n");
  return to == stderr ? 2 : 0;
}

/* A description that makes no data set: without a 'netz' line (an empty
** file included) or without a station. The folder's one file is named
** when it has only one. */
void RefuseIncomplete(const zolmanet::Network& net, const std::string& dir) {
  namespace fs = std::filesystem;
  if (net.headerPos.line == 0) {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir)) {
      if (e.is_regular_file() && e.path().extension() == ".net") files.push_back(e.path().string());
    }
    throw zolmanet::CompileError(
        (files.size() == 1 ? files[0] : dir) +
        ": the description has no 'netz' line (version info, creation time, first day)");
  }
  if (net.stations.empty()) {
    throw zolmanet::CompileError(
        zolmanet::At(net.headerPos, "the description has no station ('bahnhof' line)"));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = ".";
  std::string in;
  bool checkOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0)
      return Usage(stdout);
    else if (std::strcmp(argv[i], "--check") == 0)
      checkOnly = true;
    else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc)
      out = argv[++i];
    else if (argv[i][0] == '-')
      return Usage();
    else if (in.empty())
      in = argv[i];
    else
      return Usage();
  }
  if (in.empty()) return Usage();
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
  } catch (const std::exception& e) {
    /* A failure of the file system or of memory: reported, not a crash. */
    std::fprintf(stderr, "zolmanet: %s\n", e.what());
    return 1;
  }
  return 0;
}
