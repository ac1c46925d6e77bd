/*
** Route along a point sequence: the route step of one direction, the legs
** of a point sequence, the relation leg and the LOST and bus appenders.
**
** The work slots are taken on first use and kept; when the element pool
** has been set up anew since (an end and a new initialisation of the
** engine, which frees every slot number), they are taken again, so that a
** route after a second initialisation finds slots of its own.
*/
#include "engine/ebsuche.h"

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_lost.h"
#include "engine/ebbahnhof.h"
#include "engine/ebinit.h"
#include "engine/ebkette.h"
#include "engine/ebkm.h"
#include "engine/ebliste.h"
#include "engine/ebvar.h"

std::int32_t EbSucheScratchSlot = -1;
UtDayNumber EbSucheTag = 0;

namespace {

/* The work slots (-1 until taken). */
std::int32_t slotErster = -1;
std::int32_t slotMitte = -1;
std::int32_t slotLetzter = -1;

/* The bus record; nothing in the system fills it. */
EbBusSatz EbSucheBusSatz;

/* Pool generation in which the work slots and the scratch slot were taken
** (0: not taken). */
std::uint32_t arbeitGeneration = 0;
std::uint32_t scratchGeneration = 0;
bool wegeFertigEingerichtet = false;

}  // namespace

EbSucheArbeitsSlots EbSucheArbeitsSlotsLesen() { return {slotErster, slotMitte, slotLetzter}; }

void EbLaufwegSlotsVergessen() {
  slotErster = slotMitte = slotLetzter = EbSucheScratchSlot = -1;
  arbeitGeneration = scratchGeneration = 0;
}

void EbSucheSlotsSichern(bool scratch) {
  std::uint32_t gen = EbListenGeneration();
  if (arbeitGeneration != gen || slotErster < 0) {
    slotErster = EbListeBelegen();
    slotMitte = EbListeBelegen();
    slotLetzter = EbListeBelegen();
    arbeitGeneration = gen;
  }
  if (scratch && (scratchGeneration != gen || EbSucheScratchSlot < 0)) {
    EbSucheScratchSlot = EbListeBelegen();
    scratchGeneration = gen;
  }
}

namespace {

std::uint32_t alsSlot(std::int32_t slot) { return static_cast<std::uint32_t>(slot); }

}  // namespace

std::int32_t EbLaufwegBerechnen(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA,
                                EbRelBlockB* blockB, std::int32_t beruehrung[2],
                                std::uint32_t flags, std::uint32_t ergebnisSlot) {
  EbSucheSlotsSichern(false);
  if (!wegeFertigEingerichtet) {
    EbListeInitWegeFertig(&listeWegeFertig);
    wegeFertigEingerichtet = true;
  }

  *blockA = EbRelBlockA{};
  *blockB = EbRelBlockB{};
  beruehrung[0] = beruehrung[1] = 0;

  EbGlobaleListenFreigeben();
  EbListeArrayFreigeben(&listeWegeFertig);

  const EbSuchAnfrage such = *anfrage;
  EbSucheTag = such.datum;

  EbhfSatz bhf;
  EbBahnhofLesen(&bhf, such.von, such.datum);
  EbBahnhofLesen(&bhf, such.nach, such.datum);

  std::int32_t km;
  if (such.festeFolge != 0) {
    const std::int32_t punkte[EB_PKT_ANZAHL] = {such.von,       such.bpVor,  such.relBhf[0],
                                                such.relBhf[1], such.bpNach, such.nach};
    bool innen = punkte[1] != 0 || punkte[2] != 0 || punkte[3] != 0 || punkte[4] != 0;
    km = EbWegEntfernung(&such, innen ? EB_LEG_LEEREN : (EB_LEG_LEEREN | EB_LEG_OHNE_PUNKTE),
                         punkte, flags);
    beruehrung[0] = punkte[EB_PKT_BP_VOR];
    beruehrung[1] = punkte[EB_PKT_BP_NACH];
  } else {
    km = EbWegUeberVarianten(&such, blockA, blockB, beruehrung, flags);
  }

  EbListeVerketten(ergebnisSlot, alsSlot(slotErster));
  EbListeVerketten(ergebnisSlot, alsSlot(slotMitte));
  EbListeVerketten(ergebnisSlot, alsSlot(slotLetzter));
  EbListeArrayFreigeben(&listeWegeFertig);
  return km;
}

