// The name register.
//
// Owns the process-wide list of groups, each with its list of entries (both
// singly linked in the order of creation, new nodes appended at the end),
// every name and value as an owned heap copy, and the query hook. Names are
// compared with ASCII case folding only.
#include "support/utname.h"
#include "support/utfault.h"

#include <cstdlib>
#include <cstring>

namespace {

struct UtRegisterGroup;

struct UtRegisterEntry {
  UtRegisterEntry* next;
  char* name;
  char* value;  // null: entry without a value
  UtRegisterGroup* group;
};

struct UtRegisterGroup {
  UtRegisterGroup* next;
  char* name;
  UtRegisterEntry* first;
};

UtRegisterGroup* g_first = nullptr;
UtQueryHook g_hook = nullptr;

void* Alloc(std::size_t n) {
  if (UtFaultAlloc(kUtFaultName)) return nullptr;
  return std::malloc(n);
}

char* CopyText(const char* s) {
  if (!s) return nullptr;
  std::size_t n = std::strlen(s) + 1;
  char* c = static_cast<char*>(Alloc(n));
  if (c) std::memcpy(c, s, n);
  return c;
}

unsigned char Fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool SameName(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  for (;; ++x, ++y) {
    if (Fold(*x) != Fold(*y)) return false;
    if (*x == 0) return true;
  }
}

UtRegisterGroup* FindGroup(const char* group) {
  if (!group) return nullptr;
  for (UtRegisterGroup* g = g_first; g; g = g->next)
    if (SameName(g->name, group)) return g;
  return nullptr;
}

UtRegisterEntry* FindEntry(UtRegisterGroup* g, const char* name) {
  if (!g || !name) return nullptr;
  for (UtRegisterEntry* e = g->first; e; e = e->next)
    if (SameName(e->name, name)) return e;
  return nullptr;
}

void FreeEntry(UtRegisterEntry* e) {
  std::free(e->name);
  std::free(e->value);
  std::free(e);
}

}  // namespace

const char* UtQueryName(const char* group, const char* name) {
  const char* answer = nullptr;
  int found = 0;
  if (UtRegisterEntry* e = FindEntry(FindGroup(group), name)) {
    answer = e->value ? e->value : kUtUndefined;
    found = 1;
  }
  if (g_hook) return g_hook(group, name, answer, found);
  return answer;
}

const char* UtQueryRegister(const char* name) { return UtQueryName(kUtRegisterGroup, name); }

int UtRegisterName(const char* name, const char* value) {
  UtQueryHook saved = g_hook;
  g_hook = nullptr;
  if (UtQueryName(kUtRegisterGroup, name) != nullptr) {
    g_hook = saved;
    return 1;
  }
  int r = UtSetName(name, value);
  g_hook = saved;
  return r != 0 ? 2 : 0;
}

int UtSetName(const char* name, const char* value) {
  if (!name) return 1;
  UtRegisterGroup* g = FindGroup(kUtRegisterGroup);
  if (!g) {
    g = static_cast<UtRegisterGroup*>(Alloc(sizeof *g));
    char* gname = g ? CopyText(kUtRegisterGroup) : nullptr;
    if (!g || !gname) {
      std::free(g);
      return 1;
    }
    g->next = nullptr;
    g->name = gname;
    g->first = nullptr;
    UtRegisterGroup** link = &g_first;
    while (*link) link = &(*link)->next;
    *link = g;
  }
  UtRegisterEntry* e = FindEntry(g, name);
  if (!e) {
    e = static_cast<UtRegisterEntry*>(Alloc(sizeof *e));
    char* ename = e ? CopyText(name) : nullptr;
    if (!e || !ename) {
      std::free(e);
      return 1;
    }
    e->next = nullptr;
    e->name = ename;
    e->value = nullptr;
    e->group = g;
    UtRegisterEntry** link = &g->first;
    while (*link) link = &(*link)->next;
    *link = e;
  }
  // The new value is copied before the old one is freed: value may point
  // into the entry's current value (a caller passing a query answer back).
  char* copy = CopyText(value);
  std::free(e->value);
  e->value = copy;
  return copy ? 0 : 1;
}

void UtRemoveName(const char* group, const char* name) {
  UtRegisterGroup* g = FindGroup(group);
  if (!g || !name) return;
  for (UtRegisterEntry** link = &g->first; *link; link = &(*link)->next) {
    if (SameName((*link)->name, name)) {
      UtRegisterEntry* e = *link;
      *link = e->next;
      FreeEntry(e);
      return;
    }
  }
}

void UtRemoveGroup(const char* group) {
  if (!group) return;
  for (UtRegisterGroup** link = &g_first; *link; link = &(*link)->next) {
    if (SameName((*link)->name, group)) {
      UtRegisterGroup* g = *link;
      *link = g->next;
      for (UtRegisterEntry* e = g->first; e;) {
        UtRegisterEntry* next = e->next;
        FreeEntry(e);
        e = next;
      }
      std::free(g->name);
      std::free(g);
      return;
    }
  }
}

UtQueryHook UtSetQueryHook(UtQueryHook hook) {
  UtQueryHook old = g_hook;
  g_hook = hook;
  return old;
}
