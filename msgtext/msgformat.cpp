// Message text formatter: buffer handling, byte order, and the expansion of a
// Meldungstextmuster in the three placeholder modes.
//
// This module owns the formatting rules only; the pattern lookup in FEHL is
// msgpattern.cpp's. Every read of a parameter's bytes goes through the data
// area accessors of the support runtime and is preceded by the offset test,
// extended so that the bytes a conversion reads (2 for 'd', 4 for 'l' and
// 't') also lie inside the packed part of the data area: a record received
// from elsewhere can carry any descriptor.
//
// A pattern is walked only up to its last non-blank character, and no
// placeholder is parsed past that end: a '%' or a partial placeholder at the
// end gives result 5.
#include "msgtext/msgformat.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "msgtext/msgfile.h"
#include "msgtext/msgtext_int.h"
#include "support/utday.h"
#include "support/utlog.h"

namespace {

const char* const kResultTexts[] = {
    "",
    "Byteanordnung nicht erkennbar",
    "Kein passendes Meldungstextmuster vorhanden",
    "Keine Meldungstextmusterdatei vorhanden",
    "Falscher Meldungskontext (zu viele Parameter)",
    "Falscher Platzhalter im Meldungstextmuster",
    "Falscher Meldungskontext (falsches Offset)",
    "Parameter und Platzhalter passen nicht",
    "Falscher Meldungskontext (fehlender Parameter)",
    "Referenznummer zu Meldungstextmuster zu gros",
    "Falscher Meldungskontext (falscher Parametertyp)",
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The work area in which one placeholder's text is prepared: 512 characters
// and a terminator, blank before each conversion.
struct Work {
  char text[kMsgWorkSize + 1];
  int len;

  Work() { Clear(); }
  void Clear() {
    std::memset(text, ' ', kMsgWorkSize);
    text[kMsgWorkSize] = '\0';
    len = 0;
  }
  // Appends up to n characters; a stored text ends at its first NUL byte.
  void Append(const char* s, int n) {
    for (int i = 0; i < n && s[i] != '\0' && len < kMsgWorkSize; ++i) text[len++] = s[i];
  }
  void Append(const char* s) { Append(s, static_cast<int>(std::strlen(s))); }
};

// One expansion: the output with its room, the message and the cursors.
struct Expansion {
  char* buffer;
  int room;
  int pos;
  const Meldungskontext* msg;
  int stored;        // descriptors that belong to the message: min(count, 10)
  char variant;      // variant letter of the pattern being expanded
  int textCursor;    // mode 1: last index taken by the text class;
                     // mode 2: the placeholder counter
  int numberCursor;  // mode 1: last index taken by the number class

  void Put(char c) {
    if (room > 0) {
      buffer[pos++] = c;
      --room;
    }
  }
};

const MsgParamDesc kNoParam{0, 0, '\0'};

// The descriptor at index; an index outside the message's parameters meets
// an empty descriptor.
const MsgParamDesc& Desc(const Expansion& x, int index) {
  if (index < 0 || index >= x.stored) return kNoParam;
  return x.msg->params[index];
}

// Bytes that the conversion of a parameter of this type reads as a number.
int ValueWidth(char type) {
  if (type == 'd') return 2;
  if (type == 'l' || type == 't') return 4;
  return 0;
}

// The offset test: the parameter's bytes lie inside the packed data area.
int OffsetTest(const MsgParamDesc& d) {
  int need = d.length;
  if (ValueWidth(d.type) > need) need = ValueWidth(d.type);
  if (d.offset < 0 || d.offset + need > kMsgPackLimit) return kMsgFmtBadOffset;
  return kMsgFmtOk;
}

std::uint16_t ValueU16(const Expansion& x, const MsgParamDesc& d) {
  return MsgDataU16(x.msg, d.offset);
}
std::uint32_t ValueU32(const Expansion& x, const MsgParamDesc& d) {
  return MsgDataU32(x.msg, d.offset);
}

// Writes a prepared text: without alignment its trailing white space is
// dropped; with alignment it stands in a field of width characters (at most
// 512), left (1) or right (2), cut to the field when longer. The output takes
// what its room allows.
void Emit(Expansion& x, const Work& w, int align, int width) {
  if (align == 0) {
    int n = w.len;
    while (n > 0 && StrIsSpace(static_cast<unsigned char>(w.text[n - 1]))) --n;
    for (int i = 0; i < n; ++i) x.Put(w.text[i]);
    return;
  }
  int field = width > kMsgWorkSize ? kMsgWorkSize : (width < 0 ? 0 : width);
  if (w.len >= field) {
    for (int i = 0; i < field; ++i) x.Put(w.text[i]);
    return;
  }
  int pad = field - w.len;
  if (align == 2)
    for (int i = 0; i < pad; ++i) x.Put(' ');
  for (int i = 0; i < w.len; ++i) x.Put(w.text[i]);
  if (align == 1)
    for (int i = 0; i < pad; ++i) x.Put(' ');
}

// Integer output, independent of the width of long: 16-bit values as such,
// 'l' values as 32-bit two's complement.
enum class IntStyle { Hex16, Hex32, Oct16, Oct32, Decimal };

void MsgFormatInteger(Work& w, IntStyle style, std::uint32_t bits, std::int32_t value) {
  char text[32];
  switch (style) {
    case IntStyle::Hex16:
      std::snprintf(text, sizeof text, "0x%04" PRIX32, bits & 0xFFFFu);
      break;
    case IntStyle::Hex32:
      std::snprintf(text, sizeof text, "0x%08" PRIX32, bits);
      break;
    case IntStyle::Oct16:
      std::snprintf(text, sizeof text, "0o%06" PRIo32, bits & 0xFFFFu);
      break;
    case IntStyle::Oct32:
      std::snprintf(text, sizeof text, "0o%011" PRIo32, bits);
      break;
    case IntStyle::Decimal:
      std::snprintf(text, sizeof text, "%" PRId32, value);
      break;
  }
  w.Append(text);
}

// The timestamp text: 'd' keeps the date, 'u' the time of day, anything else
// the whole "DD.MM.YYYY HH:MM:SS". The support runtime's text buffer is read
// at once.
void MsgFormatTimestamp(Work& w, UtTimestamp t, char sub) {
  const char* text = UtSecondsText(t);
  const char* blank = std::strchr(text, ' ');
  if (sub == 'd') {
    w.Append(text, blank ? static_cast<int>(blank - text) : static_cast<int>(std::strlen(text)));
  } else if (sub == 'u') {
    if (blank) w.Append(blank + 1);
  } else {
    w.Append(text);
  }
}

void MsgTandemExpansion(Work& w, char type) {
  const char letter[2] = {type, '\0'};
  w.Append("<Expansion von ");
  w.Append(letter, 1);
  w.Append(" nur auf Tandem>");
}

// A reference: inserts the pattern of the referenced number (same subsystem,
// the variant of the pattern being expanded) as it stands, or "%T" and the
// number when there is none. Width and alignment do not apply.
int Reference(Expansion& x, const MsgParamDesc& d) {
  std::uint32_t number;
  if (d.type == 'd') {
    number = ValueU16(x, d);
  } else {
    std::int32_t v = static_cast<std::int32_t>(ValueU32(x, d));
    if (v < 0 || v >= 65536) return kMsgFmtRefTooLarge;
    number = static_cast<std::uint32_t>(v);
  }
  char text[kMsgPatternSize];
  Work w;
  if (MsgLookupPatternText(x.variant, x.msg->SS_id, static_cast<std::uint16_t>(number), text,
                           nullptr) == kMsgFmtOk) {
    w.Append(text, kMsgPatternSize);
  } else {
    char t[16];
    std::snprintf(t, sizeof t, "%%T%" PRIu32, number);
    w.Append(t);
  }
  Emit(x, w, 0, 0);
  return kMsgFmtOk;
}

// ---- parsing -------------------------------------------------------------------

// Mode 0: n [":" ["+"|"-"] w] [":" f] c, starting after the '%'.
int ParseNumbered(const char* p, int len, int i, MsgPlaceholder* ph, int* next) {
  int j = i;
  while (j < len && IsDigit(p[j])) ++j;
  if (j == i) return kMsgFmtBadPlaceholder;
  int error = 0;
  int n = StrToIntFeld(p + i, j - i, &error);
  if (error || n > kMsgMaxParams) return kMsgFmtBadPlaceholder;
  ph->index = n - 1;
  if (j < len && p[j] == ':') {
    ++j;
    if (j >= len) return kMsgFmtBadPlaceholder;
    char c = p[j];
    if (c == '+' || c == '-' || IsDigit(c)) {
      ph->align = c == '-' ? 1 : 2;
      if (!IsDigit(c)) ++j;
      int width = 0;
      bool digits = false;
      while (j < len && IsDigit(p[j])) {
        digits = true;
        if (width <= kMsgWorkSize) width = width * 10 + (p[j] - '0');  // saturates above 512
        ++j;
      }
      ph->width = digits ? width : 5;
      if (j < len && p[j] == ':') {
        ++j;
        if (j >= len) return kMsgFmtBadPlaceholder;
        ph->sub = p[j++];
      }
    } else {
      ph->sub = c;  // this ':' itself introduces the sub-format
      ++j;
    }
  }
  if (j >= len) return kMsgFmtBadPlaceholder;
  ph->conv = p[j];
  *next = j + 1;
  return kMsgFmtOk;
}

bool IsNumberType(char type) { return type == 'd' || type == 'l' || type == 'J'; }

// Mode 1: the next parameter of the conversion's class after that class's
// cursor; the cursor moves to it. None: -1.
int MsgNextParamOfClass(Expansion& x, char conv) {
  bool textClass = conv == 'T' || conv == 'F' || conv == 'P';
  int& cursor = textClass ? x.textCursor : x.numberCursor;
  for (int i = cursor + 1; i < x.stored; ++i) {
    if (IsNumberType(x.msg->params[i].type) != textClass) {
      cursor = i;
      return i;
    }
  }
  return -1;
}

int MsgParsePlaceholder(Expansion& x, const char* p, int len, int i, MsgPlaceholder* ph,
                        int* next) {
  *ph = MsgPlaceholder{};
  if (x.msg->mode == kMsgModeNumbered) return ParseNumbered(p, len, i, ph, next);
  if (i >= len) return kMsgFmtBadPlaceholder;
  ph->conv = p[i];
  *next = i + 1;
  if (x.msg->mode == kMsgModeByClass) {
    ph->index = MsgNextParamOfClass(x, ph->conv);
  } else {
    ++x.textCursor;
    ph->index = x.textCursor < x.msg->paramCount ? x.textCursor : -1;
  }
  return kMsgFmtOk;
}

// ---- conversion ------------------------------------------------------------------

int ConvertNumbered(Expansion& x, const MsgPlaceholder& ph) {
  if (ph.index < 0) return kMsgFmtMissingParam;
  const MsgParamDesc& d = Desc(x, ph.index);
  bool typeOk;
  if (ph.conv == 's')
    typeOk = d.type == 's' || d.type == 'a';
  else if (ph.conv == 'd')
    typeOk = d.type == 'd' || d.type == 'l';
  else
    typeOk = d.type == ph.conv;
  if (!typeOk) return kMsgFmtMismatch;
  if (int r = OffsetTest(d)) return r;

  Work w;
  switch (ph.conv) {
    case 'd': {
      if (ph.sub == '*') return Reference(x, d);
      std::uint32_t bits;
      std::int32_t value;
      if (d.type == 'd') {
        std::uint16_t u = ValueU16(x, d);
        bits = u;
        value = static_cast<std::int16_t>(u);
      } else {
        bits = ValueU32(x, d);
        value = static_cast<std::int32_t>(bits);
      }
      IntStyle style = IntStyle::Decimal;
      if (ph.sub == 'x') style = IntStyle::Hex16;
      if (ph.sub == 'X') style = IntStyle::Hex32;
      if (ph.sub == 'o') style = IntStyle::Oct16;
      if (ph.sub == 'O') style = IntStyle::Oct32;
      MsgFormatInteger(w, style, bits, value);
      break;
    }
    case 's':
      w.Append(reinterpret_cast<const char*>(x.msg->data + d.offset), d.length);
      break;
    case 't':
      MsgFormatTimestamp(w, ValueU32(x, d), ph.sub);
      break;
    case 'F':
    case 'J':
    case 'P':
      MsgTandemExpansion(w, d.type);
      Emit(x, w, 0, 0);
      return kMsgFmtOk;
    default:
      return kMsgFmtBadPlaceholder;
  }
  Emit(x, w, ph.align, ph.width);
  return kMsgFmtOk;
}

int ConvertByClass(Expansion& x, const MsgPlaceholder& ph) {
  if (ph.index < 0) return kMsgFmtOk;
  const MsgParamDesc& d = Desc(x, ph.index);
  char need;
  switch (ph.conv) {
    case 'D':
    case 'H':
    case 'N':
    case 'O':
      need = 'd';
      break;
    case 'F':
    case 'J':
    case 'P':
      need = ph.conv;
      break;
    case 'Q':
      need = 'l';
      break;
    case 'T':
      need = (d.type == 'a') ? 'a' : 's';
      break;
    default:
      return kMsgFmtBadPlaceholder;
  }
  if (d.type != need) return kMsgFmtMismatch;
  if (int r = OffsetTest(d)) return r;

  Work w;
  char text[32];
  switch (ph.conv) {
    case 'D':
      std::snprintf(text, sizeof text, "%d",
                    static_cast<int>(static_cast<std::int16_t>(ValueU16(x, d))));
      w.Append(text);
      break;
    case 'H':
      std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(ValueU16(x, d)));
      w.Append(text);
      break;
    case 'O':
      std::snprintf(text, sizeof text, "%%%6.6o", static_cast<unsigned>(ValueU16(x, d)));
      w.Append(text);
      break;
    case 'Q':
      std::snprintf(text, sizeof text, "%" PRId32, static_cast<std::int32_t>(ValueU32(x, d)));
      w.Append(text);
      break;
    case 'N':
      return Reference(x, d);
    case 'F':
    case 'J':
    case 'P':
      MsgTandemExpansion(w, d.type);
      break;
    default:  // 'T'
      w.Append(reinterpret_cast<const char*>(x.msg->data + d.offset), d.length);
      break;
  }
  Emit(x, w, 0, 0);
  return kMsgFmtOk;
}

int ConvertSequential(Expansion& x, const MsgPlaceholder& ph) {
  if (ph.index < 0) return kMsgFmtOk;
  const MsgParamDesc& d = Desc(x, ph.index);
  if (d.type != 'd' && d.type != 'l' && d.type != 's') return kMsgFmtBadParamType;
  if (ph.conv != 'T') return kMsgFmtBadPlaceholder;
  if (int r = OffsetTest(d)) return r;
  Work w;
  char text[32];
  if (d.type == 'd') {
    std::snprintf(text, sizeof text, "%d",
                  static_cast<int>(static_cast<std::int16_t>(ValueU16(x, d))));
    w.Append(text);
  } else if (d.type == 'l') {
    std::snprintf(text, sizeof text, "%" PRId32, static_cast<std::int32_t>(ValueU32(x, d)));
    w.Append(text);
  } else {
    w.Append(reinterpret_cast<const char*>(x.msg->data + d.offset), d.length);
  }
  Emit(x, w, 0, 0);
  return kMsgFmtOk;
}

int MsgConvertParam(Expansion& x, const MsgPlaceholder& ph) {
  if (x.msg->mode == kMsgModeNumbered) return ConvertNumbered(x, ph);
  if (x.msg->mode == kMsgModeByClass) return ConvertByClass(x, ph);
  return ConvertSequential(x, ph);
}

void Reverse(void* p, std::size_t n) {
  char* c = static_cast<char*>(p);
  StrReverse(c, c, n);
}

}  // namespace

