/*
** The network compiler (see netcompile.h).
**
** Checks run in the order stations, areas, lines, route descriptions,
** relations, messages; the first failure ends the compilation with its file
** and line. STEN pairs: neighbours on a line, two stations of one area
** joined without passing a node station (both competing with the route over
** the nodes), and each station with the node stations of its area (final).
** The derived tables are computed per epoch: the network's first
** day and every day on which a kilometre change takes effect. A pair whose
** kilometres differ from one epoch to the next gets a new version from that
** day on; a STEN pair that disappears gets a withdrawn version.
*/
#include "tools/zolmanet/netcompile.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "common/dtacc/dm/dm_bhfnr.h"
#include "tools/zolmanet/netcatalog.h"
#include "tools/zolmanet/netgraph.h"
#include "tools/zolmanet/nettext.h"

namespace zolmanet {

namespace {

[[noreturn]] void Fail(const Pos& pos, const std::string& text) {
  throw CompileError(At(pos, text));
}

/* The text widths: the writer's, and the longest route description the
** compiler takes. */
constexpr size_t kName = dmw::kStationNameWidth;
constexpr size_t kCode = dmw::kShortCodeWidth;
constexpr size_t kMessage = dmw::kMessageTextWidth;
constexpr size_t kRouteText = 40;

std::string Where(const Pos& pos) { return pos.file + ":" + std::to_string(pos.line); }

std::string Pad(const std::string& s, size_t n) {
  std::string out = s;
  out.resize(n, ' ');
  return out;
}

bool IsNode(const Station& s) { return s.kind == 'H' || s.kind == 'A'; }

std::string Dos(const std::string& text, size_t maxLen, const Pos& pos, const char* what) {
  std::string err;
  auto d = ToDos(text, &err);
  if (!d) Fail(pos, std::string(what) + " '" + text + "': " + err);
  if (d->size() > maxLen) {
    Fail(pos, std::string(what) + " '" + text + "' is " + std::to_string(d->size()) +
                  " characters long; at most " + std::to_string(maxLen) + " fit");
  }
  return *d;
}

/* The STEN flags of a pair whose kilometres a way over node stations may
** undercut (second letter 'A'). */
const uint16_t kNodeRouteCompetes = dmw::stenFlags('N', 'A', 'N');

/* Kilometres of one STEN or GREN pair in one epoch. */
struct PairValue {
  uint16_t km1 = 0, km2 = 0, flags = 0;
  bool operator==(const PairValue& o) const {
    return km1 == o.km1 && km2 == o.km2 && flags == o.flags;
  }
};

constexpr size_t kMaxNodesForDerivedTexts = 2000;

/* A node station that an ordinary station reaches without passing another
** node, with the kilometres of that way. */
struct Bound {
  uint32_t node; /* index among the node stations */
  uint32_t total, part2;
};

struct Stretch {
  uint32_t a = 0, b = 0; /* station indices */
  int part = 1;
  uint32_t km = 0;
  std::vector<std::pair<uint16_t, uint32_t>> changes; /* (day, km), ascending */
  uint32_t KmOn(uint16_t day) const {
    uint32_t k = km;
    for (const auto& c : changes) {
      if (c.first <= day) k = c.second;
    }
    return k;
  }
};

class Compiler {
 public:
  explicit Compiler(const Network& net) : net_(net) {}

  CompiledNet Run() {
    out_.versionInfo = net_.versionInfo;
    out_.headerPos = net_.headerPos;
    out_.created = net_.created;
    Stations();
    Areas();
    Lines();
    RouteTexts();
    Derived();
    Relations();
    Messages();
    return std::move(out_);
  }

 private:
  /* Stations ------------------------------------------------------------ */

