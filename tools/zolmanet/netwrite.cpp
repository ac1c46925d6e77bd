/*
** Writing a compiled network as data files (see netwrite.h).
*/
#include "tools/zolmanet/netwrite.h"

#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace zolmanet {

const char* g_failWriteOf = nullptr;
const char* g_failRenameOf = nullptr;

namespace {

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
  } catch (const std::exception& e) {
    throw CompileError(std::string("data-file writer: ") + e.what());
  }
  /* The stamp carries the version info of the 'netz' line: a text the
  ** writer refuses is that line's fault. */
  try {
    for (auto& f : files) Stamp(&f.second, net);
  } catch (const std::exception& e) {
    throw CompileError(
        At(net.headerPos, std::string("versionsinfo: data-file writer: ") + e.what()));
  }
  return files;
}

/* Putting the new files in place is all or nothing: every previous data
** file is first moved to a backup name ("DMSTEN.bak"), then every new file
** is renamed from its temporary name. A failure in either step removes
** the new files placed so far and moves the backups back, so the folder
** holds the previous set again; only after the last new file is in place
** are the backups removed. A folder in a data file's place is not moved
** aside: it is a failure like any other. */
void WriteDataFiles(const CompiledNet& net, const std::string& dir) {
  namespace fs = std::filesystem;
  auto files = BuildDataFiles(net);
  std::error_code ec;
  // A folder made for this run goes again when the run fails.
  const bool madeDir = !fs::exists(dir, ec);
  fs::create_directories(dir, ec);
  if (ec) throw CompileError(dir + ": cannot create the output folder: " + ec.message());
  const size_t n = files.size();
  std::vector<fs::path> temps, targets, backups;
  for (const auto& f : files) {
    temps.push_back(fs::path(dir) / (f.first + ".tmp"));
    targets.push_back(fs::path(dir) / f.first);
    backups.push_back(fs::path(dir) / (f.first + ".bak"));
  }
  std::vector<bool> backedUp(n, false), placed(n, false);
  auto undo = [&](const fs::path& failed, const std::string& what) {
    std::string lost;
    for (size_t k = 0; k < n; ++k) {
      std::error_code ignored;
      if (placed[k]) fs::remove(targets[k], ignored);
      if (backedUp[k]) {
        std::error_code back;
        fs::rename(backups[k], targets[k], back);
        if (back)
          lost += "; the previous " + targets[k].filename().string() + " stays as " +
                  backups[k].string();
      }
      fs::remove(temps[k], ignored);
    }
    if (madeDir) {
      std::error_code ignored;
      fs::remove(dir, ignored);  // only when empty
    }
    throw CompileError(failed.string() + ": " + what + lost);
  };

  for (size_t k = 0; k < n; ++k) {
    try {
      if (g_failWriteOf && files[k].first == g_failWriteOf)
        throw std::runtime_error("no space left on device");
      files[k].second.write(temps[k]);
    } catch (const std::exception& e) {
      undo(targets[k], std::string("cannot be written: ") + e.what());
    }
  }
  for (size_t k = 0; k < n; ++k) {
    fs::file_status st = fs::symlink_status(targets[k], ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
      undo(targets[k], "cannot be replaced: " + ec.message());
    ec.clear();
    if (!fs::exists(st)) continue;
    if (fs::is_directory(st)) {
      undo(targets[k],
           "cannot be replaced: " + std::make_error_code(std::errc::is_a_directory).message());
    }
    fs::rename(targets[k], backups[k], ec);
    if (ec) undo(targets[k], "cannot be replaced: " + ec.message());
    backedUp[k] = true;
  }
  for (size_t k = 0; k < n; ++k) {
    if (g_failRenameOf && files[k].first == g_failRenameOf) {
      ec = std::make_error_code(std::errc::io_error);
    } else {
      fs::rename(temps[k], targets[k], ec);
    }
    if (ec) undo(targets[k], "cannot be renamed into place: " + ec.message());
    placed[k] = true;
  }
  for (size_t k = 0; k < n; ++k) {
    std::error_code ignored;
    if (backedUp[k]) fs::remove(backups[k], ignored);
  }
}

}  // namespace zolmanet