const char* MsgResultText(int result) {
  if (result < 0 || result > kMsgFmtBadParamType) return "";
  return kResultTexts[result];
}

void MsgSwapContext(Meldungskontext* m) {
  if (!m) return;
  Reverse(m->data, 2);
  Reverse(&m->time, sizeof m->time);
  Reverse(&m->Meldungsnummer, sizeof m->Meldungsnummer);
  Reverse(&m->mode, sizeof m->mode);
  Reverse(&m->paramCount, sizeof m->paramCount);
  int n = m->paramCount < kMsgMaxParams ? m->paramCount : kMsgMaxParams;
  for (int i = 0; i < n; ++i) {
    MsgParamDesc& d = m->params[i];
    Reverse(&d.offset, sizeof d.offset);
    if (d.offset < 0 || d.offset + d.length > kMsgPackLimit) continue;
    int width = ValueWidth(d.type);
    if (width > 0 && d.offset + width <= kMsgPackLimit) Reverse(m->data + d.offset, width);
  }
}

namespace {

// Expands the pattern (its first len characters, trailing blanks already
// dropped) into buffer with room size; message must be in this host's byte
// order with at most 10 parameters. Returns 0 or the failing result.
int MsgExpandPattern(char* buffer, int size, const Meldungskontext* message, const char* pattern,
                     int len, char patternVariant) {
  Expansion x{buffer,
              size,
              0,
              message,
              message->paramCount < kMsgMaxParams ? message->paramCount : kMsgMaxParams,
              patternVariant,
              -1,
              -1};
  int i = 0;
  while (i < len) {
    char c = pattern[i];
    if (c != '%') {
      x.Put(c);
      ++i;
      continue;
    }
    if (i + 1 < len && pattern[i + 1] == '%') {
      x.Put('%');
      i += 2;
      continue;
    }
    if (message->mode > kMsgModeSequential) {  // no placeholders: the '%' is dropped
      ++i;
      continue;
    }
    MsgPlaceholder ph;
    int next = len;
    if (int r = MsgParsePlaceholder(x, pattern, len, i + 1, &ph, &next)) return r;
    if (int r = MsgConvertParam(x, ph)) return r;
    i = next;
  }
  return kMsgFmtOk;
}

}  // namespace

