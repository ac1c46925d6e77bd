/*
** The network description as the compiler holds it.
**
** A `Network` is what the parser (netparse) reads from a description folder
** and what the synthetic generator (netgen) builds in memory: stations,
** lines with their kilometres, tariff areas with their node stations, route
** descriptions, relations and message texts, each remembering the file and
** line it came from so that every later check can point there. All texts
** are UTF-8 here; the compiler converts them when it writes the tables.
*/
#ifndef ZOLMA_ZOLMANET_NETMODEL_H
#define ZOLMA_ZOLMANET_NETMODEL_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/zolmanet/nettext.h"

namespace zolmanet {

constexpr uint16_t kNoDay = 0xFFFF;

/* Where a description item stands. */
struct Pos {
  std::string file;
  int line = 0;
};

/* "file:line: text" for a position (just the text when it has no file). */
std::string At(const Pos& pos, const std::string& text);

/* Every error of the compiler: the message names the file and line. The
** message quotes the description's own bytes, so whatever a terminal
** cannot show (a control character, a byte that is no UTF-8) is written
** escaped as \xNN. */
class CompileError : public std::runtime_error {
 public:
  explicit CompileError(const std::string& what) : std::runtime_error(Showable(what)) {}
};

struct Station {
  uint32_t number = 0; /* local number, 1 .. 99999 */
  std::string name;    /* at most 20 characters */
  std::string name2;   /* route-text name; empty = the name */
  std::string code;    /* short code, at most 9 characters */
  char kind = 'B';     /* 'H' or 'A' node station, 'B' station, 'N' no tariff point */
  uint16_t area = 0;   /* tariff area; 0 for node stations */
  char listFlag = 'J'; /* 'N' keeps the station off the 50 km list */
  char flag8 = 'N';    /* both 'N' for the 50 km list */
  char flag9 = 'N';
  char kmPart = 'A';                /* 'A' km part 1, 'B' km part 2 */
  uint16_t validFrom = kNoDay;      /* kNoDay = the network's first day */
  uint16_t withdrawn = kNoDay;      /* first day without a record, or kNoDay */
  std::vector<std::string> aliases; /* further names for the name lookup */
  Pos pos;
};

struct Stop {
  uint32_t station = 0;
  int64_t km = 0;        /* kilometre position along the line */
  std::string nameCheck; /* the station's name as the line row repeats it */
  Pos pos;
};

/* From a day on, the stretch between two neighbouring stops measures km. */
struct KmChange {
  uint16_t from = 0;
  uint32_t a = 0, b = 0;
  int64_t km = 0;
  Pos pos;
};

struct Line {
  std::string name;
  int part = 1; /* the km part its kilometres count into */
  std::vector<Stop> stops;
  std::vector<KmChange> changes;
  Pos pos;
};

struct Area {
  uint16_t number = 0;
  std::string name;
  std::vector<uint32_t> nodes; /* in the order TDRG returns them */
  Pos pos;
};

/* A route description of the node-to-node stretch from `from` to `to`,
** written in that direction. */
struct RouteText {
  uint32_t from = 0, to = 0;
  uint32_t number = 0; /* route-text number; 0 = numbered by the compiler */
  uint16_t validFrom = kNoDay;
  std::string text;
  Pos pos;
};

struct RelationPoint {
  uint32_t station = 0;
  char kind = 'M'; /* 'O', 'M' or 'U' */
};

struct Relation {
  uint16_t key = 0;
  uint32_t number = 0;
  uint32_t stations[4] = {0, 0, 0, 0};
  uint16_t km = 0;
  uint16_t validFrom = kNoDay;
  uint16_t validTo = kNoDay; /* kNoDay = the open end */
  std::vector<RelationPoint> points;
  Pos pos;
};

struct Message {
  char variant = 'D';
  char ssid[2] = {' ', ' '};
  uint16_t number = 0;
  uint16_t validFrom = kNoDay;
  std::string text;
  Pos pos;
};

struct Network {
  std::string versionInfo;
  int64_t created = 0;           /* header time, seconds since 1.1.1970 */
  uint16_t firstDay = 0;         /* valid-from of everything not dated */
  bool deriveRouteTexts = false; /* compose route texts for the other node pairs */
  Pos headerPos;
  std::vector<Station> stations;
  std::vector<Line> lines;
  std::vector<Area> areas;
  std::vector<RouteText> routeTexts;
  std::vector<Relation> relations;
  std::vector<Message> messages;
};

}  // namespace zolmanet

#endif
