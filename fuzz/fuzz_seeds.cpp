/*
** fuzz_seeds: writes the seed corpora of the fuzz targets.
**
**   fuzz_seeds OUT SAMPLE-DATA SAMPLE-DESCRIPTION FIXTURES
**
** OUT/<target>/ receives, for
**   fuzz_loader    every data file of the sample data set, the data files
**                  of each fixture network, and one small file of each table
**                  the sample has no file of, all made by the data-file writer;
**   fuzz_request   the engine's seven data files of the sample and of each
**                  fixture network, packed as the target reads them;
**   fuzz_compiler  the whole sample description as one text, and each fixture;
**   fuzz_names     every station name and alias of the sample (code page
**                  1252, as typed), a prefix of it and its first word with a
**                  blank;
**   fuzz_format    one input per message text of the sample, with the
**                  parameter types its raiser passes.
** The seeds are made from the sources at build time, so that they follow
** the sample network when it changes. OUT/.written marks a complete run.
*/
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_request.h"
#include "tools/dmwriter/dmwriter.h"
#include "tools/zolmanet/netcatalog.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/nettext.h"
#include "tools/zolmanet/netwrite.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Put(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) throw std::runtime_error((dir / name).string() + ": cannot be written");
}

std::string Str(const dmw::Bytes& b) { return std::string(b.begin(), b.end()); }

std::vector<fs::path> Sorted(const fs::path& dir, const std::string& ext) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file() && (ext.empty() || e.path().extension() == ext))
      out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

/* The data files of a network by physical name. */
std::map<std::string, std::string> Compiled(const std::string& text, const std::string& name) {
  zolmanet::Network net;
  zolmanet::ParseText(name, text, &net);
  std::map<std::string, std::string> out;
  for (const auto& [phys, file] : zolmanet::BuildDataFiles(zolmanet::Compile(net)))
    out[phys] = Str(file.bytes());
  return out;
}

std::string Request(const std::map<std::string, std::string>& files) {
  std::vector<std::string> parts;
  for (const char* code : zfuzz::kRequestTables) {
    auto it = files.find(std::string("DM") + code);
    parts.push_back(it == files.end() ? std::string() : it->second);
  }
  return zfuzz::PackRequestInput(parts);
}

/* One small file of each table the sample data set has no file of. */
void OtherTables(const fs::path& dir) {
  dmw::EbggRecord g;
  g.key1 = 1;
  g.key2 = 2;
  g.valid_from = 100;
  g.text_16 = "Profil";
  dmw::EbggRecord g2 = g;
  g2.key2 = 3;
  Put(dir, "EBGG", Str(dmw::ebggFile({g, g2}).bytes()));
  dmw::EbgbRecord b;
  b.key1 = 2;
  b.key2 = 10001;
  b.group = 10001;
  b.valid_from = 100;
  b.text_12 = "Punkt";
  Put(dir, "EBGB", Str(dmw::ebgbFile({b}).bytes()));
  dmw::NgatRecord n;
  n.key_part1 = 1;
  n.key_part2 = 2;
  n.valid_from = 100;
  n.value = 7;
  Put(dir, "NGAT", Str(dmw::ngatFile({n}).bytes()));
  dmw::NesrRecord s;
  s.key_part1 = 1;
  s.key_part2 = 2;
  s.valid_from = 100;
  Put(dir, "NESR", Str(dmw::nesrFile({s}).bytes()));
  dmw::LostRecord l;
  l.key_part1 = 1;
  l.valid_from = 100;
  l.text1 = "eins";
  l.text2 = "zwei";
  l.text3 = "drei";
  Put(dir, "LOST", Str(dmw::lostFile({l}).bytes()));
}

/* A formatter input: "MODE SIZE VARIANT", the type letters, the pattern,
** then one line per parameter (see fuzz_format.cpp). */
std::string FormatSeed(const std::string& pattern, const std::string& types) {
  std::string s = "0 199 D\n" + types + "\n" + pattern + "\n";
  int k = 0;
  for (char t : types) {
    ++k;
    if (t == 's' || t == 'a')
      s += "Bamberg\n";
    else if (t == 't')
      s += "1767225600\n";
    else
      s += std::to_string(k * 1000 + 1) + "\n";
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: fuzz_seeds OUT SAMPLE-DATA SAMPLE-DESCRIPTION FIXTURES\n");
    return 2;
  }
  const fs::path out = argv[1], data = argv[2], desc = argv[3], fixtures = argv[4];
  try {
    fs::remove(out / ".written");
    /* Table loader: the sample's files, the fixtures' files, other tables. */
    std::map<std::string, std::string> sample;
    for (const fs::path& f : Sorted(data, "")) {
      if (f.filename().string().rfind("DM", 0) != 0) continue;
      sample[f.filename().string()] = Slurp(f);
      Put(out / "fuzz_loader", "sample-" + f.filename().string(), sample[f.filename().string()]);
    }
    OtherTables(out / "fuzz_loader");

    /* Descriptions. */
    std::string whole;
    for (const fs::path& f : Sorted(desc, ".net")) whole += Slurp(f);
    Put(out / "fuzz_compiler", "sample.net", whole);
    Put(out / "fuzz_request", "sample", Request(sample));
    for (const fs::path& f : Sorted(fixtures, ".net")) {
      const std::string text = Slurp(f);
      const std::string stem = f.stem().string();
      Put(out / "fuzz_compiler", stem + ".net", text);
      auto files = Compiled(text, f.filename().string());
      for (const auto& [phys, bytes] : files) Put(out / "fuzz_loader", stem + "-" + phys, bytes);
      Put(out / "fuzz_request", stem, Request(files));
    }

    /* Station names as typed, and message texts with their types. */
    zolmanet::Network net;
    zolmanet::ParseText("sample.net", whole, &net);
    int k = 0;
    for (const zolmanet::Station& st : net.stations) {
      std::vector<std::string> names = st.aliases;
      names.push_back(st.name);
      for (const std::string& n : names) {
        std::string err;
        auto w = zolmanet::ToWin1252(n, &err);
        if (!w) continue;
        ++k;
        Put(out / "fuzz_names", "name-" + std::to_string(k), *w);
        Put(out / "fuzz_names", "prefix-" + std::to_string(k), w->substr(0, 3));
        size_t blank = w->find(' ');
        if (blank != std::string::npos)
          Put(out / "fuzz_names", "word-" + std::to_string(k), w->substr(0, blank + 1));
      }
    }
    for (const zolmanet::Message& m : net.messages) {
      std::string err;
      auto din = zolmanet::ToDin66003(m.text, &err);
      if (!din) continue;
      const zolmanet::CatalogEntry* c = zolmanet::FindCatalogEntry(m.ssid, m.number);
      std::string name =
          std::string(1, m.variant) + std::string(m.ssid, 2) + std::to_string(m.number);
      Put(out / "fuzz_format", name, FormatSeed(*din, c ? c->types : ""));
    }
    Put(out, ".written", "");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