int MsgFormatText(char* buffer, std::int16_t size, const Meldungskontext* message, int lookupResult,
                  const char* pattern, char patternVariant) {
  if (!buffer || size <= 0 || !message) return -1;
  std::memset(buffer, ' ', static_cast<std::size_t>(size));
  Meldungskontext copy;
  std::memcpy(&copy, message, sizeof copy);
  if (MsgDataU16(&copy, 0) != 1) MsgSwapContext(&copy);
  bool orderOk = MsgDataU16(&copy, 0) == 1;

  int result;
  if (!orderOk) {
    result = kMsgFmtByteOrder;
  } else if (copy.paramCount > kMsgMaxParams) {
    result = kMsgFmtTooManyParams;
  } else if (lookupResult != kMsgFmtOk) {
    result = lookupResult;
  } else {
    int len = 0;
    if (pattern) {
      len = kMsgPatternSize;
      while (len > 0 && pattern[len - 1] == ' ') --len;
    }
    result = MsgExpandPattern(buffer, size, &copy, pattern, len, patternVariant);
  }

  if (result == kMsgFmtOk) {
    buffer[size - 1] = '\0';
    StrTrimRight(buffer);
    return kMsgFmtOk;
  }
  // The error line names the message: as converted, or, when the byte order
  // cannot be told, as the caller handed it over.
  const Meldungskontext* named = orderOk ? &copy : message;
  char id[3] = {named->SS_id[0], named->SS_id[0] ? named->SS_id[1] : '\0', '\0'};
  std::snprintf(buffer, static_cast<std::size_t>(size), " %2.2s%04u  %s", id,
                static_cast<unsigned>(named->Meldungsnummer), MsgResultText(result));
  StrTrimRight(buffer);
  return result;
}

