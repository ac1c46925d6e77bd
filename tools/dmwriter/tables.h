// Data-file writer, tables: one encoder per table, taking records by
// meaning and producing the stored record layout, the sorted record blocks
// and the whole file (see datafile.h for the file level).
//
// Conventions shared by every table:
//   - Records are plain structs whose fields are named after the fields of
//     the stored layout; a field without a name of its own is named by its
//     width and byte offset (u16_58 is the unsigned 16-bit number at offset
//     58). Bytes the system never reads have unread_<offset> fields (0 by
//     default) so that a test can fill them too.
//   - Texts are std::string; the encoder writes them blank-padded to the
//     field's width without a terminator and throws std::invalid_argument
//     when a text is wider than its field. Every byte value, 0x80 to 0xFF
//     included, is written as given.
//   - Validity: `valid_from` is the day number of the first day in force,
//     `withdrawn` sets bit 15 of the stored valid-from. The encoder sorts a
//     block ascending by the table's key, each key part compared unsigned
//     (texts as unsigned bytes), and the records of one key (or group)
//     newest first, by valid-from with bit 15 cleared; equal records keep
//     their input order. Order::AsGiven writes the records in input order
//     instead (for files that break the order on purpose).
//   - encodeXxx(record) gives one stored record, encodeXxxBlock(records)
//     the record block, xxxFile(...) a DataFile with header, empty block 0
//     and every block of the table, numbered 1, 2, ... in chain order.
//
// Table identities, record sizes and blocks (block number: name, record
// size):
//   EBHF 200 v3 s3  1: EbhfBlock 130, 2: EbhfGzpktBlock 14
//   PBHF 974 v1 s1  1: PbhfBlock 28
//   FEHL 300 v5 s2  1: FehlBlock 80
//   FBRR 230 v2 s2  1: FbrrBlock 36, 2: FbrrBhfBlock 36
//   EBGG 893 v1 s1  1: EbggBlock 92
//   FBRW 233 v2 s2  1: FbrwBlock 22
//   EBGB 895 v1 s1  1: EbgbBlock 100
//   GREN 211 v2 s1  1: GrenKm1Block 14, 2: GrenIbnrBlock 4,
//                   3: GrenFrelBlock 10, 4: GrenKm2Block 18, 5: GrenIb2Block 4
//   NGAT 215 v2 s1  1: NgatBlock 16
//   TDRG 201 v1 s1  1: TdrgBlock 6, 2: TdrgIbBlock 4
//   RBGT 206 v2 s1  1: RbgtHastBlock 12, 2: RbgtIbnrBlock 4,
//                   3: RbgtRbnrBlock 4, 4: RbgtBezBlock 1 (text)
//   STEN 220 v2 s1  1: StenKmBlock 12, 2: StenIbnrBlock 4
//   LOST 153 v2 s1  1: LostMainBlock 18, 2: LostTextBlock 1 (text)
//   NESR 216 v2 s1  1: NesrBlock 18
// The station master has no data file (no table code, number or version),
// so it has no encoder.
//
// Tables whose records refer to others by index (GREN, TDRG, RBGT, STEN)
// and the text pools of RBGT and LOST are built from meaning by the
// builders at the end of this header: the caller names stations, numbers
// and texts, and the builder computes the indices, offsets and derived
// blocks.
#ifndef ZOLMA_TOOLS_DMWRITER_TABLES_H
#define ZOLMA_TOOLS_DMWRITER_TABLES_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/dmwriter/datafile.h"

