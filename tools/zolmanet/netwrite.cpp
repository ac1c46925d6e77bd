/*
** Writing a compiled network as data files (see netwrite.h).
*/
#include "tools/zolmanet/netwrite.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>

namespace zolmanet {

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
const char* g_failWriteOf = nullptr;
const char* g_failRenameOf = nullptr;
#endif

namespace {

/* Whether a test hook (g_failWriteOf, g_failRenameOf) names this file. */
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
bool Hooked(const char* hook, const std::string& name) { return hook && name == hook; }
#else
constexpr bool Hooked(const char*, const std::string&) { return false; }
constexpr const char* g_failWriteOf = nullptr;
constexpr const char* g_failRenameOf = nullptr;
#endif

void Stamp(dmw::DataFile* f, const CompiledNet& net) {
  f->creation_time = net.created ? static_cast<int32_t>(net.created) : dmw::kDefaultCreationTime;
  if (!net.versionInfo.empty()) f->setVersionsInfo(net.versionInfo);
}

/* The GREN pairs: the matrix with each pair's newest version, then the
** older versions. */
std::vector<dmw::GrenPair> GrenPairs(const CompiledNet& net) {
  std::vector<dmw::GrenPair> out;
  out.reserve(net.gren.size() + net.grenHistory.size());
  out.insert(out.end(), net.gren.begin(), net.gren.end());
  out.insert(out.end(), net.grenHistory.begin(), net.grenHistory.end());
  return out;
}

}  // namespace

std::vector<std::pair<std::string, dmw::DataFile>> BuildDataFiles(const CompiledNet& net) {
  std::vector<std::pair<std::string, dmw::DataFile>> files;
  try {
    files.emplace_back("DMFEHL", dmw::fehlFile(net.fehl));
    files.emplace_back("DMEBHF", dmw::ebhfFile(net.ebhf));
    files.emplace_back("DMFBRR", dmw::fbrrFile(net.fbrr));
    files.emplace_back("DMFBRW", dmw::fbrwFile(net.fbrw));
    files.emplace_back("DMGREN", dmw::grenFile(net.grenNodes, GrenPairs(net)));
    files.emplace_back("DMRBGT", dmw::rbgtFile(net.rbgt));
    files.emplace_back("DMSTEN", dmw::stenFile(net.sten));
    files.emplace_back("DMTDRG", dmw::tdrgFile(net.tdrg));
    files.emplace_back("DMPBHF", dmw::pbhfFile(net.pbhf));
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw CompileError(std::string("data-file writer: ") + e.what());
  }
  /* The stamp carries the version info of the 'netz' line: a text the
  ** writer refuses is that line's fault. */
  try {
    for (auto& f : files) Stamp(&f.second, net);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw CompileError(
        At(net.headerPos, std::string("versionsinfo: data-file writer: ") + e.what()));
  }
  return files;
}

namespace {

namespace fs = std::filesystem;

/* The folders that creating dir makes, outermost first: dir and each
** missing parent. Worked out before anything is created, so that a failure
** here leaves the disk as it was. */
std::vector<fs::path> MissingFolders(const fs::path& dir) {
  std::vector<fs::path> missing;
  fs::path p = dir;
  if (!p.has_filename()) p = p.parent_path();  // "out/" is "out"
  while (!p.empty()) {
    std::error_code ec;
    if (fs::symlink_status(p, ec).type() != fs::file_type::not_found) break;
    missing.push_back(p);
    fs::path parent = p.parent_path();
    if (parent == p) break;
    p = std::move(parent);
  }
  std::reverse(missing.begin(), missing.end());
  return missing;
}

/* One run's placing of the new files. Every name the run makes lies in a
** folder of its own ("OUT/.zolmanet-XXXXXX", made by mkdtemp, so no other
** file has it and no data-file name can take it): the new files are written
** there, and every previous data file is moved there before the new ones
** are renamed into place. The only names of the output folder the run
** touches are the data files' own. Undo() puts the folder back as it was:
** it calls only functions that do not throw, on names built beforehand. */
class Placing {
 public:
  Placing(const std::vector<std::pair<std::string, dmw::DataFile>>& files, const std::string& dir)
      : files_(files), dir_(dir), made_(MissingFolders(dir_)) {
    const size_t n = files_.size();
    targets_.reserve(n);
    for (const auto& f : files_) targets_.push_back(dir_ / f.first);
    stageTemplate_ = (dir_ / ".zolmanet-XXXXXX").string();
    temps_.resize(n);
    backups_.resize(n);
    backedUp_.assign(n, false);
    placed_.assign(n, false);
  }

  void Run() {
    MakeFolders();
    try {
      if (mkdtemp(stageTemplate_.data()) == nullptr) {
        const std::error_code ec(errno, std::generic_category());
        throw CompileError(dir_.string() + ": cannot create a working folder: " + ec.message());
      }
      staged_ = true;
      const fs::path stage = stageTemplate_;
      for (size_t k = 0; k < files_.size(); ++k) {
        temps_[k] = stage / (files_[k].first + ".neu");
        backups_[k] = stage / (files_[k].first + ".alt");
      }
      WriteNew();
      MoveOldAside();
      PutNewInPlace();
    } catch (...) {
      Undo();
      throw;
    }
    // Every new file is in place: the previous ones go.
    for (size_t k = 0; k < files_.size(); ++k) {
      std::error_code ignored;
      if (backedUp_[k]) fs::remove(backups_[k], ignored);
    }
    RemoveStage();
  }

