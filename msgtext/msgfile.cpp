// Message file writer: one appended entry per message in "ZOLMACE.TXT".
//
// This module owns the file name and the entry formats; the built-in texts
// are msgbuiltin.cpp's, the switch is the support runtime's. Two rules beyond
// the plain formats:
//   - The head of an entry carries the entry's own time. Its text is copied
//     out of the support runtime's time-text buffer before anything else of
//     the entry is formatted, since a 't' parameter reuses that buffer.
//   - A parameter that was not stored (offset -1) or whose bytes do not lie
//     inside the data area is never read: a built-in placeholder that refers
//     to it is written as it stands, and its line in the "Unbekannter Fehler"
//     list says "nicht gespeichert".
//   - The writer never raises: the formatter runs inside a trap frame of the
//     writer, and a raise there (the formatter's first call loads FEHL) makes
//     the entry one without text.
#include "msgtext/msgfile.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>

#include "msgtext/msgformat.h"
#include "support/utday.h"
#include "support/utname.h"

namespace {

char gFileName[257];  // built at the first write while switched on

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

const char* FileName() {
  if (gFileName[0] == '\0') std::snprintf(gFileName, sizeof gFileName, "%s", kMsgFileName);
  return gFileName;
}

File OpenForAppend() { return File(std::fopen(FileName(), "a")); }

// A copy of a time text, safe from the next UtSecondsText.
struct TimeText {
  char text[24];
  explicit TimeText(UtTimestamp t) { std::snprintf(text, sizeof text, "%s", UtSecondsText(t)); }
};

int Width(char type) {
  if (type == 'd') return 2;
  if (type == 'l' || type == 't') return 4;
  return 0;
}

// True when the descriptor's bytes lie inside the packed data area.
bool Stored(const MsgParamDesc& d) {
  int need = d.length > Width(d.type) ? d.length : Width(d.type);
  return d.offset >= 0 && d.offset + need <= kMsgPackLimit;
}

const char* Bytes(const Meldungskontext* m, const MsgParamDesc& d) {
  return reinterpret_cast<const char*>(m->data + d.offset);
}

// Writes the value of a parameter by its type: the built-in placeholders and
// the lines of an unknown message. False when the type has no value text.
bool WriteValue(std::FILE* f, const Meldungskontext* m, const MsgParamDesc& d) {
  switch (d.type) {
    case 'a':
      std::fprintf(f, "'%*.*s'", d.length, d.length, Bytes(m, d));
      return true;
    case 's':
      std::fprintf(f, "'%.*s'", d.length, Bytes(m, d));
      return true;
    case 'd':
      std::fprintf(f, "%hd", static_cast<short>(MsgDataI16(m, d.offset)));
      return true;
    case 'l':
      std::fprintf(f, "%" PRId32, MsgDataI32(m, d.offset));
      return true;
    case 't':
      std::fputs(UtSecondsText(MsgDataU32(m, d.offset)), f);
      return true;
    case 'F':
      std::fputs("guardian 90 internal filename", f);
      return true;
    case 'J':
      std::fputs("juliantimestamp", f);
      return true;
    case 'P':
      std::fputs("guardian 90 internal processname", f);
      return true;
    default:
      return false;
  }
}

// Whether a built-in placeholder letter fits a parameter type.
bool Fits(char letter, char type) {
  switch (letter) {
    case 's':
      return type == 'a' || type == 's';
    case 'd':
      return type == 'd' || type == 'l';
    case 't':
      return type == 't';
    case 'F':
    case 'J':
    case 'P':
      return type == letter;
    default:
      return false;
  }
}

void WriteHead(std::FILE* f, const TimeText& time, const Meldungskontext* m, char severity) {
  std::fprintf(f, "%s: %.*s: %.*s%04hu%c ", time.text, kMsgSenderSize, m->sender, 2, m->SS_id,
               static_cast<unsigned short>(m->Meldungsnummer), severity);
}

void WriteBuiltin(std::FILE* f, const Meldungskontext* m, const BuiltinMessage& rec) {
  const char* t = rec.text;
  std::size_t n = strnlen(t, sizeof rec.text);
  std::size_t i = 0;
  while (i < n) {
    if (t[i] != '%') {
      std::fputc(t[i++], f);
      continue;
    }
    if (i + 1 < n && t[i + 1] == '%') {
      std::fputc('%', f);
      i += 2;
      continue;
    }
    if (n - i < 3) break;  // too short for a placeholder: the rest as it stands
    char digit = t[i + 1];
    char letter = t[i + 2];
    bool written = false;
    if (digit >= '1' && digit <= '9' && digit - '1' < m->paramCount) {
      const MsgParamDesc& d = m->params[digit - '1'];
      if (Fits(letter, d.type) && Stored(d)) written = WriteValue(f, m, d);
    }
    if (!written) std::fwrite(t + i, 1, 3, f);
    i += 3;
  }
  std::fwrite(t + i, 1, n - i, f);
  std::fputc('\n', f);
}

void WriteUnknown(std::FILE* f, const TimeText& time, const Meldungskontext* m) {
  std::fprintf(f, "%s: %.*s: %.*s%04hu  Unbekannter Fehler: Flags %hu #Param %hu\n", time.text,
               kMsgSenderSize, m->sender, 2, m->SS_id,
               static_cast<unsigned short>(m->Meldungsnummer), static_cast<unsigned short>(m->mode),
               static_cast<unsigned short>(m->paramCount));
  int n = m->paramCount < kMsgMaxParams ? m->paramCount : kMsgMaxParams;
  for (int i = 0; i < n; ++i) {
    const MsgParamDesc& d = m->params[i];
    std::fprintf(f, "  %c ", d.type);
    if (!std::strchr("asdltFJP", d.type) || d.type == '\0')
      std::fputs("unbekannter Parametertyp", f);
    else if (!Stored(d))
      std::fputs("nicht gespeichert", f);
    else
      WriteValue(f, m, d);
    std::fputc('\n', f);
  }
}

}  // namespace

