/*
** dm_index: direct indexes over the tables keyed by station number.
**
** When a table is loaded, its own load hook (DbTabDesc::afterLoad, set by
** the table's set-up) calls the build here. For the station table EBHF,
** the line-kilometre table STEN and the node index of GREN this module
** then checks the order of the loaded records and, only when the order
** holds, builds an array addressed by station number that
** gives the first record of a key at once. A lookup asks the index first;
** when the index answers kDbNoIndex (switch off, table loaded anew since,
** order not verified, station number beyond the array, no memory), it runs
** its binary search as before. Over verified order both give the same
** record: the first record of the key.
**
** The indexes are built from the records in memory and never change them;
** they are freed when the table is unloaded (DbTabDesc::beforeUnload) and
** remember the table's load generation, so that a stale index is never
** consulted. Memory comes from the standard allocator (the decoded EBHF
** records from an anonymous mapping), apart from the loader's block
** accounting and its fault injection.
**
** The module also holds the one switch for every fast path of the table
** manager and the engine (DbSetFastPaths).
*/
#ifndef ZOLMA_DM_INDEX_H
#define ZOLMA_DM_INDEX_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"

struct EbhfSatz;

/* ---- the switch ------------------------------------------------------------ */

/* True (the default) while the fast paths are on: these indexes, the
** stations kept by the EBHF and STEN lookups, and the engine's node-list
** store and kilometre rows. With the switch off every lookup searches, so
** that tests can compare both ways. */
bool DbFastPathsOn();
/* Turns every fast path on or off; turning it off forgets the stations the
** EBHF lookup kept and the pairs the STEN lookup kept, so that their hits
** need not test the switch. The engine's stores are keyed so that nothing kept
** while the switch was on is used after it is turned off and on again
** unless it still matches. */
void DbSetFastPaths(bool on);

/* ---- table hooks --------------------------------------------------------------- */

/* Installed by each table's set-up as its DbTabDesc hooks: build the index
** after a successful load (a failure to build leaves the table without
** index, and the lookups search), drop it before the blocks are freed. */
void DbEbhfIndexBuild(const DbTabDesc* tab);
void DbEbhfIndexDrop(const DbTabDesc* tab);
void DbStenIndexBuild(const DbTabDesc* tab);
void DbStenIndexDrop(const DbTabDesc* tab);
void DbGrenIndexBuild(const DbTabDesc* tab);
void DbGrenIndexDrop(const DbTabDesc* tab);

/* ---- index lookups ---------------------------------------------------------- */

/* The index cannot answer: search. */
inline constexpr int32_t kDbNoIndex = -2;

/* EBHF: index of the first EbhfBlock record of (country, station), -1 when
** there is none, or kDbNoIndex. */
int32_t DbEbhfIndexFirst(uint16_t country, uint32_t station);

/* EBHF: record i of EbhfBlock decoded (on its first call, then kept until
** the table is released), or null (switch off,
** table loaded anew since, no decoded records). */
const EbhfSatz* DbEbhfIndexRecord(int32_t i);

/* STEN: index of the first StenKmBlock record of the pair (a, b) with
** a <= b as station numbers, -1 when there is none, or kDbNoIndex. */
int32_t DbStenIndexFirst(uint32_t a, uint32_t b);

/* STEN: one past the last record of the pair whose first record is
** `first` (a result of DbStenIndexFirst, not -1 or kDbNoIndex). */
int32_t DbStenIndexEnd(uint32_t a, uint32_t b, int32_t first);

/* GREN: index of a node station in GrenIbnrBlock, -1 when it is no node
** station, or kDbNoIndex. */
int32_t DbGrenIndexNode(uint32_t station);

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
/* Test support: true when the table's index is built and current. */
bool DbIndexReady(const DbTabDesc* tab);
#endif

#endif
