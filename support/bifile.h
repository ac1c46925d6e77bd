// File numbers over byte streams.
//
// The table manager reads its data files through small integer file numbers
// instead of stream handles. This module opens a file read-only in binary
// mode under the smallest free file number, reads from it, closes it, and
// keeps the outcome of the last operation as an error kind and detail that
// BiErrorText turns into a German text (its buffer is overwritten by each
// call). Every public operation clears the error state first.
#ifndef ZOLMA_SUPPORT_BIFILE_H
#define ZOLMA_SUPPORT_BIFILE_H

#include <cstddef>
#include <cstdint>

// Error kinds.
inline constexpr std::int16_t kBiNoError = 0;
inline constexpr std::int16_t kBiErrMalloc = 1;  // detail: bytes asked for
inline constexpr std::int16_t kBiErrOpen = 2;    // detail: errno
inline constexpr std::int16_t kBiErrHandle = 5;  // detail: the file number
inline constexpr std::int16_t kBiErrRead = 7;    // detail: errno

// The new file number (0 or more), or -1 (error state set).
std::int16_t BiOpen(const char* name);

// Reads count elements of size bytes into buffer; returns the number of
// whole elements read. Fewer at the end of the file is no error. An unknown
// file number gives 0 with kind 5.
std::size_t BiRead(void* buffer, std::size_t size, std::size_t count, std::int16_t file);

// 0 closed; 5 unknown file number.
int BiClose(std::int16_t file);

// The text of the current error state (at most 80 characters).
const char* BiErrorText();

// The current error state.
std::int16_t BiErrorKind();
std::int16_t BiErrorDetail();

#endif  // ZOLMA_SUPPORT_BIFILE_H
