// Temporary folders for the tests: ctest runs test processes in parallel,
// so a test that writes files takes a folder of its own from here, below
// the system's temporary folder, made with mkdtemp and removed again. (The
// private CUPS server's fixture makes its own under /tmp, open to the
// filters that run as another user.)
//
//   tempdir::Make("dmcore")       a fresh folder; throws when none can be made
//   tempdir::ForProcess("dmnet")  one folder for the whole process, removed
//                                 at exit (the first call's prefix names it)
//   tempdir::Folder               a fresh folder removed with the object
#ifndef ZOLMA_TESTS_COMMON_TEMPDIR_H
#define ZOLMA_TESTS_COMMON_TEMPDIR_H

#include <filesystem>
#include <string>

namespace tempdir {

// A fresh folder "<prefix>-XXXXXX" in the system's temporary folder.
std::filesystem::path Make(const std::string& prefix);

// Removes a folder and all it holds, quietly (a test's clean-up).
void Remove(const std::filesystem::path& dir);

// One folder for the whole test process, removed at exit.
const std::filesystem::path& ForProcess(const std::string& prefix);

// A fresh folder that lives as long as the object.
class Folder {
 public:
  explicit Folder(const std::string& prefix) : path_(Make(prefix)) {}
  ~Folder() { Remove(path_); }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace tempdir

#endif
