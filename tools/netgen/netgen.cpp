/*
** The synthetic network generator (see netgen.h).
**
** Random numbers come from splitmix64, so the network is the same on every
** platform and standard library for a given seed.
*/
#include "tools/netgen/netgen.h"

#include <set>
#include <string>
#include <vector>

#include "tools/zolmanet/nettext.h"

namespace netgen {

namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  /* Uniform in 0 .. n - 1 (n small, so the bias is negligible). */
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }

 private:
  uint64_t state_;
};

const char* const kPrefix[] = {"",      "Ober",  "Unter",  "Groß",   "Klein", "Alt",  "Neu",
                               "Bad ",  "Hohen", "Nieder", "Mittel", "Wald",  "Berg", "Mühl",
                               "Kirch", "Schön", "Lang",   "Roth",   "Weiß",  "Hof"};
const char* const kStem[] = {"bach",    "bühl",  "dorf",    "feld",  "hausen", "heim",   "hofen",
                             "kirchen", "stätt", "wöhr",    "brunn", "grün",   "lohe",   "mühle",
                             "reuth",   "see",   "stein",   "tal",   "weiler", "wies",   "zell",
                             "au",      "burg",  "eck",     "furt",  "gmünd",  "hain",   "höchst",
                             "leiten",  "markt", "münster", "ried",  "schlag", "weiden", "winkel",
                             "kreuth",  "sülz",  "lach",    "ach",   "roda"};

/* Every word of a name begins with a capital ("Bad Zell"); the stems are
** ASCII where they begin, so only a-z needs raising. */
std::string Capitalise(std::string s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if ((i == 0 || s[i - 1] == ' ') && s[i] >= 'a' && s[i] <= 'z')
      s[i] = static_cast<char>(s[i] - 'a' + 'A');
  }
  return s;
}

}  // namespace

int LargestGrid(int between) {
  auto fits = [&](long n) {
    return n * n <= kMaxNodeStations && n * n + 2 * n * (n - 1) * between <= kMaxStations;
  };
  int n = 1;
  while (fits(n + 1)) ++n;
  return n;
}

zolmanet::Network Generate(const Options& options) {
  using namespace zolmanet;
  const int largest = LargestGrid(options.between);
  if (options.grid > largest) {
    throw CompileError("--grid " + std::to_string(options.grid) + " is too large: with --between " +
                       std::to_string(options.between) + " the largest grid is " +
                       std::to_string(largest) + " (at most " + std::to_string(kMaxStations) +
                       " stations and " + std::to_string(kMaxNodeStations) + " node stations)");
  }
  Random rnd(options.seed);
  Network net;
  net.versionInfo = "Synthetisches Netz, Saat " + std::to_string(options.seed);
  std::string err;
  net.created = *ParseTime("2026-01-01T00:00:00", &err);
  net.firstDay = *ParseDay("2020-01-01", &err);
  const int n = options.grid;
  const int k = options.between;

  std::set<std::string> keys;
  auto name = [&]() {
    for (;;) {
      std::string s = kPrefix[rnd.Below(sizeof kPrefix / sizeof kPrefix[0])];
      s += kStem[rnd.Below(sizeof kStem / sizeof kStem[0])];
      s = Capitalise(s);
      std::string base = s;
      for (int i = 2; !keys.insert(*PbhfKey(s, &err)).second; ++i)
        s = base + " " + std::to_string(i);
      if (Utf8Length(s) <= 20) return s;
    }
  };

  /* Node stations, row by row; numbers from 1. */
  uint32_t next = 1;
  std::vector<uint32_t> node(static_cast<size_t>(n * n));
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      Station s;
      s.number = next++;
      s.name = name() + " Hbf";
      if (Utf8Length(s.name) > 20) s.name = name();
      s.kind = rnd.Below(4) == 0 ? 'A' : 'H';
      node[static_cast<size_t>(r * n + c)] = s.number;
      net.stations.push_back(s);
    }
  }
  /* Areas: blocks of 2 x 2 squares. */
  const int blocks = (n - 1 + 1) / 2;
  auto blockOf = [&](int r, int c) {
    return static_cast<uint16_t>((r / 2) * blocks + (c / 2) + 1);
  };
  for (int br = 0; br * 2 < n - 1; ++br) {
    for (int bc = 0; bc * 2 < n - 1; ++bc) {
      Area a;
      a.number = static_cast<uint16_t>(br * blocks + bc + 1);
      a.name = "Gebiet " + std::to_string(a.number);
      for (int r = br * 2; r <= br * 2 + 2 && r < n; ++r) {
        for (int c = bc * 2; c <= bc * 2 + 2 && c < n; ++c)
          a.nodes.push_back(node[static_cast<size_t>(r * n + c)]);
      }
      net.areas.push_back(a);
    }
  }
  /* One line per grid stretch, with its ordinary stations. */
  auto stretch = [&](int r1, int c1, int r2, int c2) {
    Line l;
    uint32_t from = node[static_cast<size_t>(r1 * n + c1)],
             to = node[static_cast<size_t>(r2 * n + c2)];
    l.name = "Strecke " + std::to_string(from) + "-" + std::to_string(to);
    /* The stretch lies in the block of its upper-left end; clamp at the
    ** last row and column, whose stretches belong to the block before. */
    int br = std::min(r1, r2), bc = std::min(c1, c2);
    if (br == n - 1) br = n - 2;
    if (bc == n - 1) bc = n - 2;
    uint16_t area = blockOf(br, bc);
    int64_t km = 0;
    Stop s0;
    s0.station = from;
    l.stops.push_back(s0);
    for (int i = 0; i <= k; ++i) {
      km += 1 + rnd.Below(2);
      Stop s;
      s.km = km;
      if (i == k) {
        s.station = to;
      } else {
        Station st;
        st.number = next++;
        st.name = name();
        st.area = area;
        if (rnd.Below(50) == 0)
          st.listFlag = 'N';
        else if (rnd.Below(100) == 0)
          st.flag8 = 'J';
        net.stations.push_back(st);
        s.station = st.number;
      }
      l.stops.push_back(s);
    }
    net.lines.push_back(l);
  };
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (c + 1 < n) stretch(r, c, r, c + 1);
      if (r + 1 < n) stretch(r, c, r + 1, c);
    }
  }
  return net;
}

}  // namespace netgen
