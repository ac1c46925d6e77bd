/*
** ebint.h - records and codes shared inside the distance engine.
**
** Not for callers of the engine (they include engine/eb.h). This header
** holds only what the engine's modules share:
**
**   the work record of one request        EbAuftrag (with relation blocks)
**   the route-search request              EbSuchAnfrage
**   a Ne/See point and the bus record     EbNeSeePunkt, EbBusSatz
**   the result-chain types                EbListNode, EbListSlot, payloads
**   the engine's raise codes and message numbers
**
** Each module declares its own operations and state in a header of its
** own (ebkette.h, ebleser.h, ebsuche.h ...). Requests run one at a time on
** the one thread; the engine's state is process-wide and unguarded.
*/
#ifndef ZOLMA_ENGINE_EBINT_H
#define ZOLMA_ENGINE_EBINT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/eb.h"
#include "support/msg.h"
#include "support/utday.h"

/* ---- directions ---------------------------------------------------------- */

enum { EB_HIN = 0, EB_RUECK = 1 };

/* ---- engine message numbers and raise codes ("EB") ----------------------- */

/* Data errors raise an odd code with the message number one higher. */
enum : std::uint16_t {
  EB_RC_BHF_FEHLT = 1101,
  EB_MSG_BHF_FEHLT = 1102,      /* "dls" */
                                /* EB_RC_FBRR_ABSCHNITT = 1103 (engine/eb.h) */
  EB_MSG_FBRR_ABSCHNITT = 1104, /* "ddddds" */
  EB_RC_GREN = 1105,
  EB_MSG_GREN = 1106, /* "lls" */
  EB_RC_STEN = 1107,
  EB_MSG_STEN = 1108, /* "lls" */
  EB_RC_TDRG = 1109,
  EB_MSG_TDRG = 1110, /* "ds" */
  EB_RC_NESR = 1111,
  EB_MSG_NESR = 1112, /* "lls" */
  EB_RC_NGAT = 1113,
  EB_MSG_NGAT = 1114, /* "lldds" */
  EB_RC_RBGT = 1119,
  EB_MSG_RBGT = 1120, /* "ls" */
  EB_RC_LOST = 1121,
  EB_MSG_LOST = 1122, /* "ddlds" */
  EB_RC_KETTE_BHF = 1123,
  EB_MSG_KETTE_BHF = 1124, /* "dls" */
  EB_RC_FBRR_SCHLUESSEL = 1131,
  EB_MSG_FBRR_SCHLUESSEL = 1132, /* "lds" */
  EB_RC_KNOTENWEG = 1133,
  EB_MSG_KNOTENWEG = 1134, /* "llls" */
  EB_RC_KEINE_KNOTEN = 1406,
  EB_MSG_KEINE_KNOTEN = 1407, /* "d" */
  EB_RC_ZUVIELE_KNOTEN = 1408,
  EB_MSG_ZUVIELE_KNOTEN = 1409 /* "d" */
};

/* Request checks and other raises whose code equals the message number,
** without parameters. */
enum : std::uint16_t {
  EB_RC_STATION_NULL = 1301,
  EB_RC_ZWEIWEGE = 1302,
  EB_RC_FAHRTCODE = 1304,
  EB_RC_ZWEIWEGE_OHNE_RUECK = 1305,
  EB_RC_DATUM = 1307,
  EB_RC_TYP = 1308,
  EB_RC_TEXTFLAG = 1309,
  EB_RC_TARIFGEBIET_NULL = 1310,
  EB_RC_NE_VERKEHR = 1381,
  EB_RC_NE_GATTUNG = 1382,
  EB_RC_NE_LAGE_RUECK = 1383,
  EB_RC_NE_STATION = 1384,
  EB_RC_NE_BAHNHOF = 1385,
  EB_RC_NE_LAGE_EINFACH = 1386,
  EB_RC_NE_UEBERGANG = 1387,
  EB_RC_ENDABSCHNITT_KM = 1405,
  EB_RC_VARIANTEN = 1420
};

/* Internal errors: raise code 1999 with the message number naming them. */
enum : std::uint16_t {
  EB_RC_INTERN = 1999,
  EB_MSG_KEIN_SPEICHER = 1000,
  EB_MSG_KEIN_SLOT = 1001,
  EB_MSG_POOL_FEHLT = 1002,
  EB_MSG_SLOT_UNGUELTIG = 1003,
  EB_MSG_ELEMENTTYP = 1201,   /* "d" */
  EB_MSG_RELATIONSTEXT = 1311 /* "s" */
};

/* Warnings, written to the message file only. */
enum : std::uint16_t {
  EB_MSG_WARN_EBGG = 1125,
  EB_MSG_WARN_EBGB1 = 1126,
  EB_MSG_WARN_EBGB2 = 1127
};

/* Raise without parameters, code = message number. */
[[noreturn]] inline void EbRaiseEinfach(std::uint16_t code) {
  MsgRaise(code, kMsgSsEngine, code, kMsgModeNumbered, "");
}
/* Internal error 1999 with message number nr, no parameters. */
[[noreturn]] inline void EbRaiseIntern(std::uint16_t nr) {
  MsgRaise(EB_RC_INTERN, kMsgSsEngine, nr, kMsgModeNumbered, "");
}

/* ---- relation blocks and the work record --------------------------------- */

/* Relation block A of one direction: relation rules that name the stations
** shown at the ends (filled by the route over variants, cleared by the
** route step). */
struct EbRelBlockA {
  std::int32_t gefundenStart;
  std::int32_t gefundenEnde;
  std::int32_t bhfStart;
  std::int32_t bhfEnde;
  std::int32_t kmSchwelleStart;
  std::int32_t kmSchwelleEnde;
  char nameStart[25];
  char nameEnde[25];
};

