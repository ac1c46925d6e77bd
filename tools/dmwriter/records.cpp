// Data-file writer, plain tables: the stored record layouts of the tables
// whose records stand alone (EBHF, PBHF, FEHL, FBRR, EBGG, FBRW, EBGB,
// NGAT, NESR), their sorted blocks and their files. Each encoder writes the
// fields at the offsets of the stored layout, one put per field.
#include <stdexcept>
#include <tuple>

#include "tools/dmwriter/internal.h"
#include "tools/dmwriter/tables.h"

namespace dmw {

namespace {

// Text key as unsigned bytes, blank-padded to its width (so that "AB" and
// "AB  " are the same key, as they are once stored).
Bytes textKey(std::string_view text, std::size_t width, const char* field) {
  Bytes k(width, 0);
  putText(k, 0, text, width, field);
  return k;
}

template <class R, class EncodeFn>
Bytes joinRecords(const std::vector<R>& records, std::size_t size, EncodeFn encode) {
  Bytes out;
  out.reserve(records.size() * size);
  for (const R& r : records) {
    Bytes one = encode(r);
    out.insert(out.end(), one.begin(), one.end());
  }
  return out;
}

}  // namespace

DataFile detail::fileWithBlocks(const TableIdentity& id, std::vector<Bytes> blocks) {
  DataFile f = DataFile::forTable(id);
  std::int16_t number = 1;
  for (Bytes& b : blocks) f.addBlock(number++, std::move(b));
  return f;
}

std::uint16_t storedValidFrom(std::uint16_t valid_from, bool withdrawn) {
  return static_cast<std::uint16_t>(valid_from | (withdrawn ? kWithdrawnBit : 0u));
}

// ---- EBHF ---------------------------------------------------------------------
Bytes encodeEbhf(const EbhfRecord& r) {
  Bytes b(kEbhfRecordSize, 0);
  putU16(b, 0, r.country);
  putU32(b, 2, r.station_number);
  putU16(b, 6, storedValidFrom(r.valid_from, r.withdrawn));
  putText(b, 8, r.station_name, kStationNameWidth, "EBHF station_name");
  putText(b, 28, r.second_name, kStationNameWidth, "EBHF second_name");
  putText(b, 48, r.further_name, kShortCodeWidth, "EBHF further_name");
  putU8(b, 57, r.unread_57);
  putU16(b, 58, r.u16_58);
  putU16(b, 60, r.tariff_area);
  putU32(b, 62, r.u32_62);
  putU8(b, 66, r.u8_66);
  putU8(b, 67, r.unread_67);
  putU16(b, 68, r.u16_68);
  for (std::size_t k = 0; k < 6; ++k) putU32(b, 70 + 4 * k, r.u32_70[k]);
  putU16(b, 94, r.u16_94);
  putU8(b, 96, r.u8_96);
  putU8(b, 97, r.unread_97);
  putU32(b, 98, r.u32_98);
  putU32(b, 102, r.u32_102);
  putText(b, 106, r.flag_chars, 3, "EBHF flag_chars");
  putU8(b, 109, r.unread_109);
  putU32(b, 110, r.u32_110);
  putText(b, 114, r.flag_letters, 14, "EBHF flag_letters");
  putU16(b, 128, r.u16_128);
  return b;
}

Bytes encodeEbhfGzpkt(const EbhfGzpktRecord& r) {
  Bytes b(kEbhfGzpktRecordSize, 0);
  putU16(b, 0, r.u16_0);
  putU32(b, 2, r.u32_2);
  putU16(b, 6, r.u16_6);
  putU32(b, 8, r.u32_8);
  putU16(b, 12, r.u16_12);
  return b;
}

Bytes encodeEbhfBlock(std::vector<EbhfRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(
        records, [](const EbhfRecord& r) { return std::make_tuple(r.country, r.station_number); });
  }
  return joinRecords(records, kEbhfRecordSize, encodeEbhf);
}

Bytes encodeEbhfGzpktBlock(const std::vector<EbhfGzpktRecord>& records) {
  return joinRecords(records, kEbhfGzpktRecordSize, encodeEbhfGzpkt);
}

DataFile ebhfFile(std::vector<EbhfRecord> records, const std::vector<EbhfGzpktRecord>& gzpkt,
                  Order order) {
  return detail::fileWithBlocks(
      kEbhf, {encodeEbhfBlock(std::move(records), order), encodeEbhfGzpktBlock(gzpkt)});
}

// ---- PBHF ---------------------------------------------------------------------
Bytes encodePbhf(const PbhfRecord& r) {
  Bytes b(kPbhfRecordSize, 0);
  putText(b, 0, r.station_name, kStationNameWidth, "PBHF station_name");
  putU16(b, 20, storedValidFrom(r.valid_from, r.withdrawn));
  putU32(b, 22, r.station_number);
  putU8(b, 26, r.u8_26);
  putU8(b, 27, r.unread_27);
  return b;
}