const BuiltinMessage* MsgFindBuiltin(const char* ssid, std::uint16_t number) {
  if (!ssid) return nullptr;
  for (const BuiltinTable* t = &MsgBuiltinTables; t; t = t->next) {
    for (int i = t->count - 1; i >= 0; --i) {
      const BuiltinMessage& r = t->records[i];
      if (r.number == number && r.SS_id[0] == ssid[0] && r.SS_id[1] == ssid[1]) return &r;
    }
  }
  return nullptr;
}

void MsgFileWriteEntry(const Meldungskontext* message) {
  if (MsgFileSwitch() == 0) return;
  FileName();

  if (!message) {
    TimeText now(UtNowSeconds());
    const char* sender = UtQueryRegister("Absender");
    File f = OpenForAppend();
    if (!f) return;
    std::fprintf(f.get(), "%s: %s: Ungueltiger Meldungskontext uebergeben\n", now.text,
                 sender ? sender : "Kein Programmname");
    return;
  }

  TimeText time(message->time);
  const BuiltinMessage* builtin = MsgFindBuiltin(message->SS_id, message->Meldungsnummer);
  File f = OpenForAppend();
  if (!f) return;

  if (builtin) {
    WriteHead(f.get(), time, message, builtin->severity);
    WriteBuiltin(f.get(), message, *builtin);
    return;
  }

  // The entry is written whatever happens: a raise from the formatter (its
  // first call loads FEHL) lands in a frame of this writer and counts as a
  // message without text.
  char text[512];
  int formatted = 1;
  MsgTrapFrame frame;
  if (MsgTry(frame, [&] { formatted = MsgFormatContext(text, sizeof text, 'D', message); }) != 0)
    MsgFree(frame.received);
  if (formatted == 0) {
    WriteHead(f.get(), time, message, ' ');
    std::fprintf(f.get(), "%s\n", text);
  } else {
    WriteUnknown(f.get(), time, message);
  }
}

void MsgFileInstall() { MsgFileSetWriter(&MsgFileWriteEntry); }
