/*
** eb.h - public interface of the distance engine.
**
** The engine takes a request record (EbAnfrage), computes the route of each
** direction over the network tables and fills an answer record (EbErgebnis,
** one EbWeg per direction) and, when asked, a segment list (EbAbschnitte).
** These records are the whole data interface between a caller and the
** engine. They are plain fixed-size records owned by the caller; the engine
** keeps no pointer to them after a call returns.
**
** Layout: every record keeps its field order and widths at natural
** alignment, so that the byte layout of the interface is fixed; the
** offsets are checked at compile time below, and a caller sees the same
** bytes on every build.
**
** Texts are fixed-width character fields in the DOS code page, blank-padded
** and not NUL-terminated. Station numbers are local numbers below 100000
** unless a field says otherwise.
**
** Entry points:
**   EbGfInitEntfernungsBerechnung()  load the engine's tables, set up pools
**   EbGfEntfernungsBerechnung()      one distance request
**   EbGfEndeEntfernungsBerechnung()  release what the initialisation took
*/
#ifndef ZOLMA_ENGINE_EB_H
#define ZOLMA_ENGINE_EB_H

#include <cstddef>
#include <cstdint>

#include "support/utday.h" /* UtDayNumber */

/* Width of the route text of one direction. */
enum { EB_WEGETEXT_LAENGE = 184 };
/* Entries of the segment list per direction. */
enum { EB_MAX_ABSCHNITTE = 13 };

/* Flags word of EbGfEntfernungsBerechnung. */
enum : std::uint32_t {
  EB_FLAG_STEN1_J = 0x0001,      /* STEN first letter forced to 'J' */
  EB_FLAG_STEN1_N = 0x0002,      /* STEN first letter forced to 'N' */
  EB_FLAG_STEN2_A = 0x0004,      /* STEN second letter forced to 'A' */
  EB_FLAG_STEN2_N = 0x0008,      /* STEN second letter forced to 'N' */
  EB_FLAG_KEIN_1405 = 0x0010,    /* do not raise 1405 */
  EB_FLAG_ABSCHNITTE = 0x0020,   /* fill EbAbschnitte */
  EB_FLAG_KURZNAMEN = 0x0040,    /* route text: compact station names */
  EB_FLAG_DACH_BEHALTEN = 0x0100 /* route text: keep '^' */
};

/* One direction of the request. */
struct EbAnfrageWeg {
  char optionFlag;              /* outbound only: 'J' reads the option letters */
  std::int32_t ibv;             /* "Ibv": from station (type '7': "Ibnr") */
  std::int32_t ibn;             /* "Ibn": to station (type '7': "LfdNr") */
  std::uint16_t relSchluessel1; /* FBRR key number */
  std::int32_t relSchluessel2;  /* FBRR relation number, 0 = from stations;
                                ** written back by the engine */
  std::uint16_t reserviert1;
  std::uint16_t relRichtung; /* 2: relation used against its direction */
  std::int32_t relBhf[4];    /* explicit relation stations */
  std::int32_t bpVor;        /* "BP-Vor" */
  std::int32_t bpNach;       /* "BP-Nach" */
  char reserviert2;
};

/* The request. */
struct EbAnfrage {
  char itId[6];                /* "IT-ID" */
  std::int32_t anfrageTyp;     /* "AnfrageTyp": '1', '3' .. '7' */
  std::int32_t textBreite;     /* wanted route-text width */
  char textFlag;               /* '1' build texts, '0' none */
  char fahrtCode;              /* "FahrtCode" */
  char zweiWege;               /* "ZweiWege" */
  UtDayNumber datum;           /* "Datum" */
  EbAnfrageWeg hin;            /* "Hinweg DPT" */
  EbAnfrageWeg rueck;          /* "Rueckweg" */
  std::uint32_t verkehrNr;     /* "Verkehrnr. Ne-See" / "VerkehrNr" */
  std::uint32_t gattungNr;     /* "Gattungnr. Ne-See" / "GattungNr" */
  std::int32_t neBhfHin;       /* "Ne-Bahnhof Hinweg" */
  std::int32_t neUebHin;       /* "Ne-Uebergang Hinweg" */
  std::int32_t neBhfRueck;     /* "Ne-Bahnhof Rueckweg" */
  std::int32_t neUebRueck;     /* "Ne-Uebergang Rueckweg" */
  char neLageHin;              /* "Ne-Lage Hinweg" */
  char neLageRueck;            /* "Ne-Lage Rueck" */
  std::uint32_t buslinie;      /* "Buslinie" */
  std::uint32_t buslinieLfdNr; /* "Buslinie Lfd. Nr." */
  char optionen[2];            /* option letters outbound, return */
  std::int32_t profilKey;      /* EBGG profile key, 0 = key 1 */
  std::int32_t festeFolge;     /* non-zero: fixed point sequence */
};