Bytes encodePbhfBlock(std::vector<PbhfRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(records, [](const PbhfRecord& r) {
      return textKey(r.station_name, kStationNameWidth, "PBHF station_name");
    });
  }
  return joinRecords(records, kPbhfRecordSize, encodePbhf);
}

DataFile pbhfFile(std::vector<PbhfRecord> records, Order order) {
  return detail::fileWithBlocks(kPbhf, {encodePbhfBlock(std::move(records), order)});
}

// ---- FEHL ---------------------------------------------------------------------
Bytes encodeFehl(const FehlRecord& r) {
  Bytes b(kFehlRecordSize, 0);
  putU8(b, 0, static_cast<std::uint8_t>(r.variant));
  putText(b, 1, r.subsystem_id, 2, "FEHL subsystem_id");
  putU8(b, 3, r.unread_3);
  putU16(b, 4, r.message_number);
  putU16(b, 6, storedValidFrom(r.valid_from, r.withdrawn));
  putU8(b, 8, static_cast<std::uint8_t>(r.char_8));
  putText(b, 9, r.text_pattern, kMessageTextWidth, "FEHL text_pattern");
  putU8(b, 79, r.unread_79);
  return b;
}

Bytes encodeFehlBlock(std::vector<FehlRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(records, [](const FehlRecord& r) {
      return std::make_tuple(static_cast<std::uint8_t>(r.variant),
                             textKey(r.subsystem_id, 2, "FEHL subsystem_id"), r.message_number);
    });
  }
  return joinRecords(records, kFehlRecordSize, encodeFehl);
}

DataFile fehlFile(std::vector<FehlRecord> records, Order order) {
  return detail::fileWithBlocks(kFehl, {encodeFehlBlock(std::move(records), order)});
}

// ---- FBRR ---------------------------------------------------------------------
Bytes encodeFbrr(const FbrrRecord& r) {
  Bytes b(kFbrrRecordSize, 0);
  putU16(b, 0, r.key_number);
  putU32(b, 2, r.relation_number);
  putU16(b, 6, r.valid_from);
  putU16(b, 8, r.u16_8);
  for (std::size_t k = 0; k < 4; ++k) putU32(b, 10 + 4 * k, r.stations[k]);
  for (std::size_t k = 0; k < 4; ++k) putU16(b, 26 + 2 * k, r.numbers[k]);
  putU16(b, 34, r.valid_to);
  return b;
}

Bytes encodeFbrrBhf(const FbrrRecord& r) {
  Bytes b(kFbrrRecordSize, 0);
  putU16(b, 0, r.key_number);
  for (std::size_t k = 0; k < 4; ++k) putU32(b, 2 + 4 * k, r.stations[k]);
  putU16(b, 18, r.valid_from);
  putU16(b, 20, r.u16_8);
  putU32(b, 22, r.relation_number);
  for (std::size_t k = 0; k < 4; ++k) putU16(b, 26 + 2 * k, r.numbers[k]);
  putU16(b, 34, r.valid_to);
  return b;
}

namespace {
// FBRR has no withdrawn bit: the whole valid-from orders a key's records.
std::uint16_t fbrrDay(const FbrrRecord& r) { return r.valid_from; }
}  // namespace

Bytes encodeFbrrBlock(std::vector<FbrrRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortNewestFirst(
        records,
        [](const FbrrRecord& r) { return std::make_tuple(r.key_number, r.relation_number); },
        fbrrDay);
  }
  return joinRecords(records, kFbrrRecordSize, encodeFbrr);
}

Bytes encodeFbrrBhfBlock(std::vector<FbrrRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortNewestFirst(
        records,
        [](const FbrrRecord& r) {
          return std::make_tuple(r.key_number, r.stations[0], r.stations[1], r.stations[2],
                                 r.stations[3]);
        },
        fbrrDay);
  }
  return joinRecords(records, kFbrrRecordSize, encodeFbrrBhf);
}

DataFile fbrrFile(const std::vector<FbrrRecord>& records, Order order) {
  return detail::fileWithBlocks(
      kFbrr, {encodeFbrrBlock(records, order), encodeFbrrBhfBlock(records, order)});
}

// ---- EBGG ---------------------------------------------------------------------
Bytes encodeEbgg(const EbggRecord& r) {
  Bytes b(kEbggRecordSize, 0);
  putU16(b, 0, r.key1);
  putU16(b, 2, r.key2);
  putU16(b, 4, storedValidFrom(r.valid_from, r.withdrawn));
  putText(b, 6, r.text_6, 8, "EBGG text_6");
  putText(b, 14, r.text_14, 2, "EBGG text_14");
  putText(b, 16, r.text_16, 40, "EBGG text_16");
  putU16(b, 56, r.rank);
  putU16(b, 58, r.profile_flags);
  putText(b, 60, r.text_60, 4, "EBGG text_60");
  putText(b, 64, r.text_64, 2, "EBGG text_64");
  putText(b, 66, r.text_66, kStationNameWidth, "EBGG text_66");
  putU16(b, 86, r.u16_86);
  putU32(b, 88, r.u32_88);
  return b;
}

