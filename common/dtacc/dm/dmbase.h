/*
** dmbase: the loader of the table manager.
**
** Every table lives in one binary data file that DbLoadTab reads whole into
** memory, in the file's own packed little-endian layout, and keeps there
** until DbUnloadTab releases the last load. This module owns:
**   - the table and block descriptors (DbTabDesc, DbBlockDesc) and the
**     helpers with which each table's set-up fills them;
**   - the file format: the 26-byte file header, the 6-byte block headers,
**     block 0 with its KEY=VALUE texts (DbGetVersionsInfo);
**   - the load checks and their "DZ" raises (always raise code 1), including
**     the table-specific checks of what the lookups will later dereference
**     (DbTabDesc::check, "DZ" 1025 on a malformed file);
**   - reference counting, the no-file physical name, and the data-time
**     stamp DbDatenZeitstempel.
**
** A failed load leaves nothing behind: the blocks read so far are freed, the
** file is closed and the load count stays 0, so a later load starts afresh.
**
** File layout (all numbers little-endian, two's complement, no padding):
**
**   file header   0 i16 format (1)   2 i16 table number   4 i16 version
**                 6 i16 sub-version  8 i32 creation time (s since 1970 UTC)
**                12 14 bytes reserved
**   then block 0 and every record block of the chain, each as
**   block header  0 i16 block number  2 i32 byte length of the data
**   followed by its data.
*/
#ifndef ZOLMA_DM_DMBASE_H
#define ZOLMA_DM_DMBASE_H

#include <cstddef>
#include <cstdint>

/* ---- descriptors ---------------------------------------------------------- */

/* One record block of a table, chained in file order. */
struct DbBlockDesc {
  DbBlockDesc* next;      /* next block of the table, null at the end */
  int16_t blockNo;        /* 1, 2, 3 ... in chain order; -1 before set-up */
  const char* name;       /* block name used in messages ("EbhfBlock") */
  int32_t recLen;         /* bytes of one stored record; 1 for a text block */
  unsigned char* records; /* the stored records (allocated at load), or null */
  int32_t count;          /* number of records; lookups search 0 .. count-1 */
};

struct DbTabDesc;

/* What a load-time check found wrong: the block concerned and a short text.
** Filled by DbFaultSet. */
struct DbFault {
  const char* block;
  char what[160];
};

/* Table-specific load check, run after every block was read. Returns true
** when the loaded blocks are sound; false with *fault filled otherwise (the
** loader then frees everything and raises "DZ" 1025). */
typedef bool (*DbTabCheck)(const DbTabDesc* tab, DbFault* fault);

/* Table-specific step around the loaded blocks: run after a successful
** load (the load count is 1 and the generation new), and before the blocks
** are freed at the last release. A table builds and drops its indexes
** here; the loader itself knows no table. */
typedef void (*DbTabHook)(const DbTabDesc* tab);

/* One table. */
struct DbTabDesc {
  int16_t tabNo;           /* must equal the file header's table number */
  const char* code;        /* table code = logical name ("EBHF") */
  int16_t version;         /* must equal the file header's version */
  int16_t maxSubVersion;   /* the file's sub-version must not exceed it */
  int16_t loadCount;       /* 0 = not loaded */
  DbBlockDesc* firstBlock; /* chain of record blocks */
  unsigned char* fileInfo; /* block 0 (Dateiinfoblock), or null */
  int32_t fileInfoLen;     /* its byte count */
  /* Beyond the stored identity: */
  DbTabCheck check;         /* load-time check of the blocks, or null */
  DbTabHook afterLoad;      /* after a successful load, or null */
  DbTabHook beforeUnload;   /* before the blocks are freed, or null */
  uint32_t generation;      /* unique per load, 0 while not loaded; cursor
                               slots remember it to detect a stale position */
  uint32_t indexGeneration; /* the load the table's index was built from;
                               0 = no index (dm_index.h) */
};

/* Initial values of the static descriptors (what the set-up helpers below
** write before they fill a descriptor). */
inline constexpr DbTabDesc kDbTabDescInit = {-1, nullptr, -1,      -1,      0, nullptr, nullptr,
                                             0,  nullptr, nullptr, nullptr, 0, 0};
inline constexpr DbBlockDesc kDbBlockDescInit = {nullptr, -1, nullptr, 0, nullptr, 0};

