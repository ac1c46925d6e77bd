// allocfail.h - fails the n-th heap allocation of an operation, for the
// allocation-failure tests.
//
// Linking this library into a test program replaces the global operator new
// and delete (every form) with ones that count. While armed, every allocation
// counts: each operator new, and each allocation of our own modules that asks
// the fault hook of support/utfault (message contexts, lists, file numbers,
// name entries, record blocks, chain nodes). The n-th of them fails: operator
// new throws std::bad_alloc (the nothrow forms return nullptr), a hooked site
// sees its allocation fail. Only that one fails; later ones succeed again, as
// when memory comes back. A run that finishes with Failed() false saw fewer
// than n allocations: the loop over n ends there.
//
// The counter is the process's own, with no locking: arm it only around a
// single-threaded operation. Typical use, one child process a run:
//
//   for (long n = 1;; ++n) {
//     allocfail::Arm(n);  ... run the operation ...  allocfail::Disarm();
//     if (!allocfail::Failed()) break;
//   }
#ifndef ZOLMA_TESTS_COMMON_ALLOCFAIL_H
#define ZOLMA_TESTS_COMMON_ALLOCFAIL_H

namespace allocfail {

// Counts from zero again and fails the n-th allocation from now (n >= 1).
void Arm(long n);
// Stops counting; allocations succeed. Failed() and Count() keep their values.
void Disarm();
// Whether the armed allocation was reached (and failed).
bool Failed();
// Allocations counted since the last Arm.
long Count();

// Called at the moment the armed allocation fails, before the failing code
// sees it: with the hooked site that asked (support/utfault.h), or
// kUtFaultSites for an operator new. A run whose failure ends the process
// at once (the typed lists' and the message contexts' out-of-memory ends)
// notes here what failed. Null (the default) removes it; it stays set
// across Arm and Disarm. The callback must not allocate with operator new.
using FailureNote = void (*)(int site);
void SetFailureNote(FailureNote note);
// Called while armed before each counted allocation, with the number it is
// about to get (Count() + 1); null for none. The hook must not allocate. A
// test that forks a child at an allocation and calls Arm(1) in the child
// fails exactly that allocation there, without running the operation from
// its start for every n. The hook stays set until changed.
void SetCountHook(void (*hook)(long next));

}  // namespace allocfail

#endif  // ZOLMA_TESTS_COMMON_ALLOCFAIL_H
