// Data-file writer, file level: the binary layout that every table file
// shares, built in memory and serialised to a byte vector or a file.
//
// A table file is
//
//   file header (26 bytes)
//     0  i16 format            must be 1
//     2  i16 table number      the table's own number
//     4  i16 version           the table's version
//     6  i16 sub-version       at most the table's highest sub-version
//     8  i32 creation time     seconds since 1.1.1970 00:00 UTC
//    12  14 bytes reserved     not read
//   block 0, the file-information block ("KEY=VALUE" texts, each ended by a
//     NUL, then one more NUL for the empty text that closes the block)
//   record blocks 1, 2, 3 ... in the order of the table's block chain
//
// and every block is a 6-byte block header (i16 block number, i32 byte
// length of the data that follows) followed by its data. All numbers are
// little-endian, two's complement, without padding.
//
// This module owns `DataFile`, which holds every number of the header and
// of each block header as a plain field, so that a test can write a broken
// file by changing a field before serialising:
//   - wrong numbers: set format, table_number, version, sub_version, or a
//     Block's number;
//   - a block length that is not a multiple of the record size: append bytes
//     to a Block's data, or give the Block a declared_length;
//   - a block header that lies about its length: Block::declared_length;
//   - a truncated header or block: DataFile::truncate_to, with the offsets
//     from blockHeaderOffset() / blockDataOffset();
//   - trailing bytes: DataFile::trailing;
//   - a missing or an extra block: erase from or add to DataFile::blocks
//     (the header carries no block count; the chain decides what follows);
//   - a broken file-information block: write DataFile::info.data directly.
// Patching single stored fields is done with the put helpers below, which
// are also the one place where this library encodes little-endian numbers.
//
// The writer validates what it is given only as far as needed to produce
// the bytes it was asked for; mistakes in the caller's data that make a
// request impossible (a text wider than its field, an index that does not
// fit its field) throw std::invalid_argument. I/O failures throw
// std::runtime_error.
#ifndef ZOLMA_TOOLS_DMWRITER_DATAFILE_H
#define ZOLMA_TOOLS_DMWRITER_DATAFILE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dmw {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kFileHeaderSize = 26;
inline constexpr std::size_t kBlockHeaderSize = 6;

// Creation time that DataFile::forTable() writes unless the caller sets
// another: 1.1.2010 00:00 UTC. Non-zero, so that a loader that keeps the
// first file's time has something to keep.
inline constexpr std::int32_t kDefaultCreationTime = 1262304000;

// Day number of 31.12.2099, the open end of validity.
inline constexpr std::uint16_t kOpenEndDay = 43829;
// Bit of a stored valid-from that marks the record as withdrawn.
inline constexpr std::uint16_t kWithdrawnBit = 0x8000;

// ---- little-endian put helpers ---------------------------------------------
// put*: write at byte offset `at` of `out`, which must already hold the
// bytes (std::out_of_range otherwise). append*: add to the end.
void putU8(Bytes& out, std::size_t at, std::uint8_t v);
void putU16(Bytes& out, std::size_t at, std::uint16_t v);
void putU32(Bytes& out, std::size_t at, std::uint32_t v);
void putI16(Bytes& out, std::size_t at, std::int16_t v);
void putI32(Bytes& out, std::size_t at, std::int32_t v);
void appendU8(Bytes& out, std::uint8_t v);
void appendU16(Bytes& out, std::uint16_t v);
void appendU32(Bytes& out, std::uint32_t v);
void appendI16(Bytes& out, std::int16_t v);
void appendI32(Bytes& out, std::int32_t v);
// Writes `text` into the `width` bytes at `at`, blank-padded (0x20), no
// terminator. A text longer than the width throws std::invalid_argument
// naming `field`.
void putText(Bytes& out, std::size_t at, std::string_view text, std::size_t width,
             const char* field);

// ---- table identity ----------------------------------------------------------
// What a table's header must carry. `code` is the table code (also the
// logical name under which the file is registered).
struct TableIdentity {
  const char* code;
  std::int16_t table_number;
  std::int16_t version;
  std::int16_t highest_sub_version;
};

// ---- blocks and files ---------------------------------------------------------
struct Block {
  std::int16_t number = 0;
  Bytes data;
  // Written into the block header instead of data.size() when set; the data
  // bytes are written unchanged.
  std::optional<std::int32_t> declared_length;
};

struct DataFile {
  // File header.
  std::int16_t format = 1;
  std::int16_t table_number = 0;
  std::int16_t version = 0;
  std::int16_t sub_version = 0;
  std::int32_t creation_time = kDefaultCreationTime;
  std::array<std::uint8_t, 14> reserved{};

  // Block 0; its data is the closing NUL alone until setInfo() is called.
  Block info{0, Bytes{0}, std::nullopt};
  // Record blocks in file order. The table encoders number them 1, 2, ...
  std::vector<Block> blocks;

  // Bytes written after the last block.
  Bytes trailing;
  // When set, the serialised file is cut to this many bytes (if longer).
  std::optional<std::size_t> truncate_to;

  // A file whose header matches `id` (sub-version = highest sub-version),
  // with the default creation time, an empty block 0 and no record blocks.
  static DataFile forTable(const TableIdentity& id);

  // Block 0 from texts of the form "KEY=VALUE" (written as given, each
  // followed by a NUL), then the closing NUL. A text holding a NUL throws.
  void setInfo(const std::vector<std::string>& texts);
  // setInfo({"VERSIONSINFO=" + value}).
  void setVersionsInfo(std::string_view value);

  // Appends a record block; returns it.
  Block& addBlock(std::int16_t number, Bytes data);
  // The first record block with this number; std::out_of_range if none.
  Block& block(std::int16_t number);
  const Block& block(std::int16_t number) const;

  // Byte offset, in the untruncated serialised file, of the header of the
  // block at `position`: 0 is block 0, k is blocks[k - 1]; position
  // blocks.size() + 1 gives the offset of the trailing bytes (end of the
  // last block). Beyond that: std::out_of_range.
  std::size_t blockHeaderOffset(std::size_t position) const;
  // Offset of that block's first data byte.
  std::size_t blockDataOffset(std::size_t position) const;

  // The serialised file.
  Bytes bytes() const;
  // Writes bytes() to `path` (created or replaced); std::runtime_error on
  // failure.
  void write(const std::filesystem::path& path) const;
};

// Writes raw bytes to a file; std::runtime_error on failure.
void writeBytes(const std::filesystem::path& path, const Bytes& data);

}  // namespace dmw

#endif  // ZOLMA_TOOLS_DMWRITER_DATAFILE_H