/* Text mark of a route text: the part's length and start (0xFFFF absent). */
struct EbTextMarke {
  std::int32_t laenge;
  std::int32_t start;
};

/* One direction of the answer. */
struct EbWeg {
  std::uint32_t bhfVon;              /* "Bahnhof Von" */
  std::uint32_t bhfNach;             /* "Bahnhof Nach" */
  char bezVon[20];                   /* "Bahnhofsbez. Von" */
  char bezNach[20];                  /* "Bahnhofsbez. Nach" */
  std::uint32_t bpVorlauf;           /* "Brechpunkt Vorlauf" */
  std::uint32_t bpNachlauf;          /* "Brechpunkt Nachlauf" */
  char reserviert;                   /* always blank */
  char linienMarke;                  /* 'J'/'N': a line segment flagged J/U */
  char endMarke;                     /* 'A'/'J'/'N': final line segments */
  char wegetext[EB_WEGETEXT_LAENGE]; /* "Wegetext" */
  std::uint16_t relSchluessel;       /* FBRR key number */
  std::uint32_t relNummer;           /* FBRR relation number */
  std::uint16_t relAttribut;         /* FBRR 16-bit number */
  std::uint16_t relRichtung;         /* 1 as stored, 2 reversed, 0 none */
  std::uint32_t fvRelation[4];       /* "FV-Relation" in travel order */
  char relFueller[4];                /* always blank */
  std::uint32_t kmWzVxt;             /* "Km-WZ-VXT" */
  std::uint32_t kmDrVxt;             /* "Km-DR-VXT" */
  std::uint32_t kmWz;                /* "Km-WZ" */
  std::uint32_t kmDr;                /* "Km-DR" */
  char relBStart;                    /* relation B at start 'J'/'N' */
  char relBEnde;                     /* relation B at end 'J'/'N' */
  std::uint32_t relBBhfStart;
  std::uint32_t relBBhfEnde;
  char textStartUrbo[25]; /* block B start name + "+Urbo" */
  char textEndeUrbo[25];  /* block B end name + "+Urbo" */
  char textStart[25];     /* the same names without the suffix */
  char textEnde[25];
  char relAStart; /* relation A at start 'J'/'N' */
  char relAEnde;  /* relation A at end 'J'/'N' */
  std::uint32_t relABhfStart;
  std::uint32_t relABhfEnde;
  std::uint32_t anstossStart; /* "Anstossbahnhof Start" */
  std::uint32_t anstossZiel;  /* "Anstossbahnhof Ziel" */
};

/* Ne/See part of one direction. */
struct EbNeSeeTeil {
  std::uint32_t streckenNr; /* "Streckennummer" */
  std::uint32_t kmNe;       /* "Entfernung Km Ne" */
  std::uint32_t neSeeCode;  /* "Ne/See Code" */
  char tarifgebiet;         /* "Tarifgebiet" 'A'/'B' */
};

/* Indexes into EbErgebnis::punkte. */
enum {
  EB_PUNKTE_HIN = 0,      /* P0..P7 outbound */
  EB_PUNKTE_RUECK = 8,    /* P0..P7 return */
  EB_NEPUNKTE_HIN = 16,   /* N0, N1 outbound */
  EB_NEPUNKTE_RUECK = 18, /* N0, N1 return */
  EB_ANZAHL_PUNKTE = 20
};

/* The answer. */
struct EbErgebnis {
  std::int32_t wegetextProblem; /* 1: a route text did not fit whole */
  char rueckwegFlag;            /* 'J' separate differing return route */
  EbWeg hin;                    /* "Hinweg" */
  EbWeg rueck;                  /* "Rueckweg" */
  EbNeSeeTeil neSeeHin;
  EbNeSeeTeil neSeeRueck;
  char busbezVon[20];       /* "Busbez.Von" */
  char busbezNach[20];      /* "Busbez.Nach" */
  std::uint32_t busnrVon;   /* "Busnummer Von" */
  std::uint32_t busnrNach;  /* "Busnummer Nach" */
  std::uint32_t buskmA;     /* "Buskilometer Tarifgebiet A" */
  std::uint32_t buskmB;     /* "Buskilometer Tarifgebiet B" */
  EbTextMarke markenHin[2]; /* rail part, Ne/See part */
  EbTextMarke markenRueck[2];
  std::int32_t punkte[EB_ANZAHL_PUNKTE];
};

/* One segment of the segment list. */
struct EbAbschnitt {
  char art; /* 'F','G','S','N','B'; 0 ends the list */
  std::int32_t von;
  std::int32_t nach;
  std::int32_t km1;
  std::int32_t km2;
  std::int32_t mitte1; /* relation middle stations */
  std::int32_t mitte2;
};

/* The optional segment list. */
struct EbAbschnitte {
  std::int32_t gefuellt; /* 1 when filled by this call */
  EbAbschnitt hin[EB_MAX_ABSCHNITTE];
  EbAbschnitt rueck[EB_MAX_ABSCHNITTE];
};