  void Stations() {
    std::map<uint32_t, size_t> first;
    for (size_t k = 0; k < net_.stations.size(); ++k) {
      const Station& s = net_.stations[k];
      /* The parser keeps numbers in range; a generated network is checked
      ** here, since every table keys a station by its local number. */
      if (s.number == 0 || s.number > 99999) {
        Fail(s.pos, "station number " + std::to_string(s.number) + " lies outside 1 .. 99999");
      }
      auto [it, fresh] = first.emplace(s.number, k);
      if (!fresh) {
        Fail(s.pos, "station number " + std::to_string(s.number) + " is given twice (first at " +
                        Where(net_.stations[it->second].pos) + ")");
      }
    }
    /* Stations are indexed in ascending number order. */
    for (const auto& [number, k] : first) {
      index_[number] = static_cast<uint32_t>(order_.size());
      order_.push_back(k);
    }
    std::map<std::string, const Station*> keys;
    for (size_t k : order_) {
      const Station& s = net_.stations[k];
      if (s.name.empty()) Fail(s.pos, "station " + std::to_string(s.number) + " has an empty name");
      dmw::EbhfRecord r;
      r.station_number = s.number;
      r.station_name = Pad(Dos(s.name, kName, s.pos, "station name"), kName);
      r.second_name = Pad(Dos(s.name2.empty() ? s.name : s.name2, kName, s.pos, "second name"), kName);
      r.further_name = Pad(Dos(s.code, kCode, s.pos, "short code"), kCode);
      if (IsNode(s)) {
        if (s.area != 0) {
          Fail(s.pos,
               "node station " + std::to_string(s.number) +
                   " names a tariff area; node stations join areas through the areas' node lists");
        }
      } else if (s.area == 0) {
        Fail(s.pos, "station " + std::to_string(s.number) + " has no tariff area (gebiet=...)");
      }
      r.tariff_area = s.area;
      r.flag_chars = {'J', s.listFlag, 'N'};
      r.flag_letters.assign(14, 'N');
      r.flag_letters[5] = s.kind;
      r.flag_letters[8] = s.flag8;
      r.flag_letters[9] = s.flag9;
      r.flag_letters[11] = s.kmPart;
      uint16_t from = s.validFrom == kNoDay ? net_.firstDay : s.validFrom;
      if (s.withdrawn != kNoDay && s.withdrawn <= from) {
        Fail(s.pos,
             "station " + std::to_string(s.number) + " is withdrawn on or before the day it opens");
      }
      if (s.withdrawn != kNoDay) {
        dmw::EbhfRecord w = r;
        w.valid_from = s.withdrawn;
        w.withdrawn = true;
        out_.ebhf.push_back(w);
      }
      r.valid_from = from;
      out_.ebhf.push_back(r);

      std::vector<std::string> names{s.name};
      names.insert(names.end(), s.aliases.begin(), s.aliases.end());
      for (const std::string& name : names) {
        std::string err;
        auto key = PbhfKey(name, &err);
        if (!key) Fail(s.pos, "station name '" + name + "': " + err);
        if (key->empty()) Fail(s.pos, "station name '" + name + "' gives an empty lookup key");
        auto [it, fresh] = keys.emplace(*key, &s);
        if (!fresh) {
          Fail(s.pos, "station name '" + name + "' (lookup key " + *key +
                          ") is already the name of station " + std::to_string(it->second->number) +
                          " (" + Where(it->second->pos) + ")");
        }
        dmw::PbhfRecord p;
        p.station_name = Pad(*key, kName);
        p.station_number = s.number;
        if (s.withdrawn != kNoDay) {
          p.valid_from = s.withdrawn;
          p.withdrawn = true;
          out_.pbhf.push_back(p);
          p.withdrawn = false;
        }
        p.valid_from = from;
        out_.pbhf.push_back(p);
      }
    }
  }


  const Station* Find(uint32_t number) const {
    auto it = index_.find(number);
    return it == index_.end() ? nullptr : &net_.stations[order_[it->second]];
  }

  /* Areas --------------------------------------------------------------- */

  void Areas() {
    std::map<uint16_t, const Area*> seen;
    for (const Area& a : net_.areas) {
      auto [it, fresh] = seen.emplace(a.number, &a);
      if (!fresh) {
        Fail(a.pos, "tariff area " + std::to_string(a.number) + " is given twice (first at " +
                        Where(it->second->pos) + ")");
      }
      if (a.nodes.size() > 10) {
        Fail(a.pos, "tariff area " + std::to_string(a.number) + " has " +
                        std::to_string(a.nodes.size()) + " node stations; at most 10 are allowed");
      }
      std::set<uint32_t> inArea;
      for (uint32_t n : a.nodes) {
        const Station* s = Find(n);
        if (!s)
          Fail(a.pos, "tariff area " + std::to_string(a.number) + " names unknown station " +
                          std::to_string(n));
        if (!IsNode(*s)) {
          Fail(a.pos, "station " + std::to_string(n) + " in the node list of tariff area " +
                          std::to_string(a.number) + " is no node station (art=H or art=A)");
        }
        if (!inArea.insert(n).second) {
          Fail(a.pos, "tariff area " + std::to_string(a.number) + " names node station " +
                          std::to_string(n) + " twice");
        }
      }
    }
    for (size_t k : order_) {
      const Station& s = net_.stations[k];
      if (!IsNode(s) && !seen.count(s.area)) {
        Fail(s.pos, "station " + std::to_string(s.number) + " names tariff area " +
                        std::to_string(s.area) + ", which is not described");
      }
    }
    std::vector<const Area*> sorted;
    for (const auto& [number, a] : seen) sorted.push_back(a);
    for (const Area* a : sorted) {
      for (uint32_t n : a->nodes) {
        dmw::TdrgEntry t;
        t.area_number = a->number;
        t.node_station = n;
        t.valid_from = net_.firstDay;
        out_.tdrg.push_back(t);
      }
    }
    areas_ = sorted;
  }

  /* Lines --------------------------------------------------------------- */