namespace dmw {

enum class Order { Sorted, AsGiven };

// ---- identities and record sizes ------------------------------------------------
inline constexpr TableIdentity kEbhf{"EBHF", 200, 3, 3};
inline constexpr TableIdentity kPbhf{"PBHF", 974, 1, 1};
inline constexpr TableIdentity kFehl{"FEHL", 300, 5, 2};
inline constexpr TableIdentity kFbrr{"FBRR", 230, 2, 2};
inline constexpr TableIdentity kEbgg{"EBGG", 893, 1, 1};
inline constexpr TableIdentity kFbrw{"FBRW", 233, 2, 2};
inline constexpr TableIdentity kEbgb{"EBGB", 895, 1, 1};
inline constexpr TableIdentity kGren{"GREN", 211, 2, 1};
inline constexpr TableIdentity kNgat{"NGAT", 215, 2, 1};
inline constexpr TableIdentity kTdrg{"TDRG", 201, 1, 1};
inline constexpr TableIdentity kRbgt{"RBGT", 206, 2, 1};
inline constexpr TableIdentity kSten{"STEN", 220, 2, 1};
inline constexpr TableIdentity kLost{"LOST", 153, 2, 1};
inline constexpr TableIdentity kNesr{"NESR", 216, 2, 1};

inline constexpr std::size_t kEbhfRecordSize = 130;
inline constexpr std::size_t kEbhfGzpktRecordSize = 14;
inline constexpr std::size_t kPbhfRecordSize = 28;
inline constexpr std::size_t kFehlRecordSize = 80;
inline constexpr std::size_t kFbrrRecordSize = 36;  // both blocks
inline constexpr std::size_t kEbggRecordSize = 92;
inline constexpr std::size_t kFbrwRecordSize = 22;
inline constexpr std::size_t kEbgbRecordSize = 100;
inline constexpr std::size_t kGrenKm1RecordSize = 14;
inline constexpr std::size_t kGrenFrelRecordSize = 10;
inline constexpr std::size_t kGrenKm2RecordSize = 18;
inline constexpr std::size_t kStationRecordSize = 4;  // every u32 index block
inline constexpr std::size_t kNgatRecordSize = 16;
inline constexpr std::size_t kTdrgRecordSize = 6;
inline constexpr std::size_t kRbgtHastRecordSize = 12;
inline constexpr std::size_t kStenKmRecordSize = 12;
inline constexpr std::size_t kLostMainRecordSize = 18;
inline constexpr std::size_t kNesrRecordSize = 18;

// The stored valid-from: day | (withdrawn ? 0x8000 : 0).
std::uint16_t storedValidFrom(std::uint16_t valid_from, bool withdrawn);

// Widths of the blank-padded text fields, in characters: the one source for
// the encoders and for every program that makes the records.
inline constexpr std::size_t kStationNameWidth = 20;  // EBHF names, PBHF key, EBGG text_66
inline constexpr std::size_t kShortCodeWidth = 9;     // EBHF further_name
inline constexpr std::size_t kMessageTextWidth = 70;  // FEHL text_pattern

// ---- EBHF: station table ------------------------------------------------------------
// Key (country, station_number). Flag letter indexes that the system reads:
// 5 station kind ('A'/'H' node station), 8 and 9 ('N' for the 50 km list),
// 11 kilometre-part letter; flag_chars[1] is the list flag.
struct EbhfRecord {
  std::uint16_t country = 80;        // 0
  std::uint32_t station_number = 0;  // 2
  std::uint16_t valid_from = 0;      // 6
  bool withdrawn = false;
  std::string station_name;  // 8, 20 characters
  std::string second_name;   // 28, 20 characters
  std::string further_name;  // 48, 9 characters
  std::uint8_t unread_57 = 0;
  std::uint16_t u16_58 = 0;
  std::uint16_t tariff_area = 0;  // 60
  std::uint32_t u32_62 = 0;
  std::uint8_t u8_66 = 0;
  std::uint8_t unread_67 = 0;
  std::uint16_t u16_68 = 0;
  std::array<std::uint32_t, 6> u32_70{};  // 70, six numbers
  std::uint16_t u16_94 = 0;
  std::uint8_t u8_96 = 0;
  std::uint8_t unread_97 = 0;
  std::uint32_t u32_98 = 0;
  std::uint32_t u32_102 = 0;
  std::string flag_chars;  // 106, 3 characters
  std::uint8_t unread_109 = 0;
  std::uint32_t u32_110 = 0;
  std::string flag_letters;  // 114, 14 characters
  std::uint16_t u16_128 = 0;
};
// EbhfGzpktBlock record: loaded, never looked up; written in input order.
struct EbhfGzpktRecord {
  std::uint16_t u16_0 = 0;
  std::uint32_t u32_2 = 0;
  std::uint16_t u16_6 = 0;
  std::uint32_t u32_8 = 0;
  std::uint16_t u16_12 = 0;
};
Bytes encodeEbhf(const EbhfRecord& r);
Bytes encodeEbhfGzpkt(const EbhfGzpktRecord& r);
Bytes encodeEbhfBlock(std::vector<EbhfRecord> records, Order order = Order::Sorted);
Bytes encodeEbhfGzpktBlock(const std::vector<EbhfGzpktRecord>& records);
// Both blocks are always written (the loader expects block 2 even empty).
DataFile ebhfFile(std::vector<EbhfRecord> records, const std::vector<EbhfGzpktRecord>& gzpkt = {},
                  Order order = Order::Sorted);

// ---- PBHF: station-name table ------------------------------------------------------
// Key: station_name as 20 blank-padded unsigned bytes.
struct PbhfRecord {
  std::string station_name;      // 0, 20 characters
  std::uint16_t valid_from = 0;  // 20
  bool withdrawn = false;
  std::uint32_t station_number = 0;  // 22
  std::uint8_t u8_26 = 0;
  std::uint8_t unread_27 = 0;
};
Bytes encodePbhf(const PbhfRecord& r);
Bytes encodePbhfBlock(std::vector<PbhfRecord> records, Order order = Order::Sorted);
DataFile pbhfFile(std::vector<PbhfRecord> records, Order order = Order::Sorted);

// ---- FEHL: message-text table -------------------------------------------------------
// Key (variant, subsystem_id[0], subsystem_id[1], message_number).
struct FehlRecord {
  char variant = ' ';        // 0
  std::string subsystem_id;  // 1, 2 characters
  std::uint8_t unread_3 = 0;
  std::uint16_t message_number = 0;  // 4
  std::uint16_t valid_from = 0;      // 6
  bool withdrawn = false;
  char char_8 = ' ';         // 8
  std::string text_pattern;  // 9, 70 characters (Meldungstextmuster)
  std::uint8_t unread_79 = 0;
};
Bytes encodeFehl(const FehlRecord& r);
Bytes encodeFehlBlock(std::vector<FehlRecord> records, Order order = Order::Sorted);
DataFile fehlFile(std::vector<FehlRecord> records, Order order = Order::Sorted);

// ---- FBRR: relation table ------------------------------------------------------------
// One relation record feeds both blocks: FbrrBlock keyed (key_number,
// relation_number), FbrrBhfBlock keyed (key_number, stations[0..3]); within
// a key newest valid-from first. FBRR has no withdrawn bit: valid_from and
// valid_to are written as given. The stations are written as given in both
// blocks: the station lookup normalises its search key (a > b swaps a and b,
// and c and d when d is not 0), so a record meant to be found by its
// stations should hold stations[0] <= stations[1].
struct FbrrRecord {
  std::uint16_t key_number = 0;
  std::uint32_t relation_number = 0;
  std::uint16_t valid_from = 0;
  std::uint16_t u16_8 = 0;                  // FbrrBlock offset 8, FbrrBhfBlock offset 20
  std::array<std::uint32_t, 4> stations{};  // full form: country * 100000 + local
  std::array<std::uint16_t, 4> numbers{};   // numbers[0]: the relation's kilometres
  std::uint16_t valid_to = 0;
};
Bytes encodeFbrr(const FbrrRecord& r);     // FbrrBlock layout
Bytes encodeFbrrBhf(const FbrrRecord& r);  // FbrrBhfBlock layout
Bytes encodeFbrrBlock(std::vector<FbrrRecord> records, Order order = Order::Sorted);
Bytes encodeFbrrBhfBlock(std::vector<FbrrRecord> records, Order order = Order::Sorted);
DataFile fbrrFile(const std::vector<FbrrRecord>& records, Order order = Order::Sorted);

// ---- EBGG: route-profile table --------------------------------------------------------
// Key and group (key1, key2).
struct EbggRecord {
  std::uint16_t key1 = 0;        // 0, profile key
  std::uint16_t key2 = 0;        // 2, entry key
  std::uint16_t valid_from = 0;  // 4
  bool withdrawn = false;
  std::string text_6;               // 8 characters
  std::string text_14;              // 2 characters
  std::string text_16;              // 40 characters
  std::uint16_t rank = 0;           // 56
  std::uint16_t profile_flags = 0;  // 58
  std::string text_60;              // 4 characters
  std::string text_64;              // 2 characters
  std::string text_66;              // 20 characters
  std::uint16_t u16_86 = 0;
  std::uint32_t u32_88 = 0;
};
Bytes encodeEbgg(const EbggRecord& r);
Bytes encodeEbggBlock(std::vector<EbggRecord> records, Order order = Order::Sorted);
DataFile ebggFile(std::vector<EbggRecord> records, Order order = Order::Sorted);

// ---- FBRW: points along a relation ---------------------------------------------------
// Key (key1, key2), group (key1, key2, group).
struct FbrwRecord {
  std::uint32_t key1 = 0;        // 0, FBRR key number
  std::uint16_t key2 = 0;        // 4, FBRR relation number (low 16 bits)
  std::uint16_t group = 0;       // 6, the point's place
  std::uint16_t valid_from = 0;  // 8
  bool withdrawn = false;
  std::uint32_t station_number = 0;  // 10, full form
  std::uint16_t u16_14 = 0;
  std::uint8_t u8_16 = 0;
  std::uint8_t u8_17 = 0;
  std::uint16_t u16_18 = 0;
  std::uint16_t u16_20 = 0;
};
Bytes encodeFbrw(const FbrwRecord& r);
Bytes encodeFbrwBlock(std::vector<FbrwRecord> records, Order order = Order::Sorted);
DataFile fbrwFile(std::vector<FbrwRecord> records, Order order = Order::Sorted);

// ---- EBGB: route points per profile entry ---------------------------------------------
// Key (key1, key2), group (key1, key2, group).
struct EbgbRecord {
  std::uint16_t key1 = 0;        // 0, EBGG entry key
  std::uint32_t key2 = 0;        // 2, local station number of the point
  std::uint32_t group = 0;       // 6, local station number standing for it
  std::uint16_t valid_from = 0;  // 10
  bool withdrawn = false;
  std::string text_12;             // 48 characters; the last 24 are the name
  std::uint32_t km_threshold = 0;  // 60
  std::uint32_t u32_64 = 0;
  std::string text_68;  // 26 characters
  std::uint16_t u16_94 = 0;
  std::uint32_t u32_96 = 0;
};
Bytes encodeEbgb(const EbgbRecord& r);
Bytes encodeEbgbBlock(std::vector<EbgbRecord> records, Order order = Order::Sorted);
DataFile ebgbFile(std::vector<EbgbRecord> records, Order order = Order::Sorted);

// ---- NGAT ------------------------------------------------------------------------------
struct NgatRecord {
  std::uint32_t key_part1 = 0;   // 0
  std::uint32_t key_part2 = 0;   // 4
  std::uint16_t key_part3 = 0;   // 8
  std::uint16_t key_part4 = 0;   // 10
  std::uint16_t valid_from = 0;  // 12
  bool withdrawn = false;
  std::uint16_t value = 0;  // 14
};
Bytes encodeNgat(const NgatRecord& r);
Bytes encodeNgatBlock(std::vector<NgatRecord> records, Order order = Order::Sorted);
DataFile ngatFile(std::vector<NgatRecord> records, Order order = Order::Sorted);

// ---- NESR ------------------------------------------------------------------------------
struct NesrRecord {
  std::uint32_t key_part1 = 0;   // 0
  std::uint32_t key_part2 = 0;   // 4
  std::uint16_t valid_from = 0;  // 8
  bool withdrawn = false;
  std::uint16_t value1 = 0;  // 10
  std::uint16_t value2 = 0;  // 12
  std::uint32_t value3 = 0;  // 14
};
Bytes encodeNesr(const NesrRecord& r);
Bytes encodeNesrBlock(std::vector<NesrRecord> records, Order order = Order::Sorted);
DataFile nesrFile(std::vector<NesrRecord> records, Order order = Order::Sorted);

// =========================================================================
// Builders: tables with index blocks and text pools, built from meaning.
// =========================================================================

// Order of an index block that is addressed by index only (never
// searched). FirstSeen: in the order in which the values first occur in the
// caller's input list. An explicit list, when given in a builder's options,
// is written exactly as given instead (it must hold every value the records
// need; extra values are allowed; duplicates throw).
enum class IndexOrder { FirstSeen, Ascending, Descending };

// A pool of NUL-terminated texts addressed by byte offset (the RBGT and
// LOST text blocks). Identical texts (or text triples) are stored once.
class TextPool {
 public:
  // Offset of `text` (stored once with its NUL). A text holding a NUL
  // throws std::invalid_argument.
  std::uint32_t add(std::string_view text);
  // Offset of three consecutive NUL-terminated texts (stored once per
  // distinct triple).
  std::uint32_t addTriple(std::string_view t1, std::string_view t2, std::string_view t3);
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  std::map<std::string, std::uint32_t> seen_;
};

// ---- GREN: node-to-node kilometres ---------------------------------------------------
// One version of the entry of a node pair. The stations may come in either
// order; both must be in the node list and differ.
struct GrenRelation {
  std::string relation_code;                // 2 characters
  std::array<std::uint32_t, 4> stations{};  // written to GrenIb2Block
  bool operator==(const GrenRelation&) const = default;
};
struct GrenPair {
  std::uint32_t station_a = 0;
  std::uint32_t station_b = 0;
  std::uint16_t valid_from = 0;
  bool withdrawn = false;
  std::uint16_t km_part1 = 0;
  std::uint16_t km_part2 = 0;
  std::int32_t route_text_number = 0;    // RBGT number, 0 = none
  std::optional<GrenRelation> relation;  // none: index -1
  std::uint16_t flags = 0;               // bit 0: flag letter 'J'
};
// Flags word for a flag letter ('J' sets bit 0, anything else does not).
std::uint16_t grenFlags(char flag_letter);
struct GrenOptions {
  // Written for every pair the caller gives no version of (its stations are
  // ignored). By default withdrawn from day 0, so such a pair has no
  // kilometres on any day.
  GrenPair missing_pair{0, 0, 0, true, 0, 0, 0, std::nullopt, 0};
  // Order of GrenIb2Block (the relation stations), and an explicit list.
  IndexOrder ib2_order = IndexOrder::FirstSeen;
  std::vector<std::uint32_t> ib2_explicit;
};
// Matrix position of the pair of node indices i < j among n nodes:
// i*(n-2) + j - i*(i-1)/2 - 1, computed in 64 bits (i = 0 included).
std::uint64_t grenMatrixIndex(std::uint64_t i, std::uint64_t j, std::uint64_t n);
// The GREN file: GrenIbnrBlock = the node list sorted ascending (duplicates
// throw); per pair, the newest version (by valid-from without bit 15) goes to
// GrenKm1Block at its matrix position and every older version to
// GrenKm2Block, sorted by (i, j), newest first; distinct relations become
// GrenFrelBlock records in order of first use, their stations GrenIb2Block
// entries (order per options). Every GREN block is written, empty ones with
// length 0.
DataFile grenFile(std::vector<std::uint32_t> nodes, const std::vector<GrenPair>& pairs,
                  const GrenOptions& options = {});

// ---- STEN: line kilometres ---------------------------------------------------------------
// One version of a station pair; either order, stored with the lower
// station number as a.
struct StenPair {
  std::uint32_t station_a = 0;
  std::uint32_t station_b = 0;
  std::uint16_t valid_from = 0;
  bool withdrawn = false;
  std::uint16_t km_part1 = 0;
  std::uint16_t km_part2 = 0;
  std::uint16_t flags = 0;
};
// Flags word for the three letters: first 'J' -> bit 0; second 'J' -> bit
// 2, 'A' -> bit 3, 'U' -> bit 4; third 'J' -> bit 1; 'N' (or anything else)
// sets nothing.
std::uint16_t stenFlags(char first, char second, char third);
struct StenOptions {
  // StenIbnrBlock order. The stored layout keeps it ascending; the other
  // orders let a test show that the lookups go through the indices.
  IndexOrder ibnr_order = IndexOrder::Ascending;
  std::vector<std::uint32_t> ibnr_explicit;
};
// StenKmBlock sorted by (station a, station b) as numbers, newest first;
// StenIbnrBlock holds every station once.
DataFile stenFile(const std::vector<StenPair>& pairs, const StenOptions& options = {});

// ---- TDRG: area node stations -------------------------------------------------------------
struct TdrgEntry {
  std::uint16_t area_number = 0;
  std::uint32_t node_station = 0;
  std::uint16_t valid_from = 0;
  bool withdrawn = false;
};
struct TdrgOptions {
  IndexOrder ib_order = IndexOrder::FirstSeen;
  std::vector<std::uint32_t> ib_explicit;
};
// TdrgBlock ascending by area; within an area the station groups in the
// order in which their station first occurs in `entries` for that area (the
// order the cursor returns them), each group newest first. TdrgIbBlock holds
// every node station once.
DataFile tdrgFile(const std::vector<TdrgEntry>& entries, const TdrgOptions& options = {});

// ---- RBGT: route texts ----------------------------------------------------------------------
struct RbgtEntry {
  std::uint32_t route_text_number = 0;
  std::uint16_t valid_from = 0;
  bool withdrawn = false;
  std::uint32_t station1 = 0;
  std::uint32_t station2 = 0;
  std::string name;  // any length; stored NUL-terminated
};
struct RbgtOptions {
  IndexOrder ibnr_order = IndexOrder::FirstSeen;  // RbgtIbnrBlock (stations)
  std::vector<std::uint32_t> ibnr_explicit;
  IndexOrder rbnr_order = IndexOrder::FirstSeen;  // RbgtRbnrBlock (numbers)
  std::vector<std::uint32_t> rbnr_explicit;
};
// RbgtHastBlock sorted by route-text number (through its index), newest
// first; stations and numbers once each in their index blocks; names in the
// RbgtBezBlock text pool, in sorted record order, each distinct name once.
DataFile rbgtFile(const std::vector<RbgtEntry>& entries, const RbgtOptions& options = {});

// ---- LOST --------------------------------------------------------------------------------------
struct LostRecord {
  std::uint16_t key_part1 = 0;
  std::uint16_t key_part2 = 0;
  std::uint32_t key_part3 = 0;
  std::uint16_t key_part4 = 0;
  std::uint16_t valid_from = 0;
  bool withdrawn = false;
  std::string text1;  // any length; stored NUL-terminated
  std::string text2;
  std::string text3;
  std::uint16_t value = 0;
};
// LostMainBlock sorted by key parts 1 to 4, newest first; the three texts
// of a record consecutive in LostTextBlock (each distinct triple once).
DataFile lostFile(std::vector<LostRecord> records, Order order = Order::Sorted);

}  // namespace dmw

#endif  // ZOLMA_TOOLS_DMWRITER_TABLES_H
