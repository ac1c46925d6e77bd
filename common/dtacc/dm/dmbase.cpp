/*
** dmbase: the loader of the table manager (see dmbase.h).
**
** The reading steps (open, header, block) are written once as internal
** functions that report a failure as a LoadFault instead of raising, so that
** DbLoadTab can free what it has read and close the file before it raises.
** The public DbOpenTabFile, DbReadFileHeader and DbReadBlock raise the same
** fault directly.
**
** Every number of the file is decoded with the little-endian helpers of
** support/le.h; nothing is cast from bytes to a struct.
*/
#include "common/dtacc/dm/dmbase.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "support/bifile.h"
#include "support/le.h"
#include "support/msg.h"
#include "support/utday.h"
#include "support/utfault.h"
#include "support/utname.h"

int32_t DbDatenZeitstempel = 0;

namespace {

constexpr std::size_t kFileHeaderLen = 26;
constexpr std::size_t kBlockHeaderLen = 6;
constexpr char kInfoBlockName[] = "Dateiinfoblock";

/* Unique load generations; 0 is never handed out. */
uint32_t g_generation = 0;

/* Test hooks. */
int g_liveBlocks = 0;

/* The table file opened by DbOpenTabFile and the bytes not yet consumed
** (-1 when the size is unknown), so that no block can claim more bytes than
** the file still holds before anything is allocated for it. */
struct OpenFile {
  int16_t fileNo = -1;
  int64_t remaining = -1;
};
OpenFile g_open;

/* A failure of a reading step: the "DZ" number and up to three text
** parameters (copied, since the file layer's error text buffer is
** overwritten by the next file operation). */
struct LoadFault {
  uint16_t number = 0;
  int params = 0;
  char p[3][192] = {};
};

void FaultParam(LoadFault* f, const char* text) {
  if (f->params >= 3) return;
  std::snprintf(f->p[f->params], sizeof f->p[0], "%s", text ? text : "");
  ++f->params;
}

bool Fail(LoadFault* f, uint16_t number, const char* a = nullptr, const char* b = nullptr,
          const char* c = nullptr) {
  f->number = number;
  f->params = 0;
  if (a) FaultParam(f, a);
  if (b) FaultParam(f, b);
  if (c) FaultParam(f, c);
  return false;
}

[[noreturn]] void RaiseFault(const LoadFault& f) {
  switch (f.params) {
    case 0:
      MsgRaise(1, kMsgSsTable, f.number, kMsgModeNumbered, "");
    case 1:
      MsgRaise(1, kMsgSsTable, f.number, kMsgModeNumbered, "s", f.p[0]);
    case 2:
      MsgRaise(1, kMsgSsTable, f.number, kMsgModeNumbered, "ss", f.p[0], f.p[1]);
    default:
      MsgRaise(1, kMsgSsTable, f.number, kMsgModeNumbered, "sss", f.p[0], f.p[1], f.p[2]);
  }
}

unsigned char* AllocBlock(std::size_t n) {
  if (UtFaultAlloc(kUtFaultDbBlock)) return nullptr;
  unsigned char* p = static_cast<unsigned char*>(std::malloc(n));
  if (p) ++g_liveBlocks;
  return p;
}

void FreeBlock(unsigned char* p) {
  if (!p) return;
  --g_liveBlocks;
  std::free(p);
}

/* Frees every block of the table and clears the pointers and counts. */
void FreeTabBlocks(DbTabDesc* tab) {
  FreeBlock(tab->fileInfo);
  tab->fileInfo = nullptr;
  tab->fileInfoLen = 0;
  for (DbBlockDesc* b = tab->firstBlock; b; b = b->next) {
    FreeBlock(b->records);
    b->records = nullptr;
    b->count = 0;
  }
}

int64_t* RemainingOf(int16_t fileNo) {
  return (g_open.fileNo == fileNo && g_open.remaining >= 0) ? &g_open.remaining : nullptr;
}

void Consume(int64_t* remaining, int64_t n) {
  if (remaining) *remaining = *remaining > n ? *remaining - n : 0;
}

bool OpenTabFile(const char* physName, int16_t* fileNo, LoadFault* f) {
  int16_t no = BiOpen(physName);
  if (no < 0) return Fail(f, kDzOpen, physName, BiErrorText());
  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(physName, ec);
  g_open.fileNo = no;
  g_open.remaining = ec ? -1 : static_cast<int64_t>(size);
  *fileNo = no;
  return true;
}

void CloseTabFile(int16_t fileNo) {
  BiClose(fileNo);
  if (g_open.fileNo == fileNo) g_open = OpenFile{};
}

bool ReadFileHeader(int16_t fileNo, int16_t tabNo, int16_t version, int16_t maxSubVersion,
                    const char* physName, LoadFault* f) {
  unsigned char h[kFileHeaderLen];
  if (BiRead(h, kFileHeaderLen, 1, fileNo) != 1) return Fail(f, kDzRead, physName, BiErrorText());
  Consume(RemainingOf(fileNo), kFileHeaderLen);
  if (LeGetI16(h + 0) != 1) return Fail(f, kDzFormat, physName);
  if (LeGetI16(h + 2) != tabNo) return Fail(f, kDzTableNo, physName);
  if (LeGetI16(h + 4) != version) return Fail(f, kDzVersion, physName);
  if (LeGetI16(h + 6) > maxSubVersion) return Fail(f, kDzVersion, physName);
  if (DbDatenZeitstempel == 0) DbDatenZeitstempel = LeGetI32(h + 8);
  return true;
}

/* Reads and drops n bytes (the bytes of a block too short for one record). */
bool SkipBytes(int16_t fileNo, int32_t n) {
  unsigned char buf[256];
  while (n > 0) {
    std::size_t part = n > 256 ? 256 : static_cast<std::size_t>(n);
    if (BiRead(buf, part, 1, fileNo) != 1) return false;
    n -= static_cast<int32_t>(part);
  }
  return true;
}

bool ReadBlock(int16_t fileNo, const char* physName, const char* blockName, int16_t expectedNo,
               int32_t recLen, unsigned char** records, int32_t* count, LoadFault* f) {
  *records = nullptr;
  *count = 0;
  const char* name = blockName ? blockName : "";
  unsigned char h[kBlockHeaderLen];
  if (BiRead(h, kBlockHeaderLen, 1, fileNo) != 1) return Fail(f, kDzRead, physName, BiErrorText());
  int64_t* remaining = RemainingOf(fileNo);
  Consume(remaining, kBlockHeaderLen);
  if (LeGetI16(h + 0) != expectedNo) return Fail(f, kDzBlockNo, physName, name);
  int32_t length = LeGetI32(h + 2);
  if (length <= 0) return true; /* empty block: nothing follows */
  if (recLen <= 0) {
    char what[96];
    std::snprintf(what, sizeof what, "Satzlaenge %ld ungueltig", static_cast<long>(recLen));
    return Fail(f, kDzMalformed, physName, name, what);
  }
  if (remaining && length > *remaining) {
    char what[128];
    std::snprintf(what, sizeof what, "Blocklaenge %ld groesser als der Rest der Datei (%lld Bytes)",
                  static_cast<long>(length), static_cast<long long>(*remaining));
    return Fail(f, kDzMalformed, physName, name, what);
  }
  int32_t n = length / recLen;
  if (n == 0) {
    /* Shorter than one record: an empty block; its bytes are consumed so
    ** that the next block header is read where it stands. */
    if (!SkipBytes(fileNo, length)) return Fail(f, kDzRead, physName, BiErrorText());
    Consume(remaining, length);
    return true;
  }
  /* One allocation and one read for the whole block, the bytes after the
  ** last whole record included, so that the next header is read in place. */
  unsigned char* p = AllocBlock(static_cast<std::size_t>(length));
  if (!p) return Fail(f, kDzNoMemory);
  if (BiRead(p, static_cast<std::size_t>(length), 1, fileNo) != 1) {
    FreeBlock(p);
    return Fail(f, kDzRead, physName, BiErrorText());
  }
  Consume(remaining, length);
  *records = p;
  *count = n;
  return true;
}

bool AsciiEqualNoCase(const unsigned char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = a[i];
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

/* The version line, sent only when "ALLG"/"LOGVERSIONSINFO" is "ON". */
void LogVersionsInfo(const DbTabDesc* tab) {
  const char* sw = UtQueryName("ALLG", "LOGVERSIONSINFO");
  if (!sw || std::strcmp(sw, "ON") != 0) return;
  const unsigned char* info = tab->fileInfo;
  const char* value = DbGetVersionsInfo(&info, tab->fileInfoLen);
  char when[40];
  std::time_t t = static_cast<std::time_t>(DbDatenZeitstempel);
  std::tm tm{};
  if (localtime_r(&t, &tm)) {
    std::snprintf(when, sizeof when, "%04d-%02d-%02d:%02d:%02d:%02d", (tm.tm_year + 1900) % 10000,
                  (tm.tm_mon + 1) % 100, tm.tm_mday % 100, tm.tm_hour % 100, tm.tm_min % 100,
                  tm.tm_sec % 100);
  } else {
    std::snprintf(when, sizeof when, "%s", "Ungueltiger Zeitstempel");
  }
  MsgSend(kMsgSsTable, kDzVersionLog, kMsgModeNumbered, "sss", tab->code ? tab->code : "",
          value ? value : "VERSIONSINFO nicht gesetzt", when);
}

/* Reads the whole table from its file; on failure frees everything read so
** far, closes the file and fills *f. */
bool ReadTab(DbTabDesc* tab, const char* physName, LoadFault* f) {
  FreeTabBlocks(tab); /* nothing stale can survive into this load */
  int16_t fileNo = -1;
  if (!OpenTabFile(physName, &fileNo, f)) return false;
  bool ok = ReadFileHeader(fileNo, tab->tabNo, tab->version, tab->maxSubVersion, physName, f);
  if (ok) {
    unsigned char* info = nullptr;
    int32_t infoLen = 0;
    ok = ReadBlock(fileNo, physName, kInfoBlockName, 0, 1, &info, &infoLen, f);
    tab->fileInfo = info;
    tab->fileInfoLen = infoLen;
  }
  if (ok) LogVersionsInfo(tab);
  for (DbBlockDesc* b = tab->firstBlock; ok && b; b = b->next) {
    ok = ReadBlock(fileNo, physName, b->name, b->blockNo, b->recLen, &b->records, &b->count, f);
  }
  if (ok && tab->check) {
    DbFault fault{};
    if (!tab->check(tab, &fault)) {
      ok = Fail(f, kDzMalformed, physName, fault.block ? fault.block : "", fault.what);
    }
  }
  if (!ok) FreeTabBlocks(tab);
  CloseTabFile(fileNo);
  return ok;
}

void LoadTab(DbTabDesc* tab, bool keepStamp) {
  if (!tab) return;
  const char* code = tab->code ? tab->code : "";
  const char* phys = UtQueryName(kUtRegisterGroup, code);
  if (!phys) {
    std::fprintf(stderr, "%s ERROR: dmbase %s: %s(%s)\n", UtSecondsText(UtNowSeconds()),
                 "DbLoadTab", "Fehler bei Aufruf von UtQueryName", code);
    MsgRaise(1, kMsgSsTable, kDzNotRegistered, kMsgModeNumbered, "s", code);
  }
  if (std::strcmp(phys, kDbNoFileName) == 0) return;
  if (tab->loadCount >= 1) {
    /* At most 32767 loads may be outstanding; the count never wraps. */
    if (tab->loadCount < INT16_MAX) ++tab->loadCount;
    return;
  }
  int32_t savedStamp = DbDatenZeitstempel;
  LoadFault f;
  bool ok = ReadTab(tab, phys, &f);
  if (keepStamp) DbDatenZeitstempel = savedStamp;
  if (!ok) {
    tab->loadCount = 0;
    tab->generation = 0;
    RaiseFault(f);
  }
  tab->loadCount = 1;
  if (++g_generation == 0) ++g_generation;
  tab->generation = g_generation;
  if (tab->afterLoad) tab->afterLoad(tab);
}

}  // namespace

/* ---- descriptors ---------------------------------------------------------- */

namespace {

/* Resets a descriptor to its initial values (table number, version and
** highest sub-version -1, code and pointers null, counts 0). */
void DbResetTabDesc(DbTabDesc* tab) {
  if (!tab) return;
  *tab = kDbTabDescInit;
}

void DbResetBlockDesc(DbBlockDesc* block) {
  if (!block) return;
  *block = kDbBlockDescInit;
}

}  // namespace

void DbSetupTab(DbTabDesc* tab, int16_t tabNo, const char* code, int16_t version,
                int16_t maxSubVersion, DbTabCheck check, DbTabHook afterLoad,
                DbTabHook beforeUnload) {
  DbResetTabDesc(tab);
  tab->tabNo = tabNo;
  tab->code = code;
  tab->version = version;
  tab->maxSubVersion = maxSubVersion;
  tab->check = check;
  tab->afterLoad = afterLoad;
  tab->beforeUnload = beforeUnload;
}

void DbSetupBlock(DbTabDesc* tab, DbBlockDesc* block, int16_t blockNo, const char* name,
                  int32_t recLen) {
  DbResetBlockDesc(block);
  block->blockNo = blockNo;
  block->name = name;
  block->recLen = recLen;
  DbBlockDesc** link = &tab->firstBlock;
  while (*link) link = &(*link)->next;
  *link = block;
}

const DbBlockDesc* DbTabBlock(const DbTabDesc* tab, int16_t blockNo) {
  if (!tab) return nullptr;
  for (const DbBlockDesc* b = tab->firstBlock; b; b = b->next)
    if (b->blockNo == blockNo) return b;
  return nullptr;
}

/* ---- loading ---------------------------------------------------------------- */

void DbLoadTab(DbTabDesc* tab) { LoadTab(tab, false); }

void DbLoadTabKeepStamp(DbTabDesc* tab) { LoadTab(tab, true); }

void DbUnloadTab(DbTabDesc* tab) {
  if (!tab || tab->loadCount <= 0) return;
  --tab->loadCount;
  if (tab->loadCount > 0) return;
  if (tab->beforeUnload) tab->beforeUnload(tab);
  FreeTabBlocks(tab);
  tab->generation = 0;
}

int16_t DbOpenTabFile(const char* physName) {
  LoadFault f;
  int16_t no = -1;
  if (!OpenTabFile(physName, &no, &f)) RaiseFault(f);
  return no;
}

void DbReadFileHeader(int16_t fileNo, int16_t tabNo, int16_t version, int16_t maxSubVersion,
                      const char* physName) {
  LoadFault f;
  if (!ReadFileHeader(fileNo, tabNo, version, maxSubVersion, physName, &f)) RaiseFault(f);
}

unsigned char* DbReadBlock(int16_t fileNo, const char* physName, const char* blockName,
                           int16_t expectedNo, int32_t recLen, int32_t* count) {
  LoadFault f;
  unsigned char* records = nullptr;
  int32_t n = 0;
  if (!ReadBlock(fileNo, physName, blockName, expectedNo, recLen, &records, &n, &f)) RaiseFault(f);
  if (count) *count = n;
  return records;
}

void DbFreeBlock(unsigned char* records) { FreeBlock(records); }

const char* DbGetVersionsInfo(const unsigned char* const* fileInfo, int32_t len) {
  if (!fileInfo || !*fileInfo || len <= 0) return nullptr;
  const unsigned char* p = *fileInfo;
  const std::size_t n = static_cast<std::size_t>(len);
  std::size_t pos = 0;
  while (pos < n && p[pos] != 0) {
    const void* nul = std::memchr(p + pos, 0, n - pos);
    if (!nul) return nullptr; /* the text runs to the block's end unterminated */
    std::size_t end = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - p);
    if (end - pos >= 13 && AsciiEqualNoCase(p + pos, "VERSIONSINFO", 12) && p[pos + 12] == '=')
      return reinterpret_cast<const char*>(p + pos + 13);
    pos = end + 1;
  }
  return nullptr;
}