  void Lines() {
    std::map<std::pair<uint32_t, uint32_t>, size_t> stretchOf;
    std::vector<std::pair<std::string, Pos>> stretchFrom; /* line and row of each stretch */
    for (const Line& l : net_.lines) {
      if (l.stops.size() < 2) Fail(l.pos, "line '" + l.name + "' has fewer than two stations");
      std::set<uint32_t> onLine;
      for (size_t k = 0; k < l.stops.size(); ++k) {
        const Stop& st = l.stops[k];
        const Station* s = Find(st.station);
        if (!s)
          Fail(st.pos, "line '" + l.name + "' names unknown station " + std::to_string(st.station));
        if (!st.nameCheck.empty() && st.nameCheck != s->name) {
          Fail(st.pos, "line row names station " + std::to_string(st.station) + " '" +
                           st.nameCheck + "', but that station is '" + s->name + "'");
        }
        if (!onLine.insert(st.station).second) {
          Fail(st.pos,
               "station " + std::to_string(st.station) + " stands twice on line '" + l.name + "'");
        }
        if (k > 0 && st.km <= l.stops[k - 1].km) {
          Fail(st.pos, "kilometres of line '" + l.name + "' do not ascend at station " +
                           std::to_string(st.station));
        }
        if (k == 0) continue;
        Stretch sp;
        uint32_t ia = index_.at(l.stops[k - 1].station), ib = index_.at(st.station);
        sp.a = std::min(ia, ib);
        sp.b = std::max(ia, ib);
        sp.part = l.part;
        sp.km = static_cast<uint32_t>(st.km - l.stops[k - 1].km);
        /* A STEN pair holds one length, and a change from a day must reach
        ** every way over the stretch: two lines may not both give it. */
        auto given = stretchOf.find({sp.a, sp.b});
        if (given != stretchOf.end()) {
          const auto& [otherLine, otherPos] = stretchFrom[given->second];
          Fail(st.pos, "the stretch " + std::to_string(l.stops[k - 1].station) + "-" +
                           std::to_string(st.station) + " is already on line '" + otherLine +
                           "' (" + Where(otherPos) + ")");
        }
        stretchFrom.emplace_back(l.name, st.pos);
        stretchOf[{sp.a, sp.b}] = stretches_.size();
        stretches_.push_back(sp);
      }
      for (const KmChange& c : l.changes) {
        bool neighbours = false;
        for (size_t k = 1; k < l.stops.size(); ++k) {
          uint32_t x = l.stops[k - 1].station, y = l.stops[k].station;
          if ((x == c.a && y == c.b) || (x == c.b && y == c.a)) neighbours = true;
        }
        if (!neighbours) {
          Fail(c.pos, "km_ab: stations " + std::to_string(c.a) + " and " + std::to_string(c.b) +
                          " are no neighbours on line '" + l.name + "'");
        }
        if (c.from <= net_.firstDay)
          Fail(c.pos, "km_ab: the change must take effect after the network's first day");
        uint32_t ia = index_.at(c.a), ib = index_.at(c.b);
        Stretch& sp = stretches_[stretchOf.at({std::min(ia, ib), std::max(ia, ib)})];
        for (const auto& ex : sp.changes) {
          if (ex.first == c.from) Fail(c.pos, "km_ab: this stretch already changes on that day");
        }
        sp.changes.emplace_back(c.from, static_cast<uint32_t>(c.km));
        std::sort(sp.changes.begin(), sp.changes.end());
        epochs_.insert(c.from);
      }
    }
    std::vector<char> onAnyLine(order_.size(), 0);
    for (const Stretch& sp : stretches_) onAnyLine[sp.a] = onAnyLine[sp.b] = 1;
    for (size_t i = 0; i < order_.size(); ++i) {
      const Station& s = net_.stations[order_[i]];
      if (!onAnyLine[i]) Fail(s.pos, "station " + std::to_string(s.number) + " lies on no line");
    }
    if (order_.size() > kMaxStations) {
      Fail(St(static_cast<uint32_t>(kMaxStations)).pos,
           std::to_string(order_.size()) + " stations; at most " + std::to_string(kMaxStations) +
               " fit the data files");
    }
    epochs_.insert(net_.firstDay);
  }

  /* Route descriptions -------------------------------------------------- */

  struct PairText {
    uint32_t number;
    bool against;     /* written from the higher to the lower station number */
    std::string text; /* DOS code page, the newest version */
  };

