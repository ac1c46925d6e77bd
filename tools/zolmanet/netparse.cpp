/*
** Parser of the network description (see netparse.h for the grammar).
**
** Each line is cut into tokens: bare words, quoted texts ("..." with \" and
** \\ as escapes) and key=value pairs whose value may be quoted. The
** directive word decides how the tokens are read. A "strecke" opens a block
** of rows that runs to its "ende".
*/
#include "tools/zolmanet/netparse.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "tools/zolmanet/nettext.h"

namespace zolmanet {

std::string At(const Pos& pos, const std::string& text) {
  if (pos.file.empty()) return text;
  return pos.file + ":" + std::to_string(pos.line) + ": " + text;
}

namespace {

struct Token {
  std::string key;   /* empty for a plain token */
  std::string value; /* the text, quotes removed */
  bool quoted = false;
};

[[noreturn]] void Fail(const Pos& pos, const std::string& text) {
  throw CompileError(At(pos, text));
}

std::vector<Token> Tokenize(const std::string& line, const Pos& pos) {
  std::vector<Token> out;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    Token t;
    std::string raw;
    bool seenEq = false;
    while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
      c = line[i];
      if (c == '#') break;
      if (c == '=' && !seenEq && !t.quoted) {
        t.key = raw;
        raw.clear();
        seenEq = true;
        if (t.key.empty()) Fail(pos, "'=' without a key");
        ++i;
        continue;
      }
      if (c == '"') {
        if (t.quoted) Fail(pos, "a token holds two quoted texts");
        t.quoted = true;
        ++i;
        bool closed = false;
        while (i < n) {
          char q = line[i];
          if (q == '\\') {
            if (i + 1 >= n || (line[i + 1] != '"' && line[i + 1] != '\\')) {
              Fail(pos, "unknown escape in a quoted text (only \\\" and \\\\)");
            }
            raw.push_back(line[i + 1]);
            i += 2;
            continue;
          }
          if (q == '"') {
            closed = true;
            ++i;
            break;
          }
          raw.push_back(q);
          ++i;
        }
        if (!closed) Fail(pos, "quoted text is not closed");
        continue;
      }
      raw.push_back(c);
      ++i;
    }
    if (seenEq && raw.empty() && !t.quoted) Fail(pos, "key '" + t.key + "' has no value");
    t.value = raw;
    out.push_back(t);
  }
  return out;
}

bool IsNumber(const std::string& s) {
  return !s.empty() && s.size() <= 18 &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int64_t Number(const Token& t, const Pos& pos, const char* what, int64_t lo, int64_t hi) {
  if (t.quoted || !IsNumber(t.value))
    Fail(pos, std::string(what) + " '" + t.value + "' is no number");
  int64_t v = std::stoll(t.value);
  if (v < lo || v > hi) {
    Fail(pos, std::string(what) + " " + t.value + " lies outside " + std::to_string(lo) + " .. " +
                  std::to_string(hi));
  }
  return v;
}

uint32_t StationNumber(const Token& t, const Pos& pos) {
  return static_cast<uint32_t>(Number(t, pos, "station number", 1, 99999));
}

uint16_t Day(const Token& t, const Pos& pos) {
  std::string err;
  auto d = ParseDay(t.value, &err);
  if (!d) Fail(pos, err);
  return *d;
}

char Letter(const Token& t, const Pos& pos, const char* allowed) {
  if (t.value.size() != 1 || std::string(allowed).find(t.value[0]) == std::string::npos) {
    Fail(pos,
         "key '" + t.key + "' takes one of the letters " + allowed + ", not '" + t.value + "'");
  }
  return t.value[0];
}

const Token& Plain(const std::vector<Token>& toks, size_t i, const Pos& pos, const char* what) {
  if (i >= toks.size() || !toks[i].key.empty()) Fail(pos, std::string("missing ") + what);
  return toks[i];
}

std::vector<std::string> SplitComma(const std::string& s) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == ',') {
      out.push_back(cur);
      cur.clear();
    } else
      cur.push_back(c);
  }
  out.push_back(cur);
  return out;
}