/* Raise codes that callers test by name (EbGfEntfernungsBerechnung returns
** them). */
enum : std::int32_t {
  EB_RC_FBRR_ABSCHNITT = 1103, /* the request's relation is not in FBRR */
  EB_RC_KEINE_RELATION = 1404  /* no relation found for the request */
};

/* Fills the dialog's type '1' request for day tag: origin von, destination
** nach and the two vias (0 = none) as the fixed point sequence, and whether
** route texts are wanted (textFlag '1') or not ('0'). Every other byte is 0
** or takes the dialog's fixed value. */
void EbAnfrageFuellen(EbAnfrage* anfrage, UtDayNumber tag, std::int32_t von, std::int32_t nach,
                      std::int32_t ueber1, std::int32_t ueber2, char textFlag);

/* Load the engine's tables and set up its pools and slots.
** Returns 0, or the raise code of the first error. */
std::int32_t EbGfInitEntfernungsBerechnung(void);

/* One distance request. Returns 0 when the answer is complete, else the
** raise code of the error that ended the request. */
std::int32_t EbGfEntfernungsBerechnung(EbErgebnis* ergebnis, EbAbschnitte* abschnitte,
                                       EbAnfrage* anfrage, std::uint32_t flags);

/* Release the tables and the element pool again. */
void EbGfEndeEntfernungsBerechnung(void);

/* Layout checks: the records keep the interface's natural-alignment
** layout. */
static_assert(offsetof(EbAnfrageWeg, ibv) == 4);
static_assert(offsetof(EbAnfrageWeg, relSchluessel1) == 12);
static_assert(offsetof(EbAnfrageWeg, relSchluessel2) == 16);
static_assert(offsetof(EbAnfrageWeg, relRichtung) == 22);
static_assert(offsetof(EbAnfrageWeg, relBhf) == 24);
static_assert(offsetof(EbAnfrageWeg, bpVor) == 40);
static_assert(offsetof(EbAnfrageWeg, reserviert2) == 48);
static_assert(sizeof(EbAnfrageWeg) == 52);

static_assert(offsetof(EbAnfrage, anfrageTyp) == 8);
static_assert(offsetof(EbAnfrage, textFlag) == 16);
static_assert(offsetof(EbAnfrage, datum) == 20);
static_assert(offsetof(EbAnfrage, hin) == 24);
static_assert(offsetof(EbAnfrage, rueck) == 76);
static_assert(offsetof(EbAnfrage, verkehrNr) == 128);
static_assert(offsetof(EbAnfrage, neLageHin) == 152);
static_assert(offsetof(EbAnfrage, buslinie) == 156);
static_assert(offsetof(EbAnfrage, optionen) == 164);
static_assert(offsetof(EbAnfrage, profilKey) == 168);
static_assert(offsetof(EbAnfrage, festeFolge) == 172);
static_assert(sizeof(EbAnfrage) == 176);

static_assert(offsetof(EbWeg, bezVon) == 8);
static_assert(offsetof(EbWeg, bpVorlauf) == 48);
static_assert(offsetof(EbWeg, reserviert) == 56);
static_assert(offsetof(EbWeg, wegetext) == 59);
static_assert(offsetof(EbWeg, relSchluessel) == 244);
static_assert(offsetof(EbWeg, relNummer) == 248);
static_assert(offsetof(EbWeg, fvRelation) == 256);
static_assert(offsetof(EbWeg, kmWzVxt) == 276);
static_assert(offsetof(EbWeg, kmWz) == 284);
static_assert(offsetof(EbWeg, relBStart) == 292);
static_assert(offsetof(EbWeg, textStartUrbo) == 304);
static_assert(offsetof(EbWeg, textEnde) == 379);
static_assert(offsetof(EbWeg, relAStart) == 404);
static_assert(offsetof(EbWeg, anstossZiel) == 420);
static_assert(sizeof(EbWeg) == 424);

static_assert(sizeof(EbNeSeeTeil) == 16);
static_assert(offsetof(EbErgebnis, hin) == 8);
static_assert(offsetof(EbErgebnis, rueck) == 432);
static_assert(offsetof(EbErgebnis, neSeeHin) == 856);
static_assert(offsetof(EbErgebnis, busbezVon) == 888);
static_assert(offsetof(EbErgebnis, busnrVon) == 928);
static_assert(offsetof(EbErgebnis, markenHin) == 944);
static_assert(offsetof(EbErgebnis, punkte) == 976);
static_assert(sizeof(EbErgebnis) == 1056);

static_assert(sizeof(EbAbschnitt) == 28);
static_assert(offsetof(EbAbschnitte, hin) == 4);
static_assert(offsetof(EbAbschnitte, rueck) == 4 + 13 * 28);
static_assert(sizeof(EbAbschnitte) == 4 + 26 * 28);

#endif /* ZOLMA_ENGINE_EB_H */