std::int32_t EbWegEntfernung(const EbSuchAnfrage* anfrage, std::uint32_t legFlags,
                             const std::int32_t punkte[EB_PKT_ANZAHL], std::uint32_t flags) {
  EbSucheSlotsSichern(true);
  if (legFlags & EB_LEG_LEEREN) {
    EbListeFreigeben(alsSlot(slotErster));
    EbListeFreigeben(alsSlot(slotMitte));
    EbListeFreigeben(alsSlot(slotLetzter));
  }

  std::int32_t km = 0;
  int i = EB_PKT_START;
  for (int j = i + 1; j < EB_PKT_ANZAHL; ++j) {
    if (punkte[j] == 0) continue;
    std::int32_t ziel = i == EB_PKT_START ? slotErster : j == EB_PKT_ZIEL ? slotLetzter : slotMitte;
    if (i == EB_PKT_REL_START && j == EB_PKT_REL_ENDE) {
      km += EbFbrrAbschnitt(anfrage, ziel);
    } else {
      if (i == EB_PKT_BP_VOR || i == EB_PKT_BP_NACH) {
        /* A leg leaving a break point begins with the break point itself. */
        EbhfSatz bp;
        EbBahnhofHolen(&bp, punkte[i], anfrage->datum);
        EbListeAnfuegen(alsSlot(ziel), &bp, EB_ELEM_VIA, 0);
      }
      EbListeFreigeben(alsSlot(EbSucheScratchSlot));
      const EbKmStrecke strecke{punkte[i], punkte[j], anfrage->datum};
      km += static_cast<std::int32_t>(EbAbschnittKm(flags, &strecke));
      EbListeVerketten(alsSlot(ziel), alsSlot(EbSucheScratchSlot));
    }
    i = j;
  }
  return km;
}

std::int32_t EbFbrrAbschnitt(const EbSuchAnfrage* anfrage, std::int32_t slot) {
  const std::int32_t* r = anfrage->relBhf;
  FbrrSatz satz;
  /* FBRR's station lookup wants the full form. */
  auto voll = [](std::int32_t bhf) { return DbBhfVoll(static_cast<std::uint32_t>(bhf)); };
  if (DbGetFbrrBhf(&satz, static_cast<std::uint16_t>(anfrage->relWert), voll(r[0]), voll(r[1]),
                   voll(r[2]), voll(r[3]), anfrage->datum) != kDbFound)
    MsgRaise(EB_RC_FBRR_ABSCHNITT, kMsgSsEngine, EB_MSG_FBRR_ABSCHNITT, kMsgModeNumbered, "ddddds",
             anfrage->relWert, r[0], r[1], r[2], r[3], UtDayText(anfrage->datum));
  for (std::uint32_t& s : satz.stations) s = DbBhfLokal(s);
  /* The relation runs reversed when the request names its second station
  ** first; both sides are compared as local numbers, so a request station
  ** given in full form does not count as a different station. */
  std::uint32_t erster = DbBhfLokal(static_cast<std::uint32_t>(r[0]));
  EbListeAnfuegen(alsSlot(slot), &satz, EB_ELEM_RELATION, erster != satz.stations[0] ? 1 : 0);
  return static_cast<std::int32_t>(satz.numbers[0]);
}

void EbErgLostAnfuegen(std::uint16_t schluessel1, std::uint16_t schluessel2,
                       std::uint32_t schluessel3, std::uint16_t schluessel4, UtDayNumber datum) {
  if (DbGetLost(schluessel1, schluessel2, schluessel3, schluessel4, datum) != kDbFound)
    MsgRaise(EB_RC_LOST, kMsgSsEngine, EB_MSG_LOST, kMsgModeNumbered, "ddlds", schluessel1,
             schluessel2, static_cast<std::int32_t>(schluessel3), schluessel4, UtDayText(datum));
  /* The result record is copied whole into the element. */
  EbListeAnfuegen(alsSlot(EbSlotHin), &DbLostSatz, EB_ELEM_LOST, 0);
}

void EbErgSatzAnfuegen() { EbListeAnfuegen(alsSlot(EbSlotHin), &EbSucheBusSatz, EB_ELEM_BUS, 0); }
