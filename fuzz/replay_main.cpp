/*
** Replay driver: runs a fuzz target's LLVMFuzzerTestOneInput once over
** every file of the folders (or the files) named on the command line, in
** name order, without libFuzzer. A missing folder is skipped. The target's
** own checks abort on a violated property, and a sanitizer build reports
** what the fuzzer would; the exit code is 0 when every input ran.
*/
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    if (fs::is_directory(argv[i], ec)) {
      std::vector<fs::path> here;
      for (const auto& e : fs::directory_iterator(argv[i])) {
        if (e.is_regular_file() && e.path().filename().string()[0] != '.') here.push_back(e.path());
      }
      std::sort(here.begin(), here.end());
      inputs.insert(inputs.end(), here.begin(), here.end());
    } else if (fs::is_regular_file(argv[i], ec)) {
      inputs.emplace_back(argv[i]);
    }
  }
  for (const fs::path& p : inputs) {
    std::ifstream in(p, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "replay %s (%zu bytes)\n", p.string().c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
