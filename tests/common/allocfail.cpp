// allocfail.cpp - the counting operator new and the fault hook behind
// allocfail.h.
#include "tests/common/allocfail.h"

#include <cstddef>
#include <cstdlib>
#include <new>

#include "support/utfault.h"

namespace {

bool g_armed = false;
bool g_failed = false;
long g_count = 0;
long g_failAt = 0;
allocfail::FailureNote g_note = nullptr;
void (*g_countHook)(long) = nullptr;

// One allocation is about to happen: true when it is the one to fail.
bool FailThisOne() {
  if (!g_armed) return false;
  if (g_countHook) g_countHook(g_count + 1);  // may Arm() afresh
  if (++g_count != g_failAt) return false;
  g_failed = true;
  if (g_note) g_note(UtFaultAskingSite());
  return true;
}

void* Allocate(std::size_t size, std::size_t align) {
  if (FailThisOne()) return nullptr;
  if (size == 0) size = 1;
  if (align <= alignof(std::max_align_t)) return std::malloc(size);
  void* p = nullptr;
  return posix_memalign(&p, align, size) == 0 ? p : nullptr;
}

void* AllocateOrThrow(std::size_t size, std::size_t align) {
  void* p = Allocate(size, align);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

namespace allocfail {

void Arm(long n) {
  g_count = 0;
  g_failAt = n;
  g_failed = false;
  UtFaultSetAnyHook(&FailThisOne);
  g_armed = true;
}

void Disarm() {
  g_armed = false;
  UtFaultSetAnyHook(nullptr);
}

bool Failed() { return g_failed; }
long Count() { return g_count; }
void SetCountHook(void (*hook)(long next)) { g_countHook = hook; }

void SetFailureNote(FailureNote note) { g_note = note; }

}  // namespace allocfail

// The replaced global allocation functions. Sized and aligned deletes all
// end in free, as every allocation above came from malloc or posix_memalign.
void* operator new(std::size_t n) { return AllocateOrThrow(n, 0); }
void* operator new[](std::size_t n) { return AllocateOrThrow(n, 0); }
void* operator new(std::size_t n, std::align_val_t a) { return AllocateOrThrow(n, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return AllocateOrThrow(n, static_cast<std::size_t>(a)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return Allocate(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return Allocate(n, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
