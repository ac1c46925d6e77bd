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

bool Withdrawn(uint16_t day) { return (day & kWithdrawn) != 0; }
uint16_t Day(uint16_t day) { return static_cast<uint16_t>(day & 0x7FFF); }

void Stamp(dmw::DataFile* f, const CompiledNet& net) {
  f->creation_time = net.created ? static_cast<int32_t>(net.created) : dmw::kDefaultCreationTime;
  if (!net.versionInfo.empty()) f->setVersionsInfo(net.versionInfo);
}

dmw::DataFile Ebhf(const CompiledNet& net) {
  std::vector<dmw::EbhfRecord> out;
  out.reserve(net.ebhf.size());
  for (const EbhfRecord& r : net.ebhf) {
    dmw::EbhfRecord w;
    w.station_number = r.station;
    w.valid_from = Day(r.validFrom);
    w.withdrawn = Withdrawn(r.validFrom);
    w.station_name = r.name;
    w.second_name = r.name2;
    w.further_name = r.code;
    w.tariff_area = r.area;
    w.flag_chars.assign(r.flagChars, 3);
    w.flag_letters.assign(r.flagLetters, 14);
    out.push_back(std::move(w));
  }
  return dmw::ebhfFile(std::move(out));
}

dmw::DataFile Pbhf(const CompiledNet& net) {
  std::vector<dmw::PbhfRecord> out;
  for (const PbhfRecord& r : net.pbhf) {
    dmw::PbhfRecord w;
    w.station_name = r.name;
    w.valid_from = Day(r.validFrom);
    w.withdrawn = Withdrawn(r.validFrom);
    w.station_number = r.station;
    out.push_back(std::move(w));
  }
  return dmw::pbhfFile(std::move(out));
}

dmw::DataFile Fehl(const CompiledNet& net) {
  std::vector<dmw::FehlRecord> out;
  for (const FehlRecord& r : net.fehl) {
    dmw::FehlRecord w;
    w.variant = r.variant;
    w.subsystem_id = std::string{r.ssid[0], r.ssid[1]};
    w.message_number = r.number;
    w.valid_from = Day(r.validFrom);
    w.withdrawn = Withdrawn(r.validFrom);
    w.text_pattern = r.pattern;
    out.push_back(std::move(w));
  }
  return dmw::fehlFile(std::move(out));
}

dmw::DataFile Sten(const CompiledNet& net) {
  std::vector<dmw::StenPair> out;
  out.reserve(net.sten.size());
  for (const StenRecord& r : net.sten) {
    dmw::StenPair w;
    w.station_a = r.a;
    w.station_b = r.b;
    w.valid_from = Day(r.validFrom);
    w.withdrawn = Withdrawn(r.validFrom);
    w.km_part1 = r.km1;
    w.km_part2 = r.km2;
    w.flags = r.flags;
    out.push_back(w);
  }
  return dmw::stenFile(out);
}

dmw::DataFile Gren(const CompiledNet& net) {
  std::vector<dmw::GrenPair> out;
  const uint64_t n = net.grenNodes.size();
  out.reserve(net.gren.size() + net.grenHistory.size());
  auto add = [&](uint64_t i, uint64_t j, const GrenEntry& e) {
    dmw::GrenPair w;
    w.station_a = net.grenNodes[i];
    w.station_b = net.grenNodes[j];
    w.valid_from = Day(e.validFrom);
    w.withdrawn = Withdrawn(e.validFrom);
    w.km_part1 = e.km1;
    w.km_part2 = e.km2;
    w.route_text_number = e.routeText;
    w.flags = e.flags;
    out.push_back(w);
  };
  for (uint64_t i = 0; i < n; ++i) {
    for (uint64_t j = i + 1; j < n; ++j) add(i, j, net.gren[GrenIndex(i, j, n)]);
  }
  for (const GrenHistory& h : net.grenHistory) {
    add(static_cast<uint64_t>(h.i), static_cast<uint64_t>(h.j), h.entry);
  }
  return dmw::grenFile(net.grenNodes, out);
}

dmw::DataFile Tdrg(const CompiledNet& net) {
  std::vector<dmw::TdrgEntry> out;
  for (const TdrgRecord& r : net.tdrg) {
    dmw::TdrgEntry w;
    w.area_number = r.area;
    w.node_station = r.node;
    w.valid_from = Day(r.validFrom);
    w.withdrawn = Withdrawn(r.validFrom);
    out.push_back(w);
  }
  return dmw::tdrgFile(out);
}

dmw::DataFile Rbgt(const CompiledNet& net) {
  std::vector<dmw::RbgtEntry> out;
  for (const RbgtRecord& r : net.rbgt) {
    dmw::RbgtEntry w;
    w.route_text_number = r.number;
    w.valid_from = Day(r.validFrom);
    w.withdrawn = Withdrawn(r.validFrom);
    w.station1 = r.station1;
    w.station2 = r.station2;
    w.name = r.text;
    out.push_back(std::move(w));
  }
  return dmw::rbgtFile(out);
}

dmw::DataFile Fbrr(const CompiledNet& net) {
  std::vector<dmw::FbrrRecord> out;
  for (const FbrrRecord& r : net.fbrr) {
    dmw::FbrrRecord w;
    w.key_number = r.key;
    w.relation_number = r.number;
    w.valid_from = r.validFrom;
    for (int k = 0; k < 4; ++k) {
      w.stations[static_cast<size_t>(k)] = r.stations[k];
      w.numbers[static_cast<size_t>(k)] = r.km[k];
    }
    w.valid_to = r.validTo;
    out.push_back(w);
  }
  return dmw::fbrrFile(out);
}

dmw::DataFile Fbrw(const CompiledNet& net) {
  std::vector<dmw::FbrwRecord> out;
  for (const FbrwRecord& r : net.fbrw) {
    dmw::FbrwRecord w;
    w.key1 = r.key1;
    w.key2 = r.key2;
    w.group = r.group;
    w.valid_from = Day(r.validFrom);
    w.withdrawn = Withdrawn(r.validFrom);
    w.station_number = r.station;
    w.u8_16 = static_cast<uint8_t>(r.kind);
    out.push_back(w);
  }
  return dmw::fbrwFile(std::move(out));
}

}  // namespace

std::vector<std::pair<std::string, dmw::DataFile>> BuildDataFiles(const CompiledNet& net) {
  std::vector<std::pair<std::string, dmw::DataFile>> files;
  try {
    files.emplace_back("DMFEHL", Fehl(net));
    files.emplace_back("DMEBHF", Ebhf(net));
    files.emplace_back("DMFBRR", Fbrr(net));
    files.emplace_back("DMFBRW", Fbrw(net));
    files.emplace_back("DMGREN", Gren(net));
    files.emplace_back("DMRBGT", Rbgt(net));
    files.emplace_back("DMSTEN", Sten(net));
    files.emplace_back("DMTDRG", Tdrg(net));
    files.emplace_back("DMPBHF", Pbhf(net));
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
