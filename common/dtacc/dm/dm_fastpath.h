/*
** dm_fastpath: the one switch for every fast path of the table manager and
** the engine.
**
** While the switch is on (the default) the tables answer through their
** indexes and the stations and pairs they keep, and the engine uses its
** node-list store, its kilometre rows and the 50 km list's shortcut. With
** it off every lookup searches and every station of a list gets its full
** request, so that tests can compare both ways.
**
** The module knows no table: what a table keeps beside its index and must
** forget when the switch goes off, the table's set-up names here with
** DbOnFastPathsOff.
*/
#ifndef ZOLMA_DM_DM_FASTPATH_H
#define ZOLMA_DM_DM_FASTPATH_H

/* The switch itself; read it through DbFastPathsOn, set it only through
** DbSetFastPaths. */
extern bool DbFastPathsState;

/* True while the fast paths are on (inline: every index lookup asks). */
inline bool DbFastPathsOn() { return DbFastPathsState; }

/* Turns every fast path on or off. Turning it off runs every function
** named with DbOnFastPathsOff, so that what the tables keep (the stations
** of the EBHF lookup, the pairs of the STEN lookup) is forgotten and their
** hits need not test the switch. The engine's stores are keyed so that
** nothing kept while the switch was on is used after it is turned off and
** on again unless it still matches. */
void DbSetFastPaths(bool on);

/* Names a function that forgets what a table keeps; run whenever the
** switch is turned off. The same function named twice is kept once; room
** for kDbFastPathForgetters functions. */
using DbFastPathForget = void (*)();
inline constexpr int kDbFastPathForgetters = 8;
void DbOnFastPathsOff(DbFastPathForget forget);

#endif