 private:
  [[noreturn]] void Fail(size_t k, const std::string& what) {
    throw CompileError(targets_[k].string() + ": " + what);
  }

  void MakeFolders() {
    for (const fs::path& p : made_) {
      std::error_code ec;
      fs::create_directory(p, ec);
      if (ec) {
        Undo();
        throw CompileError(dir_.string() + ": cannot create the output folder: " + ec.message());
      }
      ++madeCount_;
    }
    std::error_code ec;
    if (!fs::is_directory(dir_, ec)) {
      Undo();
      throw CompileError(dir_.string() + ": cannot create the output folder: " +
                         std::make_error_code(std::errc::not_a_directory).message());
    }
  }

  void WriteNew() {
    for (size_t k = 0; k < files_.size(); ++k) {
      try {
        if (Hooked(g_failWriteOf, files_[k].first))
          throw std::runtime_error("no space left on device");
        files_[k].second.write(temps_[k]);
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception& e) {
        Fail(k, std::string("cannot be written: ") + e.what());
      }
    }
  }

  void MoveOldAside() {
    for (size_t k = 0; k < files_.size(); ++k) {
      std::error_code ec;
      fs::file_status st = fs::symlink_status(targets_[k], ec);
      if (ec && ec != std::errc::no_such_file_or_directory)
        Fail(k, "cannot be replaced: " + ec.message());
      if (!fs::exists(st)) continue;
      if (fs::is_directory(st))
        Fail(k, "cannot be replaced: " + std::make_error_code(std::errc::is_a_directory).message());
      fs::rename(targets_[k], backups_[k], ec);
      if (ec) Fail(k, "cannot be replaced: " + ec.message());
      backedUp_[k] = true;
    }
  }

  void PutNewInPlace() {
    for (size_t k = 0; k < files_.size(); ++k) {
      std::error_code ec;
      if (Hooked(g_failRenameOf, files_[k].first))
        ec = std::make_error_code(std::errc::io_error);
      else
        fs::rename(temps_[k], targets_[k], ec);
      if (ec) Fail(k, "cannot be renamed into place: " + ec.message());
      placed_[k] = true;
    }
  }

  /* Back to the folder as it was: the new files placed so far go, the
  ** previous ones come back, the working folder and every folder the run
  ** made go (each only when empty). A previous file that cannot come back
  ** keeps the working folder, and the error says where it stays. */
  void Undo() noexcept {
    bool kept = false;
    for (size_t k = 0; k < files_.size(); ++k) {
      std::error_code ignored;
      if (placed_[k]) fs::remove(targets_[k], ignored);
      if (backedUp_[k]) {
        std::error_code back;
        fs::rename(backups_[k], targets_[k], back);
        if (back) {
          kept = true;
          continue;
        }
        backedUp_[k] = false;
      }
      if (!temps_[k].empty()) fs::remove(temps_[k], ignored);
    }
    if (!kept) RemoveStage();
    while (madeCount_ > 0) {
      std::error_code ignored;
      fs::remove(made_[--madeCount_], ignored);  // only when empty
    }
  }

  void RemoveStage() noexcept {
    if (!staged_) return;
    rmdir(stageTemplate_.c_str());  // only when empty
    staged_ = false;
  }

 public:
  /* After a failed Run(): the previous files that could not be moved back,
  ** for the error text. */
  std::string Stranded() const {
    std::string lost;
    for (size_t k = 0; k < files_.size(); ++k) {
      if (backedUp_[k])
        lost += "; the previous " + targets_[k].filename().string() + " stays as " +
                backups_[k].string();
    }
    return lost;
  }

 private:
  const std::vector<std::pair<std::string, dmw::DataFile>>& files_;
  const fs::path dir_;
  const std::vector<fs::path> made_;
  size_t madeCount_ = 0;
  std::vector<fs::path> targets_, temps_, backups_;
  std::string stageTemplate_;
  bool staged_ = false;
  std::vector<bool> backedUp_, placed_;
};

}  // namespace

/* Putting the new files in place is all or nothing (see Placing): a
** failure at any step removes the new files placed so far and moves the
** previous ones back, so the folder holds the previous set again; only
** after the last new file is in place are the previous ones removed. A
** folder in a data file's place is not moved aside: it is a failure like
** any other. */
void WriteDataFiles(const CompiledNet& net, const std::string& dir) {
  auto files = BuildDataFiles(net);
  Placing placing(files, dir);
  try {
    placing.Run();
  } catch (const CompileError& e) {
    const std::string lost = placing.Stranded();
    if (lost.empty()) throw;
    throw CompileError(e.what() + lost);
  }
}

}  // namespace zolmanet
