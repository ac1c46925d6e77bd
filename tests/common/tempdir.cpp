#include "tests/common/tempdir.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace tempdir {

std::filesystem::path Make(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr)
    throw std::runtime_error("mkdtemp " + pattern + ": " + std::strerror(errno));
  return std::filesystem::path(buf.data());
}

void Remove(const std::filesystem::path& dir) {
  std::error_code ec;
  if (!dir.empty()) std::filesystem::remove_all(dir, ec);
}

const std::filesystem::path& ForProcess(const std::string& prefix) {
  static std::filesystem::path dir;
  if (dir.empty()) {
    dir = Make(prefix);
    std::atexit([] { Remove(dir); });
  }
  return dir;
}

}  // namespace tempdir