  void RouteTexts() {
    std::set<uint32_t> used;
    for (const RouteText& r : net_.routeTexts) {
      if (r.number) used.insert(r.number);
    }
    uint32_t next = 1;
    std::map<std::tuple<uint32_t, uint32_t, uint16_t>, const RouteText*> seen;
    std::map<uint32_t, std::pair<uint32_t, uint32_t>> pairOfNumber;
    std::map<std::pair<uint32_t, uint32_t>, uint16_t> newestFrom;
    for (const RouteText& r : net_.routeTexts) {
      for (uint32_t st : {r.from, r.to}) {
        const Station* s = Find(st);
        if (!s) Fail(r.pos, "route description names unknown station " + std::to_string(st));
        if (!IsNode(*s))
          Fail(r.pos, "route description: station " + std::to_string(st) + " is no node station");
      }
      if (r.from == r.to) Fail(r.pos, "route description runs from a station to itself");
      uint32_t lo = std::min(r.from, r.to), hi = std::max(r.from, r.to);
      uint16_t from = r.validFrom == kNoDay ? net_.firstDay : r.validFrom;
      auto [it, fresh] = seen.emplace(std::make_tuple(lo, hi, from), &r);
      if (!fresh) {
        Fail(r.pos, "the stretch " + std::to_string(lo) + "-" + std::to_string(hi) +
                        " already has a route description from that day (" +
                        Where(it->second->pos) + ")");
      }
      std::string text = Dos(r.text, kRouteText, r.pos, "route description");
      CheckBrackets(text, r.pos);
      auto pt = pairText_.find({lo, hi});
      uint32_t number;
      if (pt != pairText_.end()) {
        number = pt->second.number;
        if (from >= newestFrom[{lo, hi}]) {
          pt->second.text = text;
          newestFrom[{lo, hi}] = from;
        }
        if (r.number && r.number != number) {
          Fail(r.pos, "the stretch already carries route-text number " + std::to_string(number));
        }
        if (pt->second.against != (r.from > r.to)) {
          Fail(r.pos, "all route descriptions of one stretch are written in the same direction");
        }
      } else {
        if (r.number)
          number = r.number;
        else {
          while (used.count(next)) ++next;
          number = next++;
          used.insert(number);
        }
        auto [pn, freshNumber] = pairOfNumber.emplace(number, std::make_pair(lo, hi));
        if (!freshNumber && pn->second != std::make_pair(lo, hi)) {
          Fail(r.pos, "route-text number " + std::to_string(number) +
                          " is already used for another stretch");
        }
        pairText_[{lo, hi}] = PairText{number, r.from > r.to, text};
        newestFrom[{lo, hi}] = from;
      }
      dmw::RbgtEntry rec;
      rec.route_text_number = number;
      rec.station1 = r.from;
      rec.station2 = r.to;
      rec.name = text;
      rec.valid_from = from;
      out_.rbgt.push_back(rec);
    }
  }

  static void CheckBrackets(const std::string& text, const Pos& pos) {
    int group = 0, aside = 0;
    for (char c : text) {
      if (c == '<') {
        if (group) Fail(pos, "route description: groups '<' '>' do not nest");
        ++group;
      } else if (c == '>') {
        if (!group) Fail(pos, "route description: '>' without '<'");
        --group;
      } else if (c == '(')
        ++aside;
      else if (c == ')') {
        if (!aside) Fail(pos, "route description: ')' without '('");
        --aside;
      }
    }
    if (group || aside) Fail(pos, "route description: a group or an aside is not closed");
  }

  /* Derived tables ------------------------------------------------------ */

  /* The node stations and the areas around them, as Derived reads them. */
  struct NodeLayout {
    std::vector<uint32_t> nodes;                       /* station indices, ascending number */
    std::map<uint16_t, std::vector<uint32_t>> members; /* non-node stations of each area */
    std::vector<char> isNode;                          /* by station index */
    std::vector<uint32_t> nodeIndex;                   /* station index -> index in nodes */
    std::vector<std::vector<uint16_t>> servedBy;       /* areas each node serves */
  };
  using PairKey = std::pair<uint32_t, uint32_t>;
  using StenOn = std::map<PairKey, PairValue>;
  /* One version of a STEN pair: from day on, value, or no pair at all. */
  struct StenVersion {
    uint16_t day = 0;
    bool withdrawn = false;
    PairValue value;
  };
  using StenVersions = std::map<PairKey, std::vector<StenVersion>>;
  using GrenVersions = std::vector<std::vector<std::pair<uint16_t, PairValue>>>;

  /* STEN and GREN: for every day on which a stretch changes, the line
  ** kilometres and the node-to-node kilometres of that day; a pair gets a
  ** record wherever its value changes. */
  void Derived() {
    const NodeLayout lay = LayOutNodes();
    const size_t nn = lay.nodes.size();
    StenVersions stenVersions;
    GrenVersions grenVersions(nn * (nn > 0 ? nn - 1 : 0) / 2);
    std::vector<uint32_t> nodePred;
    StenOn prevSten;
    bool firstEpoch = true;
    for (uint16_t day : epochs_) {
      const Graph g = GraphOn(day);
      StenOn sten = LineKmOn(day, g, lay);
      NodeWaysOn(day, g, lay, &sten, &grenVersions, &nodePred);
      AddStenVersions(day, firstEpoch, sten, prevSten, &stenVersions);
      prevSten = std::move(sten);
      firstEpoch = false;
    }
    EmitSten(stenVersions);
    if (net_.deriveRouteTexts) DeriveRouteTexts(lay.nodes, nodePred);
    EmitGren(lay.nodes, grenVersions);
  }