/* The version info goes into the file-information block of every data
** file, where a NUL would end it early. It is held to the characters of the
** other texts (no control characters, the DOS code page) and to a length
** that keeps the nine file headers small. */
constexpr size_t kMaxVersionInfo = 80;

std::string VersionInfo(const Token& t, const Pos& pos) {
  std::string err;
  if (!ToDos(t.value, &err)) Fail(pos, "versionsinfo: " + err);
  size_t len = Utf8Length(t.value);
  if (len > kMaxVersionInfo) {
    Fail(pos, "versionsinfo is " + std::to_string(len) + " characters long; at most " +
                  std::to_string(kMaxVersionInfo) + " fit");
  }
  return t.value;
}

class Parser {
 public:
  Parser(const std::string& file, Network* net) : net_(net) { pos_.file = file; }

  void Line(const std::string& line) {
    ++pos_.line;
    std::vector<Token> toks = Tokenize(line, pos_);
    if (toks.empty()) return;
    const Token& head = toks[0];
    if (!head.key.empty() || head.quoted) Fail(pos_, "a line begins with a directive word");
    if (inLine_) {
      LineRow(toks);
      return;
    }
    const std::string& w = head.value;
    if (w == "netz")
      Netz(toks);
    else if (w == "bahnhof")
      Bahnhof(toks);
    else if (w == "gebiet")
      Gebiet(toks);
    else if (w == "strecke")
      Strecke(toks);
    else if (w == "wegetext")
      Wegetext(toks);
    else if (w == "relation")
      RelationLine(toks);
    else if (w == "meldung")
      Meldung(toks);
    else if (w == "ende")
      Fail(pos_, "'ende' without 'strecke'");
    else
      Fail(pos_, "unknown directive '" + w + "'");
  }

  void Finish() {
    if (inLine_)
      Fail(net_->lines.back().pos, "line '" + net_->lines.back().name + "' has no 'ende'");
  }

 private:
  void Netz(const std::vector<Token>& toks) {
    if (net_->headerPos.line != 0) {
      Fail(pos_, "'netz' is given twice (first at " + net_->headerPos.file + ":" +
                     std::to_string(net_->headerPos.line) + ")");
    }
    for (size_t i = 1; i < toks.size(); ++i) {
      const Token& t = toks[i];
      std::string err;
      if (t.key == "versionsinfo")
        net_->versionInfo = VersionInfo(t, pos_);
      else if (t.key == "erstellt") {
        auto v = ParseTime(t.value, &err);
        if (!v) Fail(pos_, err);
        net_->created = *v;
      } else if (t.key == "gueltig_ab")
        net_->firstDay = Day(t, pos_);
      else if (t.key == "wegetexte_ableiten") {
        if (t.value != "ja" && t.value != "nein") Fail(pos_, "wegetexte_ableiten takes ja or nein");
        net_->deriveRouteTexts = t.value == "ja";
      } else
        Fail(pos_, "unknown key '" + (t.key.empty() ? t.value : t.key) + "' for 'netz'");
    }
    net_->headerPos = pos_;
  }

  void Bahnhof(const std::vector<Token>& toks) {
    Station s;
    s.pos = pos_;
    s.number = StationNumber(Plain(toks, 1, pos_, "station number"), pos_);
    const Token& name = Plain(toks, 2, pos_, "station name");
    if (!name.quoted) Fail(pos_, "the station name is written in quotes");
    s.name = name.value;
    for (size_t i = 3; i < toks.size(); ++i) {
      const Token& t = toks[i];
      if (t.key == "name2")
        s.name2 = t.value;
      else if (t.key == "kuerzel")
        s.code = t.value;
      else if (t.key == "art")
        s.kind = Letter(t, pos_, "BHAN");
      else if (t.key == "gebiet")
        s.area = static_cast<uint16_t>(Number(t, pos_, "area", 1, 65535));
      else if (t.key == "liste")
        s.listFlag = Letter(t, pos_, "JN");
      else if (t.key == "merkmal8")
        s.flag8 = Letter(t, pos_, "JN");
      else if (t.key == "merkmal9")
        s.flag9 = Letter(t, pos_, "JN");
      else if (t.key == "kmteil")
        s.kmPart = Letter(t, pos_, "AB");
      else if (t.key == "ab")
        s.validFrom = Day(t, pos_);
      else if (t.key == "entfaellt")
        s.withdrawn = Day(t, pos_);
      else if (t.key == "alias")
        s.aliases.push_back(t.value);
      else
        Fail(pos_, "unknown key '" + (t.key.empty() ? t.value : t.key) + "' for 'bahnhof'");
    }
    net_->stations.push_back(std::move(s));
  }

