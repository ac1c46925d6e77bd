/*
** dm_bhfnr.h - station numbers and the country code of the station tables.
**
** A station is keyed in EBHF by the country code and its local number
** (below 100000); the relation table FBRR and the points of EBGB carry the
** full form, the country code times 100000 plus the local number. These
** are the one definition of the code and of both conversions.
*/
#ifndef ZOLMA_DM_BHFNR_H
#define ZOLMA_DM_BHFNR_H

#include <cstdint>

/* Country code of every station of the network. */
inline constexpr std::uint16_t kDbLand = 80;
/* Local numbers lie below this bound. */
inline constexpr std::uint32_t kDbBhfLokalGrenze = 100000u;
/* The full form of local number 0: the country code's share of every full
** station number. */
inline constexpr std::uint32_t kDbBhfLandBasis =
    static_cast<std::uint32_t>(kDbLand) * kDbBhfLokalGrenze;

/* The country code part of a station number (0 for a local number). */
inline constexpr std::uint32_t DbBhfLand(std::uint32_t station) {
  return station / kDbBhfLokalGrenze;
}

/* The local form of a station number (full or already local). */
inline constexpr std::uint32_t DbBhfLokal(std::uint32_t station) {
  return station % kDbBhfLokalGrenze;
}

/* The full form of a local station number; 0 and numbers that are not
** local stay as they are. */
inline constexpr std::uint32_t DbBhfVoll(std::uint32_t station) {
  return (station != 0 && station < kDbBhfLokalGrenze) ? kDbBhfLandBasis + station : station;
}

#endif /* ZOLMA_DM_BHFNR_H */