/* ---- load-check helpers ----------------------------------------------------------- */

void DbFaultSet(DbFault* fault, const char* block, const char* format, ...) {
  if (!fault) return;
  fault->block = block;
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(fault->what, sizeof fault->what, format, ap);
  va_end(ap);
}

bool DbCheckIndexField(const DbBlockDesc* recs, std::size_t fieldOffset, DbIndexKind kind,
                       const DbBlockDesc* target, bool allowNone, DbFault* fault) {
  if (recs->count > 0 && fieldOffset + 2 > static_cast<std::size_t>(recs->recLen)) {
    DbFaultSet(fault, recs->name, "Feld bei Offset %zu ausserhalb des Satzes", fieldOffset);
    return false;
  }
  for (int32_t i = 0; i < recs->count; ++i) {
    const unsigned char* r =
        recs->records + static_cast<std::size_t>(i) * static_cast<std::size_t>(recs->recLen);
    long v = kind == kDbIndexU16 ? static_cast<long>(LeGetU16(r + fieldOffset))
                                 : static_cast<long>(LeGetI16(r + fieldOffset));
    if (allowNone && v == -1) continue;
    if (v < 0 || v >= target->count) {
      DbFaultSet(fault, recs->name,
                 "Satz %ld: Index %ld bei Offset %zu ausserhalb von %s (%ld Saetze)",
                 static_cast<long>(i), v, fieldOffset, target->name ? target->name : "",
                 static_cast<long>(target->count));
      return false;
    }
  }
  return true;
}

