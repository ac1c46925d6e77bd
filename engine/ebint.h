/*
** ebint.h - records, state and operations shared inside the distance engine.
**
** Not for callers of the engine (they include engine/eb.h). This header is
** the one place where the engine's modules meet:
**
**   the work record of one request        EbAuftrag (with relation blocks)
**   the route-search request              EbSuchAnfrage
**   a Ne/See point                        EbNeSeePunkt
**   the result chains                     EbListNode, EbListSlot, walking
**   the answer-point scratch              EbAntwortPunkte, EbPunkteRichtung
**   the engine's raise codes and message numbers
**   the operations each module offers the others
**
** Each extern object and each function names the module that defines it.
** Requests run one at a time on the one thread; all of this state is
** process-wide and unguarded.
*/
#ifndef ZOLMA_ENGINE_EBINT_H
#define ZOLMA_ENGINE_EBINT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <type_traits>

#include "engine/eb.h"
#include "support/msg.h"
#include "support/utday.h"
#include "support/utlist.h"

/* ---- directions ---------------------------------------------------------- */

enum { EB_HIN = 0, EB_RUECK = 1 };

/* ---- engine message numbers and raise codes ("EB") ----------------------- */

/* Data errors raise an odd code with the message number one higher. */
enum : std::uint16_t {
  EB_RC_BHF_FEHLT = 1101,      EB_MSG_BHF_FEHLT = 1102,     /* "dls" */
  EB_RC_FBRR_ABSCHNITT = 1103, EB_MSG_FBRR_ABSCHNITT = 1104, /* "ddddds" */
  EB_RC_GREN = 1105,           EB_MSG_GREN = 1106,          /* "lls" */
  EB_RC_STEN = 1107,           EB_MSG_STEN = 1108,          /* "lls" */
  EB_RC_TDRG = 1109,           EB_MSG_TDRG = 1110,          /* "ds" */
  EB_RC_NESR = 1111,           EB_MSG_NESR = 1112,          /* "lls" */
  EB_RC_NGAT = 1113,           EB_MSG_NGAT = 1114,          /* "lldds" */
  EB_RC_RBGT = 1119,           EB_MSG_RBGT = 1120,          /* "ls" */
  EB_RC_LOST = 1121,           EB_MSG_LOST = 1122,          /* "ddlds" */
  EB_RC_KETTE_BHF = 1123,      EB_MSG_KETTE_BHF = 1124,     /* "dls" */
  EB_RC_FBRR_SCHLUESSEL = 1131, EB_MSG_FBRR_SCHLUESSEL = 1132, /* "lds" */
  EB_RC_KNOTENWEG = 1133,      EB_MSG_KNOTENWEG = 1134,     /* "llls" */
  EB_RC_KEINE_KNOTEN = 1406,   EB_MSG_KEINE_KNOTEN = 1407,  /* "d" */
  EB_RC_ZUVIELE_KNOTEN = 1408, EB_MSG_ZUVIELE_KNOTEN = 1409 /* "d" */
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

/* Country code of every station lookup of the engine. */
enum { EB_LAND = 80 };

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
  std::int32_t rueckfahrt;        /* 1: return trip */
  std::int32_t zweiWege;          /* 1: separate return route */
  EbRelBlockA relA[2];
  std::int32_t beruehrung[2][2];  /* touch pair: break point before/after */
  std::uint32_t optionBits[2];
  EbRelBlockB relB[2];
  std::int32_t typ;               /* "AnfrageTyp" */
  std::int32_t texteBauen;
  std::int32_t wegetextProblem;
  std::int32_t bahnKm[2];         /* rail km of each direction */
  char neLage;                    /* "Ne-Lage Hinweg" once accepted */
};

/* ---- the route-search request ----------------------------------------- */

/* The route-search request of one direction, built fresh (all zero) by the
** rail route step for each direction. */
struct EbSuchAnfrage {
  std::int32_t von;
  std::int32_t nach;
  std::int32_t bpVor;
  std::int32_t bpNach;
  std::int32_t relWert;           /* FBRR key number or relation key part 1 */
  std::int32_t relBhf[4];
  std::int32_t reserviert;        /* 0 */
  std::int32_t konstante;         /* 3 */
  std::uint32_t optionBits;
  std::int32_t profilKey;
  std::int32_t festeFolge;
  UtDayNumber datum;
  std::int32_t schlusswort;       /* 0 */
};

