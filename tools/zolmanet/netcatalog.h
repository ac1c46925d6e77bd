/*
** The messages this system can show or write.
**
** One entry per message id with the parameter types its raiser passes
** (mode 0). Engine raise codes are listed with no parameters, since the
** dialog formats a returned code as an "EB" message without parameters.
** The compiler checks the placeholders of every message text it knows from
** this catalogue against these types; the sample data set is tested to hold
** a text for every entry.
*/
#ifndef ZOLMA_ZOLMANET_NETCATALOG_H
#define ZOLMA_ZOLMANET_NETCATALOG_H

#include <cstdint>
#include <string>
#include <vector>

namespace zolmanet {

struct CatalogEntry {
  char ssid[3]; /* two letters and a NUL */
  uint16_t number;
  const char* types; /* parameter types of the raiser, "" for none */
};

const std::vector<CatalogEntry>& MessageCatalog();

/* The catalogue entry of an id, or null. */
const CatalogEntry* FindCatalogEntry(const char ssid[2], uint16_t number);

/* Checks the mode-0 placeholders of a text pattern against parameter
** types: "%n" with an optional ":[+|-]width" and ":sub-format", then the
** conversion d (types d, l), s (s, a) or t (t); "%%" is a percent sign.
** Returns "" when the pattern fits, else what is wrong. */
std::string CheckPlaceholders(const std::string& pattern, const std::string& types);

}  // namespace zolmanet

#endif
