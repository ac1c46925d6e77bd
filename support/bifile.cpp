// File numbers over byte streams.
//
// Owns the list of open files (ascending by file number), the last-used
// node that lets a run of reads on one file skip the list search, the error
// state (kind and detail) and the buffer of BiErrorText.
#include "support/bifile.h"
#include "support/utfault.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct BiFile {
  std::int16_t number;
  BiFile* next;
  std::FILE* stream;
};

BiFile* g_first = nullptr;
BiFile* g_lastUsed = nullptr;
std::int16_t g_kind = 0;
std::int16_t g_detail = 0;
char g_text[84];

void BiClearError() {
  g_kind = 0;
  g_detail = 0;
}

void BiSetError(int detail, std::int16_t kind) {
  g_kind = kind;
  g_detail = static_cast<std::int16_t>(detail);
}

// A node with the smallest file number not in use, linked in so that the
// list stays ascending; null when no memory (or no number) is left.
BiFile* BiNewFile() {
  if (UtFaultAlloc(kUtFaultBiFile)) return nullptr;
  if (!g_first || g_first->number > 0) {
    BiFile* f = static_cast<BiFile*>(std::malloc(sizeof(BiFile)));
    if (!f) return nullptr;
    f->number = 0;
    f->stream = nullptr;
    f->next = g_first;
    g_first = f;
    return f;
  }
  BiFile* cur = g_first;
  while (cur->next && cur->next->number == cur->number + 1) cur = cur->next;
  if (cur->number == INT16_MAX) return nullptr;  // every number in use
  BiFile* f = static_cast<BiFile*>(std::malloc(sizeof(BiFile)));
  if (!f) return nullptr;
  f->number = static_cast<std::int16_t>(cur->number + 1);
  f->stream = nullptr;
  f->next = cur->next;
  cur->next = f;
  return f;
}

BiFile* BiFindFile(std::int16_t number) {
  if (g_lastUsed && g_lastUsed->number == number) return g_lastUsed;
  for (BiFile* f = g_first; f && f->number <= number; f = f->next)
    if (f->number == number) return f;
  return nullptr;
}

void BiRemoveFile(std::int16_t number) {
  for (BiFile** link = &g_first; *link; link = &(*link)->next) {
    if ((*link)->number == number) {
      BiFile* f = *link;
      *link = f->next;
      if (g_lastUsed == f) g_lastUsed = nullptr;
      std::free(f);
      return;
    }
  }
}

}  // namespace

std::int16_t BiOpen(const char* name) {
  BiClearError();
  BiFile* f = BiNewFile();
  if (!f) {
    BiSetError(16, kBiErrMalloc);  // reports 16 bytes asked for
    return -1;
  }
  errno = 0;
  f->stream = name ? std::fopen(name, "rb") : nullptr;
  if (!f->stream) {
    BiSetError(name ? errno : EINVAL, kBiErrOpen);
    BiRemoveFile(f->number);
    return -1;
  }
  g_lastUsed = f;
  return f->number;
}

std::size_t BiRead(void* buffer, std::size_t size, std::size_t count, std::int16_t file) {
  BiClearError();
  BiFile* f = BiFindFile(file);
  if (!f) {
    BiSetError(file, kBiErrHandle);
    return 0;
  }
  std::size_t got = 0;
  if (buffer && size && count) {
    errno = 0;
    got = std::fread(buffer, size, count, f->stream);
    if (got < count && !std::feof(f->stream)) BiSetError(errno ? errno : EIO, kBiErrRead);
  }
  g_lastUsed = f;
  return got;
}

int BiClose(std::int16_t file) {
  BiClearError();
  BiFile* f = BiFindFile(file);
  if (!f) {
    BiSetError(file, kBiErrHandle);
    return 5;
  }
  std::fclose(f->stream);
  BiRemoveFile(file);
  g_lastUsed = nullptr;
  return 0;
}

const char* BiErrorText() {
  switch (g_kind) {
    case kBiNoError:
      std::snprintf(g_text, sizeof g_text, "BI: kein Fehler");
      break;
    case kBiErrMalloc:
      std::snprintf(g_text, sizeof g_text, "BI: Fehler bei malloc, %d Bytes angefordert", g_detail);
      break;
    case kBiErrOpen:
      std::snprintf(g_text, sizeof g_text, "BI: Fehler bei fopen, %.58s", std::strerror(g_detail));
      break;
    case kBiErrHandle:
      std::snprintf(g_text, sizeof g_text, "BI: unbekannter handle %d", g_detail);
      break;
    case kBiErrRead:
      std::snprintf(g_text, sizeof g_text, "BI: Fehler bei fread, %.58s", std::strerror(g_detail));
      break;
    default:
      std::snprintf(g_text, sizeof g_text, "BI: kein Fehler");
      break;
  }
  return g_text;
}

std::int16_t BiErrorKind() { return g_kind; }

std::int16_t BiErrorDetail() { return g_detail; }
