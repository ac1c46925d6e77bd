/*
** The messages this system can show or write (see netcatalog.h).
*/
#include "tools/zolmanet/netcatalog.h"

#include <cstring>

namespace zolmanet {

const std::vector<CatalogEntry>& MessageCatalog() {
  static const std::vector<CatalogEntry> kCatalog = {
      /* Engine raise codes: shown by the dialog without parameters. */
      {"EB", 1101, ""},
      {"EB", 1103, ""},
      {"EB", 1105, ""},
      {"EB", 1107, ""},
      {"EB", 1109, ""},
      {"EB", 1111, ""},
      {"EB", 1113, ""},
      {"EB", 1119, ""},
      {"EB", 1121, ""},
      {"EB", 1123, ""},
      {"EB", 1131, ""},
      {"EB", 1133, ""},
      {"EB", 1301, ""},
      {"EB", 1302, ""},
      {"EB", 1304, ""},
      {"EB", 1305, ""},
      {"EB", 1307, ""},
      {"EB", 1308, ""},
      {"EB", 1309, ""},
      {"EB", 1310, ""},
      {"EB", 1381, ""},
      {"EB", 1382, ""},
      {"EB", 1383, ""},
      {"EB", 1384, ""},
      {"EB", 1385, ""},
      {"EB", 1386, ""},
      {"EB", 1387, ""},
      {"EB", 1405, ""},
      {"EB", 1406, ""},
      {"EB", 1408, ""},
      {"EB", 1420, ""},
      {"EB", 1999, ""},
      /* Engine messages with their parameters. */
      {"EB", 1000, ""},
      {"EB", 1001, ""},
      {"EB", 1002, ""},
      {"EB", 1003, ""},
      {"EB", 1102, "dls"},
      {"EB", 1104, "ddddds"},
      {"EB", 1106, "lls"},
      {"EB", 1108, "lls"},
      {"EB", 1110, "ds"},
      {"EB", 1112, "lls"},
      {"EB", 1114, "lldds"},
      {"EB", 1120, "ls"},
      {"EB", 1122, "ddlds"},
      {"EB", 1124, "dls"},
      {"EB", 1125, "ls"},
      {"EB", 1126, "lls"},
      {"EB", 1127, "lls"},
      {"EB", 1132, "lds"},
      {"EB", 1134, "llls"},
      {"EB", 1201, "d"},
      {"EB", 1311, "s"},
      {"EB", 1407, "d"},
      {"EB", 1409, "d"},
      /* Table manager. */
      {"DZ", 1010, "s"},
      {"DZ", 1011, "ss"},
      {"DZ", 1013, "ss"},
      {"DZ", 1015, ""},
      {"DZ", 1021, "s"},
      {"DZ", 1022, "s"},
      {"DZ", 1023, "s"},
      {"DZ", 1024, "ss"},
      {"DZ", 1025, "sss"},
      {"DZ", 1050, "sss"},
      /* Application start-up, typed lists, error frames. */
      {"KB", 1004, "d"},
      {"TT", 4002, "d"},
      {"TT", 4004, "s"},
      {"TT", 4005, "s"},
      {"FB", 1000, ""},
  };
  return kCatalog;
}

const CatalogEntry* FindCatalogEntry(const char ssid[2], uint16_t number) {
  for (const CatalogEntry& e : MessageCatalog()) {
    if (e.ssid[0] == ssid[0] && e.ssid[1] == ssid[1] && e.number == number) return &e;
  }
  return nullptr;
}

std::string CheckPlaceholders(const std::string& p, const std::string& types) {
  size_t i = 0;
  while (i < p.size()) {
    if (p[i] != '%') {
      ++i;
      continue;
    }
    if (i + 1 < p.size() && p[i + 1] == '%') {
      i += 2;
      continue;
    }
    size_t k = i + 1;
    size_t digits = k;
    while (k < p.size() && p[k] >= '0' && p[k] <= '9') ++k;
    if (k == digits) return "placeholder at " + std::to_string(i + 1) + " has no parameter number";
    /* Three digits or more name no parameter whatever their value (and
    ** would not fit an int). */
    const std::string num = p.substr(digits, k - digits);
    int n = num.size() > 2 ? 99 : std::stoi(num);
    if (n < 1 || n > 10) return "placeholder %" + num + " names no parameter (1 to 10)";
    if (k < p.size() && p[k] == ':') {
      ++k;
      if (k < p.size() && (p[k] == '+' || p[k] == '-' || (p[k] >= '0' && p[k] <= '9'))) {
        if (p[k] == '+' || p[k] == '-') ++k;
        while (k < p.size() && p[k] >= '0' && p[k] <= '9') ++k;
        if (k < p.size() && p[k] == ':') k += 2;
      } else {
        k += 1; /* the sub-format character */
      }
    }
    if (k >= p.size()) return "placeholder %" + std::to_string(n) + " has no conversion";
    char conv = p[k];
    if (static_cast<size_t>(n) > types.size()) {
      return "placeholder %" + std::to_string(n) + conv +
             " refers to a parameter the message does not have (" + std::to_string(types.size()) +
             " parameters)";
    }
    char type = types[static_cast<size_t>(n) - 1];
    bool fits = (conv == 'd' && (type == 'd' || type == 'l')) ||
                (conv == 's' && (type == 's' || type == 'a')) || (conv == 't' && type == 't');
    if (!fits) {
      return std::string("placeholder %") + std::to_string(n) + conv +
             " does not fit parameter type '" + type + "'";
    }
    i = k + 1;
  }
  return "";
}

}  // namespace zolmanet