  /* The node stations, the members of each area and the areas each node
  ** serves; checks the number of node stations. */
  NodeLayout LayOutNodes() {
    const size_t n = order_.size();
    NodeLayout lay;
    for (uint32_t i = 0; i < n; ++i) {
      if (IsNode(St(i))) lay.nodes.push_back(i);
    }
    for (uint32_t i = 0; i < n; ++i) {
      if (!IsNode(St(i))) lay.members[St(i).area].push_back(i);
    }
    lay.isNode.assign(n, 0);
    lay.nodeIndex.assign(n, 0);
    for (size_t ni = 0; ni < lay.nodes.size(); ++ni) {
      lay.isNode[lay.nodes[ni]] = 1;
      lay.nodeIndex[lay.nodes[ni]] = static_cast<uint32_t>(ni);
    }
    const size_t nn = lay.nodes.size();
    /* The matrix holds n(n-1)/2 pairs; beyond a few thousand node stations
    ** neither it nor the GREN file stays of a sensible size. */
    if (nn > kMaxNodeStations) {
      Fail(net_.headerPos.line ? net_.headerPos : St(lay.nodes[kMaxNodeStations]).pos,
           std::to_string(nn) + " node stations; at most " + std::to_string(kMaxNodeStations) +
               " are supported");
    }
    if (net_.deriveRouteTexts && nn > kMaxNodesForDerivedTexts) {
      Fail(net_.headerPos.line ? net_.headerPos : St(lay.nodes[kMaxNodesForDerivedTexts]).pos,
           "wegetexte_ableiten=ja is for networks of at most " +
               std::to_string(kMaxNodesForDerivedTexts) + " node stations");
    }
    lay.servedBy.resize(nn);
    for (const Area* a : areas_) {
      for (uint32_t node : a->nodes)
        lay.servedBy[lay.nodeIndex[index_.at(node)]].push_back(a->number);
    }
    for (uint32_t i : lay.nodes) out_.grenNodes.push_back(St(i).number);
    return lay;
  }

  /* The network of stretches as it stands on day. */
  Graph GraphOn(uint16_t day) const {
    Graph g(order_.size());
    for (const Stretch& sp : stretches_) {
      uint32_t km = sp.KmOn(day);
      g.AddStretch(sp.a, sp.b, sp.part == 2 ? 0 : km, sp.part == 2 ? km : 0);
    }
    return g;
  }

  /* The line kilometres of day: every stretch, and two stations of one area
  ** that a way joins without passing a node station. */
  StenOn LineKmOn(uint16_t day, const Graph& g, const NodeLayout& lay) const {
    StenOn sten;
    for (const Stretch& sp : stretches_) {
      uint32_t km = sp.KmOn(day);
      PairValue v{static_cast<uint16_t>(sp.part == 2 ? 0 : km),
                  static_cast<uint16_t>(sp.part == 2 ? km : 0), kNodeRouteCompetes};
      auto key = std::make_pair(St(sp.a).number, St(sp.b).number);
      auto it = sten.find(key);
      if (it == sten.end() || v.km1 + v.km2 < it->second.km1 + it->second.km2) sten[key] = v;
    }
    /* Two stations of one area that a way joins without passing a node
    ** station: their line kilometres, against which the route over the
    ** nodes competes (the direct way of two stations on one stretch). */
    const size_t n = order_.size();
    for (uint32_t i = 0; i < n; ++i) {
      if (lay.isNode[i]) continue;
      for (const Graph::Reached& r : g.LocalWays(i, lay.isNode)) {
        if (r.station <= i || lay.isNode[r.station] || St(r.station).area != St(i).area) continue;
        PairValue v = KmValue(r.total, r.part2, St(r.station).pos, kNodeRouteCompetes);
        auto key = std::make_pair(St(i).number, St(r.station).number);
        auto it = sten.find(key);
        if (it == sten.end() || v.km1 + v.km2 < it->second.km1 + it->second.km2) sten[key] = v;
      }
    }
    return sten;
  }

  /* The ways over node stations on day: node to node into grenVersions,
  ** each station of an area to the area's nodes into sten, and (on the last
  ** day, when route texts are derived) the predecessors of the node ways.
  ** Every way leaves a station through the first node station on it: the
  ** local ways from each node (passing no other node) give the node graph
  ** and, for each ordinary station, its bounding nodes; the shortest ways
  ** between nodes then run over the node graph. */
  void NodeWaysOn(uint16_t day, const Graph& g, const NodeLayout& lay, StenOn* sten,
                  GrenVersions* grenVersions, std::vector<uint32_t>* nodePred) {
    const size_t n = order_.size();
    const size_t nn = lay.nodes.size();
    Graph nodeGraph(nn);
    std::vector<std::vector<Bound>> bounds(n);
    for (size_t ni = 0; ni < nn; ++ni) {
      for (const Graph::Reached& r : g.LocalWays(lay.nodes[ni], lay.isNode)) {
        if (lay.isNode[r.station]) {
          nodeGraph.AddStretch(static_cast<uint32_t>(ni), lay.nodeIndex[r.station],
                               r.total - r.part2, r.part2);
        } else {
          bounds[r.station].push_back(Bound{static_cast<uint32_t>(ni), r.total, r.part2});
        }
      }
    }
    std::vector<uint32_t> total, part2, pred;
    const bool lastEpoch = day == *epochs_.rbegin();
    for (size_t ni = 0; ni < nn; ++ni) {
      nodeGraph.ShortestWays(static_cast<uint32_t>(ni), &total, &part2,
                             lastEpoch ? &pred : nullptr);
      if (lastEpoch && net_.deriveRouteTexts) {
        if (nodePred->empty()) nodePred->resize(nn * nn);
        std::copy(pred.begin(), pred.end(),
                  nodePred->begin() + static_cast<std::ptrdiff_t>(ni * nn));
      }
      for (size_t nj = ni + 1; nj < nn; ++nj) {
        if (total[nj] == kUnreached) {
          Fail(St(lay.nodes[nj]).pos, "node stations " + std::to_string(St(lay.nodes[ni]).number) +
                                          " and " + std::to_string(St(lay.nodes[nj]).number) +
                                          " are joined by no line");
        }
        PairValue v = KmValue(total[nj], part2[nj], St(lay.nodes[nj]).pos, 0);
        auto& vers = (*grenVersions)[dmw::grenMatrixIndex(ni, nj, nn)];
        if (vers.empty() || !(vers.back().second == v)) vers.emplace_back(day, v);
      }
      AreaWaysToNode(ni, lay, bounds, total, part2, sten);
    }
  }