  void Gebiet(const std::vector<Token>& toks) {
    Area a;
    a.pos = pos_;
    a.number =
        static_cast<uint16_t>(Number(Plain(toks, 1, pos_, "area number"), pos_, "area", 1, 65535));
    const Token& name = Plain(toks, 2, pos_, "area name");
    if (!name.quoted) Fail(pos_, "the area name is written in quotes");
    a.name = name.value;
    bool haveNodes = false;
    for (size_t i = 3; i < toks.size(); ++i) {
      const Token& t = toks[i];
      if (t.key != "knoten")
        Fail(pos_, "unknown key '" + (t.key.empty() ? t.value : t.key) + "' for 'gebiet'");
      haveNodes = true;
      for (const std::string& part : SplitComma(t.value)) {
        Token nt;
        nt.value = part;
        a.nodes.push_back(StationNumber(nt, pos_));
      }
    }
    if (!haveNodes)
      Fail(pos_, "area " + std::to_string(a.number) + " names no node stations (knoten=...)");
    net_->areas.push_back(std::move(a));
  }

  void Strecke(const std::vector<Token>& toks) {
    struct Line line;
    line.pos = pos_;
    const Token& name = Plain(toks, 1, pos_, "line name");
    if (!name.quoted) Fail(pos_, "the line name is written in quotes");
    line.name = name.value;
    for (size_t i = 2; i < toks.size(); ++i) {
      const Token& t = toks[i];
      if (t.key == "teil")
        line.part = static_cast<int>(Number(t, pos_, "km part", 1, 2));
      else
        Fail(pos_, "unknown key '" + (t.key.empty() ? t.value : t.key) + "' for 'strecke'");
    }
    net_->lines.push_back(std::move(line));
    inLine_ = true;
  }

  void LineRow(const std::vector<Token>& toks) {
    struct Line& line = net_->lines.back();
    const Token& head = toks[0];
    if (head.value == "ende") {
      if (toks.size() > 1) Fail(pos_, "'ende' takes nothing after it");
      inLine_ = false;
      return;
    }
    if (head.value == "km_ab") {
      KmChange c;
      c.pos = pos_;
      c.from = Day(Plain(toks, 1, pos_, "date"), pos_);
      c.a = StationNumber(Plain(toks, 2, pos_, "station number"), pos_);
      c.b = StationNumber(Plain(toks, 3, pos_, "station number"), pos_);
      c.km = Number(Plain(toks, 4, pos_, "kilometres"), pos_, "kilometres", 1, 65535);
      if (toks.size() > 5) Fail(pos_, "'km_ab' takes a date, two stations and the kilometres");
      line.changes.push_back(c);
      return;
    }
    static const char* const kDirectives[] = {"netz",     "bahnhof",  "gebiet", "strecke",
                                              "wegetext", "relation", "meldung"};
    for (const char* d : kDirectives) {
      if (head.value == d) Fail(line.pos, "line '" + line.name + "' has no 'ende'");
    }
    if (!IsNumber(head.value)) {
      Fail(pos_, "a line row begins with the kilometre position, not '" + head.value + "'");
    }
    Stop s;
    s.pos = pos_;
    s.km = Number(head, pos_, "kilometre position", 0, 9999);
    s.station = StationNumber(Plain(toks, 1, pos_, "station number"), pos_);
    if (toks.size() > 2) {
      if (!toks[2].key.empty() || !toks[2].quoted)
        Fail(pos_, "a line row ends with the station's name in quotes");
      s.nameCheck = toks[2].value;
    }
    if (toks.size() > 3) Fail(pos_, "too much in a line row");
    line.stops.push_back(std::move(s));
  }

