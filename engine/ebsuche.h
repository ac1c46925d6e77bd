/*
** Route along a point sequence: the rail route step of one direction.
**
** EbLaufwegBerechnen builds the route of a
** direction as a chain in the result slot and returns its kilometres. With
** a fixed point sequence the route runs through origin, "BP-Vor", relation
** start and end, "BP-Nach" and destination in this order; each leg between
** two consecutive points comes from the kilometre computation, the relation
** leg from FBRR. This module owns the three work slots (legs leaving the
** origin, inner legs with the relation leg, legs reaching the destination),
** the scratch slot that receives one leg, the route day and the bus record.
*/
#ifndef ZOLMA_ENGINE_EBSUCHE_H
#define ZOLMA_ENGINE_EBSUCHE_H

#include <cstdint>

#include "engine/ebint.h"

/* Indexes of the point sequence. */
enum {
  EB_PKT_START = 0,     /* origin */
  EB_PKT_BP_VOR = 1,    /* break point before the relation */
  EB_PKT_REL_START = 2, /* relation start */
  EB_PKT_REL_ENDE = 3,  /* relation end */
  EB_PKT_BP_NACH = 4,   /* break point after the relation */
  EB_PKT_ZIEL = 5,      /* destination */
  EB_PKT_ANZAHL = 6
};

/* Leg flags: 0x10 empties the three work slots before the first leg. */
enum : std::uint32_t { EB_LEG_LEEREN = 0x10, EB_LEG_OHNE_PUNKTE = 0x20 };

/* The scratch slot that receives one leg (-1 until taken); the kilometre
** computation appends to it. */
extern std::int32_t EbSucheScratchSlot;
/* Test support: the three work slots (legs leaving the origin, inner legs
** with the relation leg, legs reaching the destination; -1 until taken). */
struct EbSucheArbeitsSlots {
  std::int32_t erster;
  std::int32_t mitte;
  std::int32_t letzter;
};
EbSucheArbeitsSlots EbSucheArbeitsSlotsLesen();
/* The route day: the day of the search request being computed. */
extern UtDayNumber EbSucheTag;
/* The legs of one point sequence into the work slots; returns the km. */
std::int32_t EbWegEntfernung(const EbSuchAnfrage* anfrage, std::uint32_t legFlags,
                             const std::int32_t punkte[EB_PKT_ANZAHL], std::uint32_t flags);
/* The relation leg: its FBRR record as a type-5 element into slot; returns
** the relation km. */
std::int32_t EbFbrrAbschnitt(const EbSuchAnfrage* anfrage, std::int32_t slot);

/* Takes the work slots (and, with scratch, the scratch slot) when they are
** not held in the current element pool. */
void EbSucheSlotsSichern(bool scratch);

/* Route of one direction into the result slot; returns its km. */
std::int32_t EbLaufwegBerechnen(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA,
                                EbRelBlockB* blockB, std::int32_t beruehrung[2],
                                std::uint32_t flags, std::uint32_t ergebnisSlot);
/* Appends the LOST record of the key as a type-20 element to the outbound
** result slot (1121 when missing). */
void EbErgLostAnfuegen(std::uint16_t schluessel1, std::uint16_t schluessel2,
                       std::uint32_t schluessel3, std::uint16_t schluessel4, UtDayNumber datum);
/* Appends the bus record as a type-11 element to the outbound result slot. */
void EbErgSatzAnfuegen();
/* Forgets the route step's work and scratch slots, so that they are taken
** again on next use. Called when the element pool is set up anew (which
** frees every slot number). */
void EbLaufwegSlotsVergessen();

#endif