Bytes encodeEbggBlock(std::vector<EbggRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(records, [](const EbggRecord& r) { return std::make_tuple(r.key1, r.key2); });
  }
  return joinRecords(records, kEbggRecordSize, encodeEbgg);
}

DataFile ebggFile(std::vector<EbggRecord> records, Order order) {
  return detail::fileWithBlocks(kEbgg, {encodeEbggBlock(std::move(records), order)});
}

// ---- FBRW ---------------------------------------------------------------------
Bytes encodeFbrw(const FbrwRecord& r) {
  Bytes b(kFbrwRecordSize, 0);
  putU32(b, 0, r.key1);
  putU16(b, 4, r.key2);
  putU16(b, 6, r.group);
  putU16(b, 8, storedValidFrom(r.valid_from, r.withdrawn));
  putU32(b, 10, r.station_number);
  putU16(b, 14, r.u16_14);
  putU8(b, 16, r.u8_16);
  putU8(b, 17, r.u8_17);
  putU16(b, 18, r.u16_18);
  putU16(b, 20, r.u16_20);
  return b;
}

Bytes encodeFbrwBlock(std::vector<FbrwRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(records,
                      [](const FbrwRecord& r) { return std::make_tuple(r.key1, r.key2, r.group); });
  }
  return joinRecords(records, kFbrwRecordSize, encodeFbrw);
}

DataFile fbrwFile(std::vector<FbrwRecord> records, Order order) {
  return detail::fileWithBlocks(kFbrw, {encodeFbrwBlock(std::move(records), order)});
}

// ---- EBGB ---------------------------------------------------------------------
Bytes encodeEbgb(const EbgbRecord& r) {
  Bytes b(kEbgbRecordSize, 0);
  putU16(b, 0, r.key1);
  putU32(b, 2, r.key2);
  putU32(b, 6, r.group);
  putU16(b, 10, storedValidFrom(r.valid_from, r.withdrawn));
  putText(b, 12, r.text_12, 48, "EBGB text_12");
  putU32(b, 60, r.km_threshold);
  putU32(b, 64, r.u32_64);
  putText(b, 68, r.text_68, 26, "EBGB text_68");
  putU16(b, 94, r.u16_94);
  putU32(b, 96, r.u32_96);
  return b;
}

Bytes encodeEbgbBlock(std::vector<EbgbRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(records,
                      [](const EbgbRecord& r) { return std::make_tuple(r.key1, r.key2, r.group); });
  }
  return joinRecords(records, kEbgbRecordSize, encodeEbgb);
}

DataFile ebgbFile(std::vector<EbgbRecord> records, Order order) {
  return detail::fileWithBlocks(kEbgb, {encodeEbgbBlock(std::move(records), order)});
}

// ---- NGAT ---------------------------------------------------------------------
Bytes encodeNgat(const NgatRecord& r) {
  Bytes b(kNgatRecordSize, 0);
  putU32(b, 0, r.key_part1);
  putU32(b, 4, r.key_part2);
  putU16(b, 8, r.key_part3);
  putU16(b, 10, r.key_part4);
  putU16(b, 12, storedValidFrom(r.valid_from, r.withdrawn));
  putU16(b, 14, r.value);
  return b;
}

Bytes encodeNgatBlock(std::vector<NgatRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(records, [](const NgatRecord& r) {
      return std::make_tuple(r.key_part1, r.key_part2, r.key_part3, r.key_part4);
    });
  }
  return joinRecords(records, kNgatRecordSize, encodeNgat);
}

DataFile ngatFile(std::vector<NgatRecord> records, Order order) {
  return detail::fileWithBlocks(kNgat, {encodeNgatBlock(std::move(records), order)});
}

// ---- NESR ---------------------------------------------------------------------
Bytes encodeNesr(const NesrRecord& r) {
  Bytes b(kNesrRecordSize, 0);
  putU32(b, 0, r.key_part1);
  putU32(b, 4, r.key_part2);
  putU16(b, 8, storedValidFrom(r.valid_from, r.withdrawn));
  putU16(b, 10, r.value1);
  putU16(b, 12, r.value2);
  putU32(b, 14, r.value3);
  return b;
}

Bytes encodeNesrBlock(std::vector<NesrRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(
        records, [](const NesrRecord& r) { return std::make_tuple(r.key_part1, r.key_part2); });
  }
  return joinRecords(records, kNesrRecordSize, encodeNesr);
}

DataFile nesrFile(std::vector<NesrRecord> records, Order order) {
  return detail::fileWithBlocks(kNesr, {encodeNesrBlock(std::move(records), order)});
}

}  // namespace dmw