  void Wegetext(const std::vector<Token>& toks) {
    RouteText r;
    r.pos = pos_;
    r.from = StationNumber(Plain(toks, 1, pos_, "station number"), pos_);
    r.to = StationNumber(Plain(toks, 2, pos_, "station number"), pos_);
    const Token& text = Plain(toks, 3, pos_, "route description");
    if (!text.quoted) Fail(pos_, "the route description is written in quotes");
    r.text = text.value;
    for (size_t i = 4; i < toks.size(); ++i) {
      const Token& t = toks[i];
      if (t.key == "nummer")
        r.number = static_cast<uint32_t>(Number(t, pos_, "route-text number", 1, 2147483647));
      else if (t.key == "ab")
        r.validFrom = Day(t, pos_);
      else
        Fail(pos_, "unknown key '" + (t.key.empty() ? t.value : t.key) + "' for 'wegetext'");
    }
    net_->routeTexts.push_back(std::move(r));
  }

  void RelationLine(const std::vector<Token>& toks) {
    Relation r;
    r.pos = pos_;
    r.key = static_cast<uint16_t>(
        Number(Plain(toks, 1, pos_, "relation key"), pos_, "relation key", 0, 65535));
    r.number = static_cast<uint32_t>(
        Number(Plain(toks, 2, pos_, "relation number"), pos_, "relation number", 1, 4294967295LL));
    size_t i = 3;
    int nst = 0;
    while (i < toks.size() && toks[i].key.empty()) {
      if (nst == 4) Fail(pos_, "a relation has at most four stations");
      r.stations[nst++] = StationNumber(toks[i], pos_);
      ++i;
    }
    if (nst < 2) Fail(pos_, "a relation names at least two stations");
    bool haveKm = false;
    for (; i < toks.size(); ++i) {
      const Token& t = toks[i];
      if (t.key == "km") {
        r.km = static_cast<uint16_t>(Number(t, pos_, "kilometres", 0, 65535));
        haveKm = true;
      } else if (t.key == "ab")
        r.validFrom = Day(t, pos_);
      else if (t.key == "bis")
        r.validTo = Day(t, pos_);
      else if (t.key == "punkte") {
        for (const std::string& part : SplitComma(t.value)) {
          size_t colon = part.find(':');
          if (colon == std::string::npos || colon + 2 != part.size()) {
            Fail(pos_, "relation point '" + part + "' is written STATION:KIND");
          }
          Token st;
          st.value = part.substr(0, colon);
          Token kind;
          kind.key = "punkte";
          kind.value = part.substr(colon + 1);
          RelationPoint p;
          p.station = StationNumber(st, pos_);
          p.kind = Letter(kind, pos_, "OMU");
          r.points.push_back(p);
        }
      } else
        Fail(pos_, "unknown key '" + (t.key.empty() ? t.value : t.key) + "' for 'relation'");
    }
    if (!haveKm) Fail(pos_, "a relation needs km=...");
    net_->relations.push_back(std::move(r));
  }

  void Meldung(const std::vector<Token>& toks) {
    Message m;
    m.pos = pos_;
    const Token& var = Plain(toks, 1, pos_, "variant letter");
    if (var.value.size() != 1 || var.value[0] < 'A' || var.value[0] > 'Z') {
      Fail(pos_, "the variant is one capital letter, not '" + var.value + "'");
    }
    m.variant = var.value[0];
    const Token& id = Plain(toks, 2, pos_, "subsystem id");
    if (id.value.size() != 2 || !std::isupper(static_cast<unsigned char>(id.value[0])) ||
        !std::isupper(static_cast<unsigned char>(id.value[1]))) {
      Fail(pos_, "the subsystem id is two capital letters, not '" + id.value + "'");
    }
    m.ssid[0] = id.value[0];
    m.ssid[1] = id.value[1];
    m.number = static_cast<uint16_t>(
        Number(Plain(toks, 3, pos_, "message number"), pos_, "message number", 0, 65535));
    const Token& text = Plain(toks, 4, pos_, "message text");
    if (!text.quoted) Fail(pos_, "the message text is written in quotes");
    m.text = text.value;
    for (size_t i = 5; i < toks.size(); ++i) {
      const Token& t = toks[i];
      if (t.key == "ab")
        m.validFrom = Day(t, pos_);
      else
        Fail(pos_, "unknown key '" + (t.key.empty() ? t.value : t.key) + "' for 'meldung'");
    }
    net_->messages.push_back(std::move(m));
  }

