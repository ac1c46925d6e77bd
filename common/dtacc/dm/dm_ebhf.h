/*
** EBHF: the station table. Owns the EBHF descriptors and the keyed lookup
** DbGetEbhf on (country, station number).
**
** Declares the table's descriptors, its caller record and its lookups;
** the common lookup rules are those of dm.h.
*/
#ifndef ZOLMA_DM_EBHF_H
#define ZOLMA_DM_EBHF_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kEbhfRecLen = 130, kEbhfGzpktRecLen = 14 };
/* Indexes into EbhfSatz::flags3 and EbhfSatz::letters. */
enum {
  kEbhfFlagList = 1,    /* 'N' keeps the station off the 50 km list */
  kEbhfLetterKind = 5,  /* station kind: 'A'/'H' node station */
  kEbhfLetterList1 = 8, /* both 'N' for the 50 km list */
  kEbhfLetterList2 = 9,
  kEbhfLetterKmPart = 11 /* 'A' km part 1, 'B' km part 2 */
};

/* Caller record of DbGetEbhf: the stored fields at natural alignment, named
** after their stored offset where they carry no meaning of their own here.
** No valid-until. The record is 136 bytes, the size result chains copy. */
struct EbhfSatz {
  uint16_t country;   /* stored at 0 */
  uint32_t station;   /* 2 */
  uint16_t validFrom; /* 6, bit 15 = withdrawn */
  char name[20];      /* 8, station name, blank-padded, no terminator */
  char name2[20];     /* 28, second name */
  char name3[9];      /* 48 */
  uint16_t u16At58;
  uint16_t tariffArea; /* 60 */
  uint32_t u32At62;    /* overwritten by the engine with a relation station */
  uint8_t u8At66;
  uint16_t u16At68;
  uint32_t u32At70[6];
  uint16_t u16At94;
  uint8_t u8At96;
  uint32_t u32At98;
  uint32_t u32At102;
  char flags3[3]; /* 106 */
  uint32_t u32At110;
  char letters[14]; /* 114 */
  uint16_t u16At128;
  uint8_t reserved[4]; /* zero; keeps the record at 136 bytes */
};
static_assert(sizeof(EbhfSatz) == 136, "EbhfSatz keeps its 136-byte layout");

extern DbTabDesc DbEbhfTab;
extern DbBlockDesc DbEbhfBlock;

/* Fills the EBHF descriptors (code "EBHF", 200, version 3, sub-version 3). */
void DbInitEbhf();
/* Keyed lookup on (country, station): 0, 1, 2 (5 for a null out). */
DbLookupResult DbGetEbhf(EbhfSatz* out, uint16_t country, uint32_t station, UtDayNumber day);
/* The same lookup without the copy: the record found, either read in place
** from the records kept decoded (valid until the table is released or
** loaded anew) or decoded into puffer; null when there is none. *result
** is what DbGetEbhf returns (puffer must not be null). */
const EbhfSatz* DbGetEbhfRef(EbhfSatz* puffer, uint16_t country, uint32_t station, UtDayNumber day,
                             DbLookupResult* result);

/* The last stations found through the index, by station number: a
** request looks its own few stations up again and again. An entry names
** a record kept decoded by the index of the load it names (a load
** generation is never handed out twice, and the index of a load lives as
** long as the load) and holds for the same key and day. Entries are made
** only with the fast paths on, and turning them off empties the table.
** DbGetEbhfRef reads them first (inline, so that a request's
** repeated lookups cost no call into the table manager), then searches. */
struct DbEbhfGemerkt {
  uint32_t generation; /* 0 = empty */
  uint16_t country;
  uint32_t station;
  UtDayNumber day;
  const EbhfSatz* satz;
};
inline constexpr uint32_t kDbEbhfGemerkt = 64;
extern DbEbhfGemerkt DbEbhfGemerktTab[kDbEbhfGemerkt];
/* Empties DbEbhfGemerktTab: the fast-path switch does so when it turns
** off, so that the kept stations need no test of the switch. */
void DbEbhfGemerktVergessen();
/* The search behind DbGetEbhfRef: the index or the binary search; enters
** the record found through the index in DbEbhfGemerktTab. */
const EbhfSatz* DbEbhfSuchen(EbhfSatz* puffer, uint16_t country, uint32_t station, UtDayNumber day,
                             DbLookupResult* result);

inline const EbhfSatz* DbGetEbhfRef(EbhfSatz* puffer, uint16_t country, uint32_t station,
                                    UtDayNumber day, DbLookupResult* result) {
  if (!DbIsLoaded(&DbEbhfTab)) {
    *result = kDbNotLoaded;
    return nullptr;
  }
  const DbEbhfGemerkt& z = DbEbhfGemerktTab[station & (kDbEbhfGemerkt - 1)];
  if (z.generation != 0 && z.generation == DbEbhfTab.generation && z.station == station &&
      z.country == country && z.day == day) {
    *result = kDbFound;
    return z.satz;
  }
  return DbEbhfSuchen(puffer, country, station, day, result);
}
/* Decodes one stored EbhfBlock record (kEbhfRecLen bytes). */
void DbEbhfDecode(const unsigned char* r, EbhfSatz* out);

/* ---- the station walk ------------------------------------------------------ */

/* What the walk reads of a stored record, kept by the station index. */
struct DbEbhfKurz {
  uint32_t station;
  uint16_t validFrom; /* as stored, bit 15 = withdrawn */
  uint16_t tariffArea;
  char flagList; /* flags3[kEbhfFlagList] */
  char kind;     /* letters[kEbhfLetterKind] */
  char list1;    /* letters[kEbhfLetterList1] */
  char list2;    /* letters[kEbhfLetterList2] */
};
static_assert(sizeof(DbEbhfKurz) == 12, "DbEbhfKurz stays small");

/* True when the stations of `country` can be walked: the fast paths are on
** and the station index of the current load covers the country. */
bool DbEbhfWalkReady(uint16_t country);

/* The walk over the stations of the country DbEbhfWalkReady accepted, in
** ascending station number, each with the record that DbGetEbhf finds on
** the day (a station whose record in force is withdrawn, or that has none
** yet, is passed over): the same stations in the same order as keyed
** lookups of every number. *pos starts at 0 and is advanced; the summary
** of the next station's record, and in *record its index in EbhfBlock, or
** null at the end. Valid while the table stays loaded. */
const DbEbhfKurz* DbEbhfWalkNext(UtDayNumber day, int32_t* pos, int32_t* record);

/* The caller record of EbhfBlock record `record` (from the walk): read in
** place from the records kept decoded, or decoded into puffer; null when
** there is no such record. */
const EbhfSatz* DbEbhfRecordAt(int32_t record, EbhfSatz* puffer);

/* The highest station number of the indexed country, 0 without index. */
uint32_t DbEbhfHighestStation();

#endif