  /* Each station of an area that node ni serves: the shortest way to the
  ** node leaves the station through one of its bounding nodes. */
  void AreaWaysToNode(size_t ni, const NodeLayout& lay,
                      const std::vector<std::vector<Bound>>& bounds,
                      const std::vector<uint32_t>& total, const std::vector<uint32_t>& part2,
                      StenOn* sten) const {
    const uint32_t nodeNumber = St(lay.nodes[ni]).number;
    for (uint16_t area : lay.servedBy[ni]) {
      auto m = lay.members.find(area);
      if (m == lay.members.end()) continue;
      for (uint32_t st : m->second) {
        uint64_t best = kUnreached;
        uint32_t bestPart2 = 0;
        for (const Bound& bd : bounds[st]) {
          if (total[bd.node] == kUnreached) continue;
          uint64_t t = static_cast<uint64_t>(bd.total) + total[bd.node];
          if (t < best) {
            best = t;
            bestPart2 = bd.part2 + part2[bd.node];
          }
        }
        if (best >= kUnreached) {
          Fail(St(st).pos, "station " + std::to_string(St(st).number) +
                               " cannot reach node station " + std::to_string(nodeNumber) +
                               " of its tariff area");
        }
        PairValue v = KmValue(static_cast<uint32_t>(best), bestPart2, St(st).pos, 0);
        uint32_t x = St(st).number;
        (*sten)[{std::min(x, nodeNumber), std::max(x, nodeNumber)}] = v;
      }
    }
  }

  /* Versions: a pair that changes or appears gets a record from this day,
  ** one that disappears a withdrawn record. */
  void AddStenVersions(uint16_t day, bool firstEpoch, const StenOn& sten, const StenOn& prevSten,
                       StenVersions* stenVersions) const {
    for (const auto& [key, v] : sten) {
      auto p = prevSten.find(key);
      if (p == prevSten.end() || !(p->second == v)) {
        (*stenVersions)[key].push_back({firstEpoch ? net_.firstDay : day, false, v});
      }
    }
    for (const auto& [key, v] : prevSten) {
      if (!sten.count(key)) {
        (*stenVersions)[key].push_back({day, true, v});
      }
    }
  }

  /* The STEN records, newest first within a pair. */
  void EmitSten(const StenVersions& stenVersions) {
    for (const auto& [key, vers] : stenVersions) {
      for (auto it = vers.rbegin(); it != vers.rend(); ++it) {
        dmw::StenPair r;
        r.station_a = key.first;
        r.station_b = key.second;
        r.km_part1 = it->value.km1;
        r.km_part2 = it->value.km2;
        r.flags = it->value.flags;
        r.valid_from = it->day;
        r.withdrawn = it->withdrawn;
        out_.sten.push_back(r);
      }
    }
  }

  /* The GREN matrix with each pair's newest value, and the older values as
  ** history, newest first within a pair. */
  void EmitGren(const std::vector<uint32_t>& nodes, const GrenVersions& grenVersions) {
    const size_t nn = nodes.size();
    out_.gren.resize(grenVersions.size());
    for (size_t ni = 0; ni < nn; ++ni) {
      for (size_t nj = ni + 1; nj < nn; ++nj) {
        const uint64_t at = dmw::grenMatrixIndex(ni, nj, nn);
        const auto& vers = grenVersions[at];
        dmw::GrenPair base;
        base.station_a = St(nodes[ni]).number;
        base.station_b = St(nodes[nj]).number;
        out_.gren[at] = base;
        auto pt = pairText_.find({base.station_a, base.station_b});
        if (pt != pairText_.end()) {
          base.route_text_number = static_cast<int32_t>(pt->second.number);
          base.flags = pt->second.against ? 1 : 0;
        }
        for (size_t k = 0; k < vers.size(); ++k) {
          dmw::GrenPair e = base;
          e.km_part1 = vers[k].second.km1;
          e.km_part2 = vers[k].second.km2;
          e.valid_from = k == 0 ? net_.firstDay : vers[k].first;
          if (k + 1 == vers.size()) {
            out_.gren[at] = e;
          } else {
            out_.grenHistory.push_back(e);
          }
        }
      }
    }
    /* The node stations stand in ascending number order, so the pairs'
    ** stations order the history as the matrix does. */
    std::stable_sort(out_.grenHistory.begin(), out_.grenHistory.end(),
                     [](const dmw::GrenPair& x, const dmw::GrenPair& y) {
                       if (x.station_a != y.station_a) return x.station_a < y.station_a;
                       if (x.station_b != y.station_b) return x.station_b < y.station_b;
                       return x.valid_from > y.valid_from;
                     });
  }

