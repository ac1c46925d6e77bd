// Data-file writer, file level: the bounds-checked little-endian put
// helpers (the one place where this library encodes numbers; the byte
// coding itself is the project's shared support/le.h), the file header,
// block 0 and the block sequence, and serialisation to bytes and to a file.
#include "tools/dmwriter/datafile.h"

#include <fstream>
#include <stdexcept>

#include "support/le.h"

namespace dmw {

namespace {

void requireRoom(const Bytes& out, std::size_t at, std::size_t width) {
  if (at > out.size() || out.size() - at < width) {
    throw std::out_of_range("dmwriter: write of " + std::to_string(width) + " bytes at offset " +
                            std::to_string(at) + " outside " + std::to_string(out.size()) +
                            " bytes");
  }
}

// The serialised block header followed by the block's data.
void appendBlock(Bytes& out, const Block& b) {
  appendI16(out, b.number);
  std::int32_t length =
      b.declared_length ? *b.declared_length : static_cast<std::int32_t>(b.data.size());
  appendI32(out, length);
  out.insert(out.end(), b.data.begin(), b.data.end());
}

}  // namespace

void putU8(Bytes& out, std::size_t at, std::uint8_t v) {
  requireRoom(out, at, 1);
  out[at] = v;
}

void putU16(Bytes& out, std::size_t at, std::uint16_t v) {
  requireRoom(out, at, 2);
  LePutU16(out.data() + at, v);
}

void putU32(Bytes& out, std::size_t at, std::uint32_t v) {
  requireRoom(out, at, 4);
  LePutU32(out.data() + at, v);
}

void putI16(Bytes& out, std::size_t at, std::int16_t v) {
  putU16(out, at, static_cast<std::uint16_t>(v));
}

void putI32(Bytes& out, std::size_t at, std::int32_t v) {
  putU32(out, at, static_cast<std::uint32_t>(v));
}

void appendU8(Bytes& out, std::uint8_t v) { LeAppendU8(out, v); }

void appendU16(Bytes& out, std::uint16_t v) { LeAppendU16(out, v); }

void appendU32(Bytes& out, std::uint32_t v) { LeAppendU32(out, v); }

void appendI16(Bytes& out, std::int16_t v) { LeAppendI16(out, v); }

void appendI32(Bytes& out, std::int32_t v) { LeAppendI32(out, v); }

void putText(Bytes& out, std::size_t at, std::string_view text, std::size_t width,
             const char* field) {
  if (text.size() > width) {
    throw std::invalid_argument(std::string("dmwriter: text of field ") + field + " has " +
                                std::to_string(text.size()) + " characters, the field " +
                                std::to_string(width));
  }
  requireRoom(out, at, width);
  for (std::size_t k = 0; k < width; ++k) {
    out[at + k] = k < text.size() ? static_cast<std::uint8_t>(text[k]) : 0x20;
  }
}

DataFile DataFile::forTable(const TableIdentity& id) {
  DataFile f;
  f.table_number = id.table_number;
  f.version = id.version;
  f.sub_version = id.highest_sub_version;
  return f;
}

void DataFile::setInfo(const std::vector<std::string>& texts) {
  info.data.clear();
  for (const std::string& t : texts) {
    if (t.find('\0') != std::string::npos) {
      throw std::invalid_argument("dmwriter: file-information text holds a NUL");
    }
    info.data.insert(info.data.end(), t.begin(), t.end());
    info.data.push_back(0);
  }
  info.data.push_back(0);
}

void DataFile::setVersionsInfo(std::string_view value) {
  setInfo({"VERSIONSINFO=" + std::string(value)});
}

Block& DataFile::addBlock(std::int16_t number, Bytes data) {
  blocks.push_back(Block{number, std::move(data), std::nullopt});
  return blocks.back();
}

Block& DataFile::block(std::int16_t number) {
  for (Block& b : blocks) {
    if (b.number == number) return b;
  }
  throw std::out_of_range("dmwriter: no block " + std::to_string(number));
}

const Block& DataFile::block(std::int16_t number) const {
  for (const Block& b : blocks) {
    if (b.number == number) return b;
  }
  throw std::out_of_range("dmwriter: no block " + std::to_string(number));
}

std::size_t DataFile::blockHeaderOffset(std::size_t position) const {
  if (position > blocks.size() + 1) {
    throw std::out_of_range("dmwriter: no block at position " + std::to_string(position));
  }
  std::size_t at = kFileHeaderSize;
  if (position == 0) return at;
  at += kBlockHeaderSize + info.data.size();
  for (std::size_t k = 0; k + 1 < position; ++k) {
    at += kBlockHeaderSize + blocks[k].data.size();
  }
  return at;
}

std::size_t DataFile::blockDataOffset(std::size_t position) const {
  if (position > blocks.size()) {
    throw std::out_of_range("dmwriter: no block at position " + std::to_string(position));
  }
  return blockHeaderOffset(position) + kBlockHeaderSize;
}

Bytes DataFile::bytes() const {
  Bytes out;
  appendI16(out, format);
  appendI16(out, table_number);
  appendI16(out, version);
  appendI16(out, sub_version);
  appendI32(out, creation_time);
  out.insert(out.end(), reserved.begin(), reserved.end());
  appendBlock(out, info);
  for (const Block& b : blocks) appendBlock(out, b);
  out.insert(out.end(), trailing.begin(), trailing.end());
  if (truncate_to && *truncate_to < out.size()) out.resize(*truncate_to);
  return out;
}

void DataFile::write(const std::filesystem::path& path) const { writeBytes(path, bytes()); }

void writeBytes(const std::filesystem::path& path, const Bytes& data) {
  std::ofstream os(path, std::ios::binary | std::ios::trunc);
  if (!os) throw std::runtime_error("dmwriter: cannot create " + path.string());
  os.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  os.close();
  if (!os) throw std::runtime_error("dmwriter: cannot write " + path.string());
}

}  // namespace dmw
