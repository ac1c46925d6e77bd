// Running the tools' command lines from the data tests, and reading back
// what they leave in a folder.
#ifndef ZOLMA_TESTS_DATA_TOOLRUN_H
#define ZOLMA_TESTS_DATA_TOOLRUN_H

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace toolrun {

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void Put(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// Every entry of a folder with its bytes ("(folder)" for a folder).
inline std::map<std::string, std::string> Contents(const std::filesystem::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    out[e.path().filename().string()] = e.is_regular_file() ? Slurp(e.path()) : "(folder)";
  }
  return out;
}

// A tool's exit status, standard output and standard error.
struct Run {
  int status = -1;
  std::string out, err;
};

// Runs a shell command line, its output kept in files of scratch.
inline Run Shell(const std::string& command, const std::filesystem::path& scratch) {
  const std::string cmd = command + " >" + (scratch / "stdout.txt").string() + " 2>" +
                          (scratch / "stderr.txt").string();
  const int rc = std::system(cmd.c_str());
  Run r;
  if (WIFEXITED(rc)) r.status = WEXITSTATUS(rc);
  r.out = Slurp(scratch / "stdout.txt");
  r.err = Slurp(scratch / "stderr.txt");
  return r;
}

}  // namespace toolrun

#endif  // ZOLMA_TESTS_DATA_TOOLRUN_H