  static std::vector<std::string> SplitParts(const std::string& text) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : text) {
      if (c == '#') {
        parts.push_back(cur);
        cur.clear();
      } else
        cur.push_back(c);
    }
    parts.push_back(cur);
    return parts;
  }

  static std::string JoinParts(const std::vector<std::string>& parts) {
    std::string s;
    for (size_t k = 0; k < parts.size(); ++k) s += (k ? "#" : "") + parts[k];
    return s;
  }

  static bool Balanced(const std::string& text) {
    int group = 0, aside = 0;
    for (char c : text) {
      if (c == '<') {
        if (group) return false;
        ++group;
      } else if (c == '>') {
        if (!group) return false;
        --group;
      } else if (c == '(')
        ++aside;
      else if (c == ')') {
        if (!aside) return false;
        --aside;
      }
    }
    return !group && !aside;
  }

  /* Route texts of the node pairs that have none typed and whose shortest
  ** way passes further node stations: the typed descriptions of the
  ** stretches along the way joined, or, when that is too long or cannot be
  ** turned round, the names of the node stations passed (as many as fit). A node's name is
  ** the part that typed descriptions give it at their ends, else its
  ** route-text name. */
  void DeriveRouteTexts(const std::vector<uint32_t>& nodes, const std::vector<uint32_t>& pred) {
    const size_t nn = nodes.size();
    if (pred.size() != nn * nn) return;
    std::map<uint32_t, std::string> label;
    for (const auto& [pair, pt] : pairText_) {
      std::vector<std::string> parts = SplitParts(pt.text);
      uint32_t first = pt.against ? pair.second : pair.first;
      uint32_t last = pt.against ? pair.first : pair.second;
      if (!label.count(first) && !parts.front().empty()) label[first] = parts.front();
      if (!label.count(last) && !parts.back().empty()) label[last] = parts.back();
    }
    auto labelOf = [&](uint32_t idx) {
      const Station& s = St(nodes[idx]);
      auto it = label.find(s.number);
      if (it != label.end()) return it->second;
      std::string err;
      auto d = ToDos(s.name2.empty() ? s.name : s.name2, &err);
      return d ? *d : std::string();
    };
    uint32_t next = 1;
    for (const dmw::RbgtEntry& r : out_.rbgt) next = std::max(next, r.route_text_number + 1);
    for (size_t ni = 0; ni < nn; ++ni) {
      for (size_t nj = ni + 1; nj < nn; ++nj) {
        const uint32_t lo = St(nodes[ni]).number, hi = St(nodes[nj]).number;
        if (pairText_.count({lo, hi})) continue;
        std::vector<uint32_t> way{static_cast<uint32_t>(nj)};
        while (way.back() != ni && way.size() <= nn) {
          uint32_t p = pred[ni * nn + way.back()];
          if (p == kUnreached) break;
          way.push_back(p);
        }
        if (way.back() != ni || way.size() < 3) continue;
        std::reverse(way.begin(), way.end());
        std::vector<std::string> joined;
        bool ok = true;
        for (size_t k = 0; ok && k + 1 < way.size(); ++k) {
          uint32_t a = St(nodes[way[k]]).number, b = St(nodes[way[k + 1]]).number;
          auto it = pairText_.find({std::min(a, b), std::max(a, b)});
          if (it == pairText_.end()) {
            ok = false;
            break;
          }
          std::vector<std::string> parts = SplitParts(it->second.text);
          bool writtenFromA = (a < b) != it->second.against;
          if (!writtenFromA) {
            if (it->second.text.find_first_of("<>") != std::string::npos) {
              ok = false;
              break;
            }
            std::reverse(parts.begin(), parts.end());
          }
          joined.insert(joined.end(), parts.begin() + (k == 0 ? 0 : 1), parts.end());
        }
        std::string text = JoinParts(joined);
        if (!ok || text.size() > kRouteText || !Balanced(text)) {
          std::vector<std::string> names;
          for (uint32_t idx : way) names.push_back(labelOf(idx));
          text = JoinParts(names);
          // A long way names fewer of the nodes it passes: the middle ones
          // go first, the two ends always stay.
          while ((text.size() > kRouteText || !Balanced(text)) && names.size() > 3) {
            names.erase(names.begin() + static_cast<std::ptrdiff_t>(names.size() / 2));
            text = JoinParts(names);
          }
          if (text.size() > kRouteText || !Balanced(text)) continue;
        }
        dmw::RbgtEntry rec;
        rec.route_text_number = next++;
        rec.station1 = lo;
        rec.station2 = hi;
        rec.name = text;
        rec.valid_from = net_.firstDay;
        out_.rbgt.push_back(rec);
        pairText_[{lo, hi}] = PairText{rec.route_text_number, false, text};
      }
    }
  }

  PairValue KmValue(uint32_t total, uint32_t p2, const Pos& pos, uint16_t flags) const {
    uint32_t p1 = total - p2;
    if (p1 > 65535 || p2 > 65535) Fail(pos, "a shortest way is longer than 65535 km");
    return PairValue{static_cast<uint16_t>(p1), static_cast<uint16_t>(p2), flags};
  }

  const Station& St(uint32_t i) const { return net_.stations[order_[i]]; }