/* Relation block B of one direction (the "+Urbo" texts). */
struct EbRelBlockB {
  std::int32_t gefundenStart;
  std::int32_t gefundenEnde;
  std::int32_t bhfStart;
  std::int32_t bhfEnde;
  char nameStart[25];
  char nameEnde[25];
};

/* The work record of one request. Every request starts from a template
** that is all zero except texteBauen = 1 and neLage = blank. Direction
** arrays are indexed EB_HIN, EB_RUECK. */
struct EbAuftrag {
  UtDayNumber datum;
  std::int32_t hinVon;
  std::int32_t hinNach;
  std::int32_t rueckVon;
  std::int32_t rueckNach;
  std::int32_t rueckfahrt; /* 1: return trip */
  std::int32_t zweiWege;   /* 1: separate return route */
  EbRelBlockA relA[2];
  std::int32_t beruehrung[2][2]; /* touch pair: break point before/after */
  std::uint32_t optionBits[2];
  EbRelBlockB relB[2];
  std::int32_t typ; /* "AnfrageTyp" */
  std::int32_t texteBauen;
  std::int32_t wegetextProblem;
  std::int32_t bahnKm[2]; /* rail km of each direction */
  char neLage;            /* "Ne-Lage Hinweg" once accepted */
};

/* ---- the route-search request ----------------------------------------- */

/* The route-search request of one direction, built fresh (all zero) by the
** rail route step for each direction. */
struct EbSuchAnfrage {
  std::int32_t von;
  std::int32_t nach;
  std::int32_t bpVor;
  std::int32_t bpNach;
  std::int32_t relWert; /* FBRR key number or relation key part 1 */
  std::int32_t relBhf[4];
  std::int32_t reserviert; /* 0 */
  std::int32_t konstante;  /* 3 */
  std::uint32_t optionBits;
  std::int32_t profilKey;
  std::int32_t festeFolge;
  UtDayNumber datum;
  std::int32_t schlusswort; /* 0 */
};

/* A Ne/See point. */
struct EbNeSeePunkt {
  std::int32_t neBhf;     /* a "Ne-Bahnhof" */
  std::int32_t uebergang; /* the matching "Ne-Uebergang" */
  std::uint32_t verkehrNr;
  std::uint32_t gattungNr;
  UtDayNumber datum;
};

/* The bus record (192 bytes). Nothing in the system fills it; it stays all
** zero. The leading three 16-bit fields are its key. */
struct EbBusSatz {
  std::uint16_t buslinie;
  std::uint16_t lfdNr;
  std::uint16_t datum;
  std::uint16_t reserviert0;
  std::uint32_t ersteHalteNr;  /* first stop number */
  std::uint32_t letzteHalteNr; /* last stop number */
  std::uint32_t bpVor;         /* break point before */
  std::uint32_t bpNach;        /* break point after */
  char textRueck[32];
  std::uint32_t relBhfStart; /* relation station at start, 0 none */
  std::uint32_t relBhfEnde;  /* relation station at end, 0 none */
  char nameErste[20];
  char nameLetzte[20];
  char textHin[32];
  std::uint16_t kmVorNachA; /* km before/after in tariff area A */
  std::uint16_t kmVorNachB; /* the same in tariff area B */
  std::uint16_t buskmA;     /* bus km in tariff area A */
  std::uint16_t buskmB;     /* bus km in tariff area B */
  char reserviert1[48];
};
static_assert(sizeof(EbBusSatz) == 192);

/* ---- result chains ------------------------------------------------------- */

enum { EB_ANZAHL_SLOTS = 40, EB_NUTZLAST = 260 };

/* Element types of a result chain. */
enum : std::int32_t {
  EB_ELEM_START = 1,    /* EbhfSatz */
  EB_ELEM_ZIEL = 2,     /* EbhfSatz */
  EB_ELEM_VIA = 3,      /* EbhfSatz */
  EB_ELEM_RELATION = 5, /* FbrrSatz */
  EB_ELEM_KNOTEN = 6,   /* GrenSatz */
  EB_ELEM_LINIE = 7,    /* StenSatz */
  EB_ELEM_NESEE = 8,    /* NesrSatz */
  EB_ELEM_NEPUNKT = 10, /* EbhfSatz */
  EB_ELEM_BUS = 11,     /* EbBusSatz */
  EB_ELEM_LOST = 20     /* LostSatz */
};

/* One element of a result chain. The payload holds a copy of the caller
** record that produced it (zeroed first; as many bytes as that record
** type has). Read and write it with EbNutzlastLesen/EbNutzlastSchreiben. */
struct EbListNode {
  EbListNode* next;
  EbListNode* prev;
  std::int32_t typ;
  std::int32_t umgekehrt; /* non-zero: used against its stored direction */
  alignas(8) unsigned char nutzlast[EB_NUTZLAST];
};

/* One numbered slot holding a chain. */
struct EbListSlot {
  std::int32_t belegt; /* 1 once handed out */
  EbListNode* kopf;
  EbListNode* ende;
  EbListNode* cursor; /* walk position: next element to read */
  std::int32_t anzahl;
};

/* Copy of the payload of an element as record type T. */
template <class T>
inline T EbNutzlastLesen(const EbListNode* knoten) {
  static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= EB_NUTZLAST);
  T satz;
  std::memcpy(&satz, knoten->nutzlast, sizeof satz);
  return satz;
}
/* Writes record type T back over the payload of an element. */
template <class T>
inline void EbNutzlastSchreiben(EbListNode* knoten, const T& satz) {
  static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= EB_NUTZLAST);
  std::memcpy(knoten->nutzlast, &satz, sizeof satz);
}

#endif /* ZOLMA_ENGINE_EBINT_H */
