/*
** Writing a network back as a description (see netprint.h).
*/
#include "tools/zolmanet/netprint.h"

#include <sstream>

#include "tools/zolmanet/nettext.h"

namespace zolmanet {

namespace {

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

std::string Date(uint16_t day) { return DayText(day); }

}  // namespace

std::string PrintDescription(const Network& net) {
  std::ostringstream o;
  o << "netz";
  if (!net.versionInfo.empty()) o << " versionsinfo=" << Quote(net.versionInfo);
  o << " erstellt=" << TimeText(net.created) << " gueltig_ab=" << Date(net.firstDay);
  if (net.deriveRouteTexts) o << " wegetexte_ableiten=ja";
  o << "\n\n";
  for (const Station& s : net.stations) {
    o << "bahnhof " << s.number << " " << Quote(s.name);
    if (!s.name2.empty()) o << " name2=" << Quote(s.name2);
    if (!s.code.empty()) o << " kuerzel=" << Quote(s.code);
    if (s.kind != 'B') o << " art=" << s.kind;
    if (s.area) o << " gebiet=" << s.area;
    if (s.listFlag != 'J') o << " liste=" << s.listFlag;
    if (s.flag8 != 'N') o << " merkmal8=" << s.flag8;
    if (s.flag9 != 'N') o << " merkmal9=" << s.flag9;
    if (s.kmPart != 'A') o << " kmteil=" << s.kmPart;
    if (s.validFrom != kNoDay) o << " ab=" << Date(s.validFrom);
    if (s.withdrawn != kNoDay) o << " entfaellt=" << Date(s.withdrawn);
    for (const std::string& a : s.aliases) o << " alias=" << Quote(a);
    o << "\n";
  }
  o << "\n";
  for (const Area& a : net.areas) {
    o << "gebiet " << a.number << " " << Quote(a.name) << " knoten=";
    for (size_t k = 0; k < a.nodes.size(); ++k) o << (k ? "," : "") << a.nodes[k];
    o << "\n";
  }
  for (const Line& l : net.lines) {
    o << "\nstrecke " << Quote(l.name);
    if (l.part != 1) o << " teil=" << l.part;
    o << "\n";
    for (const Stop& s : l.stops) {
      o << "  " << s.km << " " << s.station;
      if (!s.nameCheck.empty()) o << " " << Quote(s.nameCheck);
      o << "\n";
    }
    for (const KmChange& c : l.changes) {
      o << "  km_ab " << Date(c.from) << " " << c.a << " " << c.b << " " << c.km << "\n";
    }
    o << "ende\n";
  }
  if (!net.routeTexts.empty()) o << "\n";
  for (const RouteText& r : net.routeTexts) {
    o << "wegetext " << r.from << " " << r.to << " " << Quote(r.text);
    if (r.number) o << " nummer=" << r.number;
    if (r.validFrom != kNoDay) o << " ab=" << Date(r.validFrom);
    o << "\n";
  }
  for (const Relation& r : net.relations) {
    o << "relation " << r.key << " " << r.number;
    for (uint32_t s : r.stations) {
      if (s) o << " " << s;
    }
    o << " km=" << r.km;
    if (r.validFrom != kNoDay) o << " ab=" << Date(r.validFrom);
    if (r.validTo != kNoDay) o << " bis=" << Date(r.validTo);
    if (!r.points.empty()) {
      o << " punkte=";
      for (size_t k = 0; k < r.points.size(); ++k)
        o << (k ? "," : "") << r.points[k].station << ":" << r.points[k].kind;
    }
    o << "\n";
  }
  if (!net.messages.empty()) o << "\n";
  for (const Message& m : net.messages) {
    o << "meldung " << m.variant << " " << m.ssid[0] << m.ssid[1] << " " << m.number << " "
      << Quote(m.text);
    if (m.validFrom != kNoDay) o << " ab=" << Date(m.validFrom);
    o << "\n";
  }
  return o.str();
}

}  // namespace zolmanet