int MsgFormatContext(char* buffer, std::int16_t size, char variant,
                     const Meldungskontext* message) {
  if (!buffer || size <= 0) return 1;
  if (!message) {
    buffer[0] = '\0';
    return 1;
  }
  // The lookup needs the message's number in this host's byte order.
  Meldungskontext copy;
  std::memcpy(&copy, message, sizeof copy);
  if (MsgDataU16(&copy, 0) != 1) MsgSwapContext(&copy);

  const Meldungskontext* named = MsgDataU16(&copy, 0) == 1 ? &copy : message;

  char pattern[kMsgPatternSize];
  std::memset(pattern, ' ', sizeof pattern);
  char found = variant;
  int lookup = MsgLookupPatternText(variant, named->SS_id, named->Meldungsnummer, pattern, &found);
  return MsgFormatText(buffer, size, message, lookup, pattern, found) == kMsgFmtOk ? 0 : 1;
}

int MsgFormatList(char* buffer, std::int16_t size, char variant, const char* ssid,
                  std::uint16_t number, std::uint16_t mode, const char* types,
                  std::span<const MsgArg> args) {
  if (!buffer || size <= 0) return 1;
  Meldungskontext* built = nullptr;
  MsgBuild(&built, ssid, number, mode, types, args);
  MsgContextPtr owned(built);  // freed also when the first lookup's load raises
  return MsgFormatContext(buffer, size, variant, owned.get());
}
