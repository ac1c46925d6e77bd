/*
** The 50 km list: every station number from 0 to 99999, in ascending
** order, whose EBHF record is in force on the list's day and passes the
** list's tests, gets one distance request from the list's origin (the
** dialog's type '1' request without route text and without vias, flags
** word 0); the stations whose distance is at most 50 km are handed to the
** caller, one call a row, in that order.
**
** The origin is fixed for the whole list, so its work is done once when
** the list starts and kept as the list's own state: its station record,
** its node list, and for every node station of GREN the least kilometres
** from the origin's side to it. With them a station's one leg from the
** origin (the kilometres the request's route consists of) is computed
** without a request; a station whose leg is certainly longer than 50 km
** is left out without its request, since its request could only end above
** 50 km or with a code. Every other station, and every station for which
** the shortcut meets anything it does not know for certain (a missing
** pair, a node list that cannot be built, a table not loaded), gets its
** full request. The rows are those of a request per station, exactly.
**
** The shortcut is a fast path under the table manager's switch
** (DbSetFastPaths); it is also off when the caller puts another request
** function in the engine's place.
**
** A raise from the request function or the row function leaves the list
** (the engine's own request never raises); the rows handed over so far
** stay with the caller.
*/
#ifndef ZOLMA_ENGINE_EBFUENFZIG_H
#define ZOLMA_ENGINE_EBFUENFZIG_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "engine/eb.h"

/* The distance of a list row, at most. */
inline constexpr std::int32_t kEbListeMaxKm = 50;

/* Whether a station record may appear on a 50 km list at all: its list
** letters 8 and 9 are both 'N' and its second flag is not 'N'. */
bool EbListenTauglich(const EbhfSatz& e);

/* The request function of the list (the engine's EbGfEntfernungsBerechnung
** unless a caller puts another in its place). */
using EbListenAnfrageFn = std::int32_t (*)(EbErgebnis*, EbAbschnitte*, EbAnfrage*, std::uint32_t);
/* One row: the station, its EBHF record (valid during the call) and the
** distance. */
using EbListenZeileFn = void (*)(void* kontext, std::int32_t bahnhof, const EbhfSatz& satz,
                                 std::int32_t km);

struct EbFuenfzigKmAuftrag {
  std::int32_t abgang;       /* origin station; never listed itself */
  UtDayNumber tag;           /* the day of every lookup and request */
  EbListenAnfrageFn anfrage; /* null: EbGfEntfernungsBerechnung */
  EbListenZeileFn zeile;     /* may be null: rows only counted */
  void* kontext;             /* handed to zeile */
};

/* What one list did. */
struct EbFuenfzigKmBericht {
  std::int32_t zeilen;      /* rows handed over */
  std::int32_t anfragen;    /* full requests made */
  std::int32_t ausgelassen; /* stations left out by the shortcut */
};

/* Computes the list; returns the rows handed over. bericht may be null. */
std::int32_t EbFuenfzigKmListe(const EbFuenfzigKmAuftrag& auftrag,
                               EbFuenfzigKmBericht* bericht = nullptr);

#endif
