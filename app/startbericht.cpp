// startbericht.cpp - why the program ended with "Fehler bei der
// Initialisierung" (see startbericht.h).
#include "app/startbericht.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/zolmaapp.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "msgtext/msgformat.h"
#include "support/utday.h"

namespace {

// The file layer's error text after a read that met the end of the file.
constexpr char kBiKeinFehler[] = "BI: kein Fehler";
constexpr char kDateiZuKurz[] = "Datei zu kurz";

// The last message written while watching.
Meldungskontext g_ursache;
bool g_ursacheDa = false;

void ursacheMerken(const Meldungskontext* m) {
  std::memcpy(&g_ursache, m, sizeof g_ursache);
  g_ursacheDa = true;
}

// Appends bytes, control characters as '?'.
void anhaengen(std::string* out, const char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    out->push_back(c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c));
  }
}

// A message text in the German 7-bit code, umlauts written out.
std::string din66003Ascii(const std::string& text) {
  std::string out;
  for (char ch : text) {
    switch (ch) {
      case '[':
        out += "Ae";
        break;
      case '\\':
        out += "Oe";
        break;
      case ']':
        out += "Ue";
        break;
      case '{':
        out += "ae";
        break;
      case '|':
        out += "oe";
        break;
      case '}':
        out += "ue";
        break;
      case '~':
        out += "ss";
        break;
      default:
        anhaengen(&out, &ch, 1);
        break;
    }
  }
  return out;
}

void ersetzen(std::string* text, const std::string& was, const std::string& wodurch) {
  for (std::size_t at = text->find(was); at != std::string::npos;
       at = text->find(was, at + wodurch.size())) {
    text->replace(at, was.size(), wodurch);
  }
}

// One stored parameter as it reads in the report.
std::string parameter(const Meldungskontext* m, const MsgParamDesc& d) {
  const int offset = d.offset;
  if (offset < 0 || offset + d.length > kMsgDataSize) return "(nicht gespeichert)";
  switch (d.type) {
    case 's':
    case 'a': {
      const char* p = reinterpret_cast<const char*>(m->data + offset);
      std::string text;
      if (d.length == sizeof kBiKeinFehler - 1 && std::memcmp(p, kBiKeinFehler, d.length) == 0) {
        text = kDateiZuKurz;
      } else {
        anhaengen(&text, p, d.length);
      }
      return "\"" + text + "\"";
    }
    case 'd':
      return std::to_string(MsgDataI16(m, offset));
    case 'l':
      return std::to_string(MsgDataI32(m, offset));
    case 't':
      return UtSecondsText(MsgDataU32(m, offset));
    default: {
      std::string art = "(Typ ";
      anhaengen(&art, &d.type, 1);
      return art + ")";
    }
  }
}

// The message's text, or "" when the message texts give none.
std::string meldungstext(const Meldungskontext* m) {
  if (!DbIsLoaded(&DbFehlTab)) return "";
  char text[kMsgWorkSize + 1] = {0};
  int ergebnis = 1;
  MsgTrapFrame frame;
  int code = MsgTry(frame, [&] {
    const auto groesse = static_cast<std::int16_t>(sizeof text);
    ergebnis = MsgFormatContext(text, groesse, kZolmaTextVariante, m);
  });
  if (code != 0) {
    MsgFree(frame.received);
    return "";
  }
  if (ergebnis != 0) return "";
  std::string t(text);
  ersetzen(&t, kBiKeinFehler, kDateiZuKurz);
  return din66003Ascii(t);
}

}  // namespace

void ZolmaUrsacheBeobachten(bool an) {
  if (an) g_ursacheDa = false;
  MsgFileSetWatcher(an ? &ursacheMerken : nullptr);
}

const Meldungskontext* ZolmaUrsache() { return g_ursacheDa ? &g_ursache : nullptr; }

std::vector<std::string> ZolmaMeldungZeilen(const Meldungskontext* m) {
  if (m == nullptr) return {"Meldung unbekannt (keine Meldung empfangen)"};
  std::string kopf = "Meldung ";
  kopf += kZolmaTextVariante;
  kopf += ' ';
  anhaengen(&kopf, m->SS_id, 2);
  char nummer[8];
  std::snprintf(nummer, sizeof nummer, "%04u", static_cast<unsigned>(m->Meldungsnummer));
  kopf += nummer;
  const int anzahl = m->paramCount < kMsgMaxParams ? m->paramCount : kMsgMaxParams;
  if (anzahl == 0) kopf += ", ohne Parameter";
  for (int i = 0; i < anzahl; ++i) {
    kopf += i == 0 ? ", Parameter: " : ", ";
    kopf += parameter(m, m->params[i]);
  }
  std::vector<std::string> zeilen{kopf};
  std::string text = meldungstext(m);
  if (!text.empty()) zeilen.push_back("  " + text);
  return zeilen;
}

std::vector<std::string> ZolmaStartBericht(const Meldungskontext* empfangen,
                                           const Meldungskontext* ursache, bool imStart) {
  std::vector<std::string> zeilen{"Fehler bei der Initialisierung"};
  for (std::string& z : ZolmaMeldungZeilen(empfangen)) zeilen.push_back(std::move(z));
  // The cause belongs only behind the application's own raise after a
  // failed engine start-up, which carries nothing but the engine's code.
  const bool nachEngineStart = empfangen != nullptr &&
                               std::memcmp(empfangen->SS_id, kMsgSsApp, 2) == 0 &&
                               empfangen->Meldungsnummer == kMsgKbInitFailed;
  if (ursache != nullptr && nachEngineStart) {
    std::vector<std::string> u = ZolmaMeldungZeilen(ursache);
    u[0] = "Ursache: " + u[0];
    for (std::string& z : u) zeilen.push_back(std::move(z));
  }
  if (imStart) {
    std::error_code ec;
    std::filesystem::path ordner = std::filesystem::current_path(ec);
    std::string zeile = "Das Programm liest seine Datendateien (";
    zeile += ZolmaDatendateien();
    zeile += ") aus dem aktuellen Ordner";
    if (!ec) {
      zeile += ": ";
      const std::string o = ordner.string();
      anhaengen(&zeile, o.data(), o.size());
    }
    zeilen.push_back(zeile);
  }
  return zeilen;
}

std::vector<std::string> ZolmaSpeicherBericht() {
  return {"Fehler bei der Initialisierung", kZolmaKeinSpeicher};
}