/* A Ne/See point. */
struct EbNeSeePunkt {
  std::int32_t neBhf;             /* a "Ne-Bahnhof" */
  std::int32_t uebergang;         /* the matching "Ne-Uebergang" */
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
  std::uint32_t ersteHalteNr;     /* first stop number */
  std::uint32_t letzteHalteNr;    /* last stop number */
  std::uint32_t bpVor;            /* break point before */
  std::uint32_t bpNach;           /* break point after */
  char textRueck[32];
  std::uint32_t relBhfStart;      /* relation station at start, 0 none */
  std::uint32_t relBhfEnde;       /* relation station at end, 0 none */
  char nameErste[20];
  char nameLetzte[20];
  char textHin[32];
  std::uint16_t kmVorNachA;       /* km before/after in tariff area A */
  std::uint16_t kmVorNachB;       /* the same in tariff area B */
  std::uint16_t buskmA;           /* bus km in tariff area A */
  std::uint16_t buskmB;           /* bus km in tariff area B */
  char reserviert1[48];
};
static_assert(sizeof(EbBusSatz) == 192);

/* ---- result chains ------------------------------------------------------- */

enum { EB_ANZAHL_SLOTS = 40, EB_NUTZLAST = 260 };

/* Element types of a result chain. */
enum : std::int32_t {
  EB_ELEM_START = 1,        /* EbhfSatz */
  EB_ELEM_ZIEL = 2,         /* EbhfSatz */
  EB_ELEM_VIA = 3,          /* EbhfSatz */
  EB_ELEM_RELATION = 5,     /* FbrrSatz */
  EB_ELEM_KNOTEN = 6,       /* GrenSatz */
  EB_ELEM_LINIE = 7,        /* StenSatz */
  EB_ELEM_NESEE = 8,        /* NesrSatz */
  EB_ELEM_NEPUNKT = 10,     /* EbhfSatz */
  EB_ELEM_BUS = 11,         /* EbBusSatz */
  EB_ELEM_LOST = 20         /* LostSatz */
};

/* One element of a result chain. The payload holds a copy of the caller
** record that produced it (zeroed first; as many bytes as that record
** type has). Read and write it with EbNutzlastLesen/EbNutzlastSchreiben. */
struct EbListNode {
  EbListNode* next;
  EbListNode* prev;
  std::int32_t typ;
  std::int32_t umgekehrt;   /* non-zero: used against its stored direction */
  alignas(8) unsigned char nutzlast[EB_NUTZLAST];
};

/* One numbered slot holding a chain. */
struct EbListSlot {
  std::int32_t belegt;      /* 1 once handed out */
  EbListNode* kopf;
  EbListNode* ende;
  EbListNode* cursor;       /* walk position: next element to read */
  std::int32_t anzahl;
};

/* The 40 slots (defined in ebkette.cpp). */
extern EbListSlot EbListSlots[EB_ANZAHL_SLOTS];

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

/* Starts a walk over a chain: checks the slot number (0 .. 39) and that it
** is in use, else raises 1999 "EB" 1003; sets the cursor to the head. */
inline EbListSlot* EbKetteLaufBeginnen(std::uint32_t slot) {
  if (slot >= EB_ANZAHL_SLOTS || EbListSlots[slot].belegt == 0)
    EbRaiseIntern(EB_MSG_SLOT_UNGUELTIG);
  EbListSlot* s = &EbListSlots[slot];
  s->cursor = s->kopf;
  return s;
}
/* The element at the cursor, advancing the cursor; null at the end of the
** chain or at an element of type 0. */
inline EbListNode* EbKetteNaechstes(EbListSlot* s) {
  EbListNode* k = s->cursor;
  if (k == nullptr || k->typ == 0) return nullptr;
  s->cursor = k->next;
  return k;
}