bool DbCheckTextField(const DbBlockDesc* recs, std::size_t fieldOffset, int texts,
                      const DbBlockDesc* text, DbFault* fault) {
  if (recs->count > 0 && fieldOffset + 4 > static_cast<std::size_t>(recs->recLen)) {
    DbFaultSet(fault, recs->name, "Feld bei Offset %zu ausserhalb des Satzes", fieldOffset);
    return false;
  }
  const std::size_t size =
      text->records && text->count > 0 ? static_cast<std::size_t>(text->count) : 0;
  for (int32_t i = 0; i < recs->count; ++i) {
    const unsigned char* r =
        recs->records + static_cast<std::size_t>(i) * static_cast<std::size_t>(recs->recLen);
    uint32_t off = LeGetU32(r + fieldOffset);
    std::size_t pos = off;
    for (int t = 0; t < texts; ++t) {
      if (pos >= size) {
        DbFaultSet(fault, recs->name, "Satz %ld: Textoffset %lu ausserhalb von %s (%zu Bytes)",
                   static_cast<long>(i), static_cast<unsigned long>(off),
                   text->name ? text->name : "", size);
        return false;
      }
      const void* nul = std::memchr(text->records + pos, 0, size - pos);
      if (!nul) {
        DbFaultSet(fault, recs->name, "Satz %ld: Text bei Offset %zu in %s ohne Endezeichen",
                   static_cast<long>(i), pos, text->name ? text->name : "");
        return false;
      }
      pos = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - text->records) + 1;
    }
  }
  return true;
}

/* ---- test hooks --------------------------------------------------------------------- */

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
int DbTestLiveBlocks() { return g_liveBlocks; }
#endif