/* The set-up helpers of the per-table modules. DbSetupTab resets the table
** descriptor and fills its identity and hooks; DbSetupBlock resets a block
** descriptor, fills it and appends it to the table's chain (call in file
** order). Never run while the table is loaded. */
void DbSetupTab(DbTabDesc* tab, int16_t tabNo, const char* code, int16_t version,
                int16_t maxSubVersion, DbTabCheck check, DbTabHook afterLoad = nullptr,
                DbTabHook beforeUnload = nullptr);
void DbSetupBlock(DbTabDesc* tab, DbBlockDesc* block, int16_t blockNo, const char* name,
                  int32_t recLen);

/* The block of a table's chain with the given number, or null. A table's
** module keeps the blocks that no other module reads to itself; tests reach
** them through here. */
const DbBlockDesc* DbTabBlock(const DbTabDesc* tab, int16_t blockNo);

/* ---- loading ---------------------------------------------------------------- */

/* The physical name of a table registered without a data file. */
inline constexpr char kDbNoFileName[] = "#$/&-.+()";

/* Loads the table or counts one more load; every failure is raised. */
void DbLoadTab(DbTabDesc* tab);

/* As DbLoadTab, but the data-time stamp is left exactly as it was, whatever
** happens: the message formatter's own load of the message-text table. */
void DbLoadTabKeepStamp(DbTabDesc* tab);

/* Counts one release; frees every block at the last one. */
void DbUnloadTab(DbTabDesc* tab);

/* Opens the physical file; raises "DZ" 1011 when it cannot be opened. */
int16_t DbOpenTabFile(const char* physName);

/* Reads and checks the file header of an open file; raises 1013, 1021, 1022
** or 1023. Stores the creation time in DbDatenZeitstempel while that is 0. */
void DbReadFileHeader(int16_t fileNo, int16_t tabNo, int16_t version, int16_t maxSubVersion,
                      const char* physName);

/* Reads one block of an open file: null and *count 0 for an empty block,
** else the records (freed with DbFreeBlock) and *count. Raises 1013, 1015,
** 1024 or 1025. Bytes beyond the last whole record are consumed and ignored. */
unsigned char* DbReadBlock(int16_t fileNo, const char* physName, const char* blockName,
                           int16_t expectedNo, int32_t recLen, int32_t* count);
void DbFreeBlock(unsigned char* records);

/* The value text of the first "VERSIONSINFO=" entry (key compared without
** regard to case) of block 0, or null: also for a null or empty block, and
** when the value is not terminated inside the block's len bytes. */
const char* DbGetVersionsInfo(const unsigned char* const* fileInfo, int32_t len);

/* The data-time stamp: seconds since 1.1.1970 00:00 UTC of the header of the
** first data file read since it was last 0; 0 = no stamp. */
extern int32_t DbDatenZeitstempel;

/* ---- messages ------------------------------------------------------------------ */

/* "DZ" message numbers of the loader (raise code always 1). */
enum : uint16_t {
  kDzNotRegistered = 1010, /* "s"  table code */
  kDzOpen = 1011,          /* "ss" physical name, file-layer error text */
  kDzRead = 1013,          /* "ss" physical name, file-layer error text */
  kDzNoMemory = 1015,      /* ""   */
  kDzFormat = 1021,        /* "s"  physical name */
  kDzTableNo = 1022,       /* "s"  physical name */
  kDzVersion = 1023,       /* "s"  physical name */
  kDzBlockNo = 1024,       /* "ss" physical name, block name */
  kDzMalformed = 1025,     /* "sss" physical name, block name, what is wrong */
  kDzVersionLog = 1050     /* "sss" table code, version info, time text */
};

/* Fills a fault: block name and a printf-formatted text (cut to fit). */
void DbFaultSet(DbFault* fault, const char* block, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

/* ---- load-check helpers for the table modules ---------------------------------- */

/* Width and signedness of a stored index field. */
enum DbIndexKind { kDbIndexU16, kDbIndexI16 };

/* Every record of recs holds at fieldOffset an index into target that lies
** in 0 .. target->count - 1 (or is -1 when allowNone). */
bool DbCheckIndexField(const DbBlockDesc* recs, std::size_t fieldOffset, DbIndexKind kind,
                       const DbBlockDesc* target, bool allowNone, DbFault* fault);

/* Every record of recs holds at fieldOffset a u32 byte offset into the text
** block text at which `texts` consecutive NUL-terminated texts begin, all of
** them ended inside the block. */
bool DbCheckTextField(const DbBlockDesc* recs, std::size_t fieldOffset, int texts,
                      const DbBlockDesc* text, DbFault* fault);

/* ---- test hooks -------------------------------------------------------------------- */
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

/* Number of block allocations not yet freed (for leak checks in tests). */
int DbTestLiveBlocks();

#endif

#endif