/* ebkette.cpp: the pool and the chain operations. Slot numbers arrive as
** unsigned values: 40 and above (and so any negative number) is a bad slot.
** Failures raise 1999 with "EB" 1000 .. 1003. */
void EbListenInit();
void EbListenEnde();
std::int32_t EbListeBelegen();
void EbListeFreigeben(std::uint32_t slot);
void EbListeAnfuegen(std::uint32_t slot, const void* nutzlast, std::int32_t typ,
                     std::int32_t umgekehrt);
void EbListeVerketten(std::uint32_t a, std::uint32_t b);
/* 0 when the return result slot mirrors the outbound result slot, else 1. */
std::int32_t EbListenVergleichen();

/* ---- engine state of the entry points (ebinit.cpp) ---------------------- */

/* The outbound and the return result slot (-1 until the first
** initialisation). */
extern std::int32_t EbSlotHin;
extern std::int32_t EbSlotRueck;

/* ---- chain reader and segment list (ebleser.cpp) ------------------------ */

/* Answer points of both directions: P0..P7 and the Ne/See points N0, N1,
** copied into EbErgebnis::punkte in this order (p[hin], p[rueck], n[hin],
** n[rueck]). */
struct EbAntwortPunkteScratch {
  std::int32_t p[2][8];
  std::int32_t n[2][2];
};
static_assert(sizeof(EbAntwortPunkteScratch) == sizeof(std::int32_t) * EB_ANZAHL_PUNKTE);
extern EbAntwortPunkteScratch EbAntwortPunkte;
/* Direction index of the chain reader: 0 outbound, any other value return. */
extern std::int32_t EbPunkteRichtung;

/* Reads a chain: first and last station taken, the relation used (its
** 32-bit key, bit 31 set when used reversed; left alone when the chain has
** no relation), and the answer points of the current direction. Returns 0. */
std::int32_t EbErgKetteAuswerten(std::int32_t* ersterBhf, std::int32_t* letzterBhf,
                                 std::uint32_t slot, std::int32_t* relation,
                                 UtDayNumber datum);
/* Fills the 13 entries of one direction of the segment list from a chain. */
void EbAbschnitteFuellen(std::uint32_t slot, EbAbschnitt* eintraege, UtDayNumber datum);

/* ---- route-search work lists (ebliste.cpp) ------------------------------ */

/* Engine-lifetime lists: the engine copies of "listeEbWegeVar" (id 22) and
** "listeEbWegeBhf" (id 23). */
extern UtList listeEbWegeVar;
extern UtList listeEbWegeBhf;
void EbListeInitWegeVarGlobal(UtList* liste);
void EbListeInitWegeBhfGlobal(UtList* liste);

/* ---- route along a point sequence (ebsuche.cpp) ------------------------- */

/* Route of one direction into the result slot; returns its km. */
std::int32_t EbLaufwegBerechnen(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA,
                                EbRelBlockB* blockB, std::int32_t beruehrung[2],
                                std::uint32_t flags, std::uint32_t ergebnisSlot);
/* Appends the LOST record of the key as a type-20 element to the outbound
** result slot (1121 when missing). */
void EbErgLostAnfuegen(std::uint16_t schluessel1, std::uint16_t schluessel2,
                       std::uint32_t schluessel3, std::uint16_t schluessel4,
                       UtDayNumber datum);
/* Appends the bus record as a type-11 element to the outbound result slot. */
void EbErgSatzAnfuegen();
/* Forgets the route step's work and scratch slots, so that they are taken
** again on next use. Called when the element pool is set up anew (which
** frees every slot number). */
void EbLaufwegSlotsVergessen();

/* ---- kilometres between two stations (ebkm.cpp) ------------------------- */

/* Empties the node-list cache (every entry's station 0). Called by the
** initialisation, so that no list outlives the tables it was built from. */
void EbKnotenCacheLeeren();

/* ---- route over variants (ebvarianten.cpp) ------------------------------ */

/* Route of a direction without fixed point sequence: variants from the
** route-variant search, their km, the relation rules. Fills the relation
** blocks and the touch pair; returns the km. Raises 1420 when the search
** fails. */
std::int32_t EbWegUeberVarianten(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA,
                                 EbRelBlockB* blockB, std::int32_t beruehrung[2],
                                 std::uint32_t flags);