  Network* net_;
  Pos pos_;
  bool inLine_ = false;
};

/* The UTF-8 byte-order mark that some editors write at the start. */
const char kBom[] = "\xEF\xBB\xBF";

/* The first NUL byte is refused at its line and column (in characters). */
void RefuseNul(const std::string& fileName, const std::string& text, size_t from) {
  const size_t at = text.find('\0', from);
  if (at == std::string::npos) return;
  size_t line = 1, lineStart = from;
  for (size_t i = from; i < at; ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  const size_t column = 1 + Utf8Length(text.substr(lineStart, at - lineStart));
  throw CompileError(fileName + ":" + std::to_string(line) + ":" + std::to_string(column) +
                     ": NUL byte: a description file holds text only");
}

/* The whole file, or an error: a read that stops short (a failing disk,
** memory running out) never passes for the end of the file. */
std::string ReadWhole(const std::string& path) {
  std::ifstream in;
  in.exceptions(std::ios::badbit);
  try {
    in.open(path, std::ios::binary);
    if (!in.is_open()) throw CompileError(path + ": cannot be read");
    std::string text;
    char buf[1 << 14];
    for (;;) {
      in.read(buf, sizeof buf);
      text.append(buf, static_cast<size_t>(in.gcount()));
      if (!in) break;
    }
    if (!in.eof()) throw CompileError(path + ": cannot be read to its end");
    return text;
  } catch (const std::ios_base::failure& e) {
    throw CompileError(path + ": cannot be read: " + e.code().message());
  }
}

}  // namespace

void ParseText(const std::string& fileName, const std::string& text, Network* net) {
  size_t pos = text.compare(0, 3, kBom) == 0 ? 3 : 0;
  /* More than a quarter of bytes that are no text (a description has
  ** none at all): a binary file, refused as a whole. The mark is text. */
  const size_t nonText = NonTextBytes(text);
  if (nonText * 4 > text.size() - pos) {
    throw CompileError(fileName + ": is not a text file (" + std::to_string(nonText) + " of its " +
                       std::to_string(text.size() - pos) +
                       " bytes are no text); a description is UTF-8 text");
  }
  RefuseNul(fileName, text, pos);
  Parser p(fileName, net);
  /* Line by line, the last one with or without its line feed. */
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    p.Line(text.substr(pos, end - pos));
    pos = end + 1;
  }
  p.Finish();
}

void ParseFile(const std::string& path, Network* net) { ParseText(path, ReadWhole(path), net); }

std::vector<std::string> DescriptionFiles(const std::string& dir) {
  namespace fs = std::filesystem;
  /* The folder is read with opendir/readdir: the library's directory
  ** iterator cannot report running out of memory and ends the program. */
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.c_str()), &closedir);
  if (!d) {
    const std::error_code ec(errno, std::generic_category());
    throw CompileError(dir + ": " + ec.message());
  }
  std::vector<std::string> files;
  for (;;) {
    errno = 0;
    const dirent* e = readdir(d.get());
    if (e == nullptr) {
      if (errno != 0) {
        const std::error_code ec(errno, std::generic_category());
        throw CompileError(dir + ": " + ec.message());
      }
      break;
    }
    const fs::path p = fs::path(dir) / e->d_name;
    std::error_code ec;
    if (p.extension() == ".net" && fs::is_regular_file(p, ec)) files.push_back(p.string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

Network ParseFolder(const std::string& dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) throw CompileError(dir + ": is no description folder");
  const std::vector<std::string> files = DescriptionFiles(dir);
  if (files.empty()) throw CompileError(dir + ": holds no .net files");
  Network net;
  for (const std::string& f : files) ParseFile(f, &net);
  return net;
}

}  // namespace zolmanet