  /* Relations ----------------------------------------------------------- */

  void Relations() {
    std::map<std::tuple<uint16_t, uint32_t, uint16_t>, const Relation*> seen;
    std::map<std::pair<uint16_t, uint16_t>, const Relation*> pointsKey;
    for (const Relation& r : net_.relations) {
      dmw::FbrrRecord f;
      f.key_number = r.key;
      f.relation_number = r.number;
      f.valid_from = r.validFrom == kNoDay ? net_.firstDay : r.validFrom;
      f.valid_to = r.validTo == kNoDay ? dmw::kOpenEndDay : r.validTo;
      if (f.valid_to < f.valid_from) Fail(r.pos, "relation ends before it begins");
      auto [it, fresh] = seen.emplace(std::make_tuple(r.key, r.number, f.valid_from), &r);
      if (!fresh)
        Fail(r.pos, "relation " + std::to_string(r.key) + "/" + std::to_string(r.number) +
                        " is given twice (first at " + Where(it->second->pos) + ")");
      for (int k = 0; k < 4; ++k) {
        if (r.stations[k] == 0) continue;
        if (!Find(r.stations[k]))
          Fail(r.pos, "relation names unknown station " + std::to_string(r.stations[k]));
        f.stations[static_cast<size_t>(k)] = DbBhfVoll(r.stations[k]);
      }
      /* The station lookup puts the lower of the first two stations first
      ** (and then swaps the last two), so only such a record can be found. */
      if (r.stations[0] > r.stations[1]) {
        Fail(r.pos, "relation " + std::to_string(r.key) + "/" + std::to_string(r.number) +
                        ": the first station must have the lower number of the first two");
      }
      f.numbers[0] = r.km;
      out_.fbrr.push_back(f);
      if (r.points.size() > 20) Fail(r.pos, "a relation has at most 20 points");
      /* FBRW keeps the points under the low 16 bits of the relation number. */
      if (!r.points.empty()) {
        auto [pk, freshKey] =
            pointsKey.emplace(std::make_pair(r.key, static_cast<uint16_t>(r.number & 0xFFFF)), &r);
        if (!freshKey && pk->second->number != r.number) {
          Fail(r.pos, "relation " + std::to_string(r.key) + "/" + std::to_string(r.number) +
                          " keeps its points under the same key as relation " +
                          std::to_string(pk->second->number) + " (" + Where(pk->second->pos) + ")");
        }
      }
      uint16_t group = 1;
      for (const RelationPoint& p : r.points) {
        if (!Find(p.station))
          Fail(r.pos, "relation point names unknown station " + std::to_string(p.station));
        dmw::FbrwRecord w;
        w.key1 = r.key;
        w.key2 = static_cast<uint16_t>(r.number & 0xFFFF);
        w.group = group++;
        w.valid_from = f.valid_from;
        w.station_number = DbBhfVoll(p.station);
        w.u8_16 = static_cast<uint8_t>(p.kind); /* the point's kind letter */
        out_.fbrw.push_back(w);
      }
    }
  }

  /* Messages ------------------------------------------------------------ */

  void Messages() {
    std::map<std::tuple<char, char, char, uint16_t, uint16_t>, const Message*> seen;
    for (const Message& m : net_.messages) {
      dmw::FehlRecord f;
      f.variant = m.variant;
      f.subsystem_id = std::string{m.ssid[0], m.ssid[1]};
      f.message_number = m.number;
      f.valid_from = m.validFrom == kNoDay ? net_.firstDay : m.validFrom;
      auto [it, fresh] = seen.emplace(
          std::make_tuple(m.variant, m.ssid[0], m.ssid[1], m.number, f.valid_from), &m);
      std::string id =
          std::string(1, m.variant) + " " + m.ssid[0] + m.ssid[1] + " " + std::to_string(m.number);
      if (!fresh)
        Fail(m.pos, "message " + id + " is given twice (first at " + Where(it->second->pos) + ")");
      std::string err;
      auto text = ToDin66003(m.text, &err);
      if (!text) Fail(m.pos, "message " + id + ": " + err);
      if (text->size() > kMessage) {
        Fail(m.pos, "message " + id + " is " + std::to_string(text->size()) +
                        " characters long; at most " + std::to_string(kMessage) + " fit");
      }
      if (const CatalogEntry* e = FindCatalogEntry(m.ssid, m.number)) {
        std::string bad = CheckPlaceholders(*text, e->types);
        if (!bad.empty()) Fail(m.pos, "message " + id + ": " + bad);
      }
      f.text_pattern = Pad(*text, kMessage);
      out_.fehl.push_back(f);
    }
  }

  const Network& net_;
  CompiledNet out_;
  std::map<uint32_t, uint32_t> index_; /* station number -> index */
  std::vector<size_t> order_;          /* index -> position in net_.stations */
  std::vector<const Area*> areas_;
  std::vector<Stretch> stretches_;
  std::set<uint16_t> epochs_;
  std::map<std::pair<uint32_t, uint32_t>, PairText> pairText_;
};

}  // namespace

CompiledNet Compile(const Network& net) { return Compiler(net).Run(); }

}  // namespace zolmanet