/* ---- route text (ebwegetext.cpp) ---------------------------------------- */

/* Route text of a chain into text (width characters, blank-filled).
** Returns 0 the whole text fitted, 1 parts were dropped or cut, -1 it did
** not fit (the field is then blank). The marks start as {0, 0xFFFF}. */
std::int32_t EbWegetextErstellen(char* text, std::uint32_t breite, std::uint32_t slot,
                                 std::uint32_t optionen, UtDayNumber datum,
                                 EbTextMarke* marke1, EbTextMarke* marke2,
                                 std::uint32_t* benutzt);

/* Route-text option word. */
enum : std::uint32_t {
  EB_WT_DACH_BEHALTEN = 0x01,
  EB_WT_KURZNAMEN = 0x02,
  EB_WT_REL_START = 0x04,
  EB_WT_REL_ENDE = 0x08
};

/* ---- the request and its steps (ebanfrage.cpp, ebbahnweg.cpp, ebnesee.cpp,
**      ebergebnis.cpp, ebdruck.cpp) ----------------------------------------- */

/* Request counter (raised at the start of every request, also of a failing
** one) and the clock readings at its start (for the answer rendering). */
extern std::int32_t EbAnfrageZaehler;
extern std::clock_t EbAnfrageCpuStart;
extern std::time_t EbAnfrageZeitStart;

/* ebanfrage.cpp: request check and take-over steps. */
void EbPruefeAnfrage(EbAuftrag* auftrag, const EbAnfrage* anfrage);
void EbUebernehmeBahnhoefe(const EbAnfrage* anfrage, EbAuftrag* auftrag);
void EbSetzeJaOptionen(const EbAnfrage* anfrage, EbAuftrag* auftrag);
void EbUebernehmeNeSee(const EbAnfrage* anfrage, EbAuftrag* auftrag);

/* ebbahnweg.cpp: rail route per direction and the Ne/See point check.
** Position 0: Ne/See part ahead of the rail part; 1: behind it. */
void EbBerechneBahnweg(const EbAnfrage* anfrage, EbAuftrag* auftrag, std::uint32_t flags);
void EbErgPunktPruefen(const EbNeSeePunkt* punkt, std::int32_t position, std::uint32_t slot);

/* ebnesee.cpp: set-ups of the request types '4', '3' and '7'. */
void EbBerechneNeSee(const EbAnfrage* anfrage, EbAuftrag* auftrag);
void EbUebernehmeBuslinie(EbErgebnis* ergebnis, const EbAnfrage* anfrage, EbAuftrag* auftrag);
void EbUebernehmeVerkehr(const EbAnfrage* anfrage, EbErgebnis* ergebnis, EbAuftrag* auftrag);

/* ebergebnis.cpp: answer assembly. */
void EbNamenUndTexte(const EbAuftrag* auftrag, EbErgebnis* ergebnis);
void EbBestimmeWege(std::int32_t anstoss[4], std::int32_t* relHin, std::int32_t* relRueck,
                    std::int32_t zweiWege, std::int32_t rueckfahrt, UtDayNumber datum);
void EbErstelleErgebnis(EbAuftrag* auftrag, EbErgebnis* ergebnis, std::int32_t anstoss[4],
                        EbAbschnitte* abschnitte, const EbAnfrage* anfrage,
                        std::uint32_t flags);
void EbSummiereKm(std::uint32_t slot, EbWeg* weg, EbNeSeeTeil* neSee, std::int32_t typ,
                  std::uint32_t flags);
void EbKopiereHinweg(EbErgebnis* ergebnis, std::int32_t typ);
/* Adds "+Urbo" behind the name in text (25 characters) and blanks at the
** same place in its plain copy. */
void EbUrboAnhaengen(char text[25], char klar[25]);

/* ebdruck.cpp: debug renderings of request and answer. */
void EbDruckeAnfrage(const EbAnfrage* anfrage);
void EbDruckeErgebnis(std::int32_t typ, const EbErgebnis* ergebnis, std::int32_t rueckfahrt);

#endif /* ZOLMA_ENGINE_EBINT_H */
