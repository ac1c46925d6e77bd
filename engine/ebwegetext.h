/*
** ebwegetext.h - route text ("Wegetext") and relation text of the engine.
**
** The route text tells the way of one direction in words. It is built from
** the direction's result chain, one part per element, each part led by a
** marker character:
**
**   '^'  a via station (becomes '*' unless option EB_WT_DACH_BEHALTEN)
**   '$'  a station where a segment begins; dropped first when room runs out
**   '*'  a route description of a node-to-node segment, a relation text,
**        or a Ne/See point
**
** Stored route descriptions (RBGT) use '#' as separator, '<' ... '>' for a
** group, '(' ... ')' for an aside and '/' for an alternative; '#' never
** reaches the text (it becomes '*' or is dropped).
**
** Two modules share this header:
**   ebwegetext.cpp       the walk over the chain, appending and dropping
**                        parts, the text marks, station-name compaction and
**                        the forward and reversed form of a description;
**   ebrelationstext.cpp  the coded text of a relation element built from
**                        its FBRW points, with the separator table and the
**                        status bits of the text-element writer.
**
** Texts are fixed-width fields, blank-padded, without terminating NUL; the
** parts handed around between the helpers are NUL-terminated. Nothing here
** allocates: parts live in buffers of EB_WT_TEIL characters, and the two
** description forms in static buffers that the next call overwrites.
*/
#ifndef ZOLMA_ENGINE_EBWEGETEXT_H
#define ZOLMA_ENGINE_EBWEGETEXT_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_stamm.h"
#include "engine/ebint.h"

/* Room of one part buffer (characters, a NUL included). */
enum { EB_WT_TEIL = 200 };

/* Start position of a text mark whose part is absent. */
enum : std::int32_t { EB_WT_MARKE_FEHLT = 0xFFFF };

/* ---- route text (ebwegetext.cpp) ---------------------------------------- */

/* Route text of a chain into text (width characters, blank-filled).
** Returns 0 the whole text fitted, 1 parts were dropped or cut, -1 it did
** not fit (the field is then blank). The marks start as {0, 0xFFFF}. */
std::int32_t EbWegetextErstellen(char* text, std::uint32_t breite, std::uint32_t slot,
                                 std::uint32_t optionen, UtDayNumber datum, EbTextMarke* marke1,
                                 EbTextMarke* marke2, std::uint32_t* benutzt);

/* Route-text option word. */
enum : std::uint32_t {
  EB_WT_DACH_BEHALTEN = 0x01,
  EB_WT_KURZNAMEN = 0x02,
  EB_WT_REL_START = 0x04,
  EB_WT_REL_ENDE = 0x08
};

/* The walk over the chain of slot: fills text (width characters, blanked
** first), the two marks (rail part, Ne/See part), the used length and the
** result (0 fitted, 1 parts dropped or cut, -1 did not fit). Raises 1999
** "EB" 1003 (bad slot), 1101 "EB" 1102 (segment start missing in EBHF),
** 1119 "EB" 1120 (RBGT record missing), 1999 "EB" 1311 (relation text). */
void EbFormatiereWegetext(char* text, std::uint32_t breite, std::uint32_t slot,
                          std::uint32_t optionen, UtDayNumber datum, EbTextMarke* marke1,
                          EbTextMarke* marke2, std::uint32_t* benutzt, std::int32_t* ergebnis);

/* Appends one part (NUL-terminated) at the used length of text (width -
** *rest). A part led by '<' replaces a trailing '*'; a part led by '*'
** loses it after a trailing '>'. When the part does not fit, the text's
** '$' parts go first (oldest first), then the part's own '$' parts; if it
** still does not fit, as much as fits is written, *ergebnis becomes -1 and
** *rest 0. *ergebnis becomes 1 whenever the part was longer than the room.
** marken points to the two marks. Returns the characters written. */
std::uint32_t EbWtTeilAnfuegen(char* text, std::uint32_t breite, std::uint32_t* rest,
                               const char* teil, std::int32_t* ergebnis, EbTextMarke* marken);

/* Removes the first '$' part of text[0 .. laenge) (up to the next '$',
** '*', '<', '^' or the end), blanks the freed characters at the end and
** corrects anzahl marks (marken may be null). Returns the new length; the
** length unchanged when there is no '$'. */
std::uint32_t EbTextErsetzeDollar(char* text, std::uint32_t laenge, EbTextMarke* marken,
                                  std::uint32_t anzahl);

/* Corrects anzahl marks after geloescht characters were removed at
** position: a mark that ends at or before the position stays; one that
** begins after it moves back; one that spans it is shortened. A removal
** that runs into or past a mark shortens it by the characters it took
** from it only. Absent marks (start EB_WT_MARKE_FEHLT) stay. */
void EbVerschiebePositionen(std::uint32_t anzahl, EbTextMarke* marken, std::uint32_t geloescht,
                            std::uint32_t position);

/* Removes the last part of text (from the last '$', '*' or '^', or from
** behind the last '>'), blanks the rest of the field, sets *rest and
** corrects the two marks. An empty text, or one without such a character,
** stays as it is. */
void EbWtZeileKuerzen(char* text, std::uint32_t breite, std::uint32_t* rest, EbTextMarke* marken);

/* Removes the first part of a description (NUL-terminated, *laenge
** characters): the text after the first '*' at index 1 or later, or
** nothing at all when there is no such '*'. A closed group at the start
** is one part as a whole. */
void EbWtTextAbStern(std::uint32_t* laenge, char* text);

/* Compacts a station name of laenge characters in place: asides in
** parentheses and "Hbf" (any case) go, leading blanks and runs of blanks
** go; the rest of the field is blanked. Returns the new length without a
** final blank. */
std::uint32_t EbKuerzeBahnhofsname(char* name, std::uint32_t laenge);

/* Forward form of a description: '#' becomes '*', except at the very
** beginning or directly after '>', where it is dropped. */
const char* EbWtRauteZuStern(std::uint32_t laenge, const char* beschreibung);

/* Reversed form of a description: the same parts in the opposite order,
** groups and asides as units with their inside unchanged, separators as
** the forward form writes them (never doubled, none at either end). */
const char* EbWtGruppenAufbereiten(std::uint32_t laenge, const char* beschreibung);

/* ---- relation text (ebrelationstext.cpp) -------------------------------- */

/* Status bits of the text-element writer. */
enum : std::uint32_t {
  WT_STATUS_NAME_LEER = 0x02,      /* the element's name is empty */
  WT_STATUS_AT_ERSETZT = 0x04,     /* an '@' in the name was written as '_' */
  WT_STATUS_ART_FREMD = 0x08,      /* kind letter not 'M', 'O', 'U' (counts 'M') */
  WT_STATUS_PAAR_UNGUELTIG = 0x10, /* invalid pair of kinds */
  WT_STATUS_KEIN_PLATZ = 0x80,     /* no room: nothing written */
  WT_STATUS_OHNE_NAME = 0x100,     /* the element has no name text at all */
  WT_STATUS_ARGUMENTE = 0x800      /* bad arguments, or too many points */
};

/* Kinds in the state word: bits 0-1 current, bits 2-3 previous. */
enum : std::uint32_t { WT_ART_KEINE = 0, WT_ART_O = 1, WT_ART_M = 2, WT_ART_U = 3 };

/* Separator written before a point, by the kind pair in the low four bits
** of the state word (previous kind * 4 + current kind); a leading '@' marks
** an invalid pair and is not written. */
const char* WtTrennzeichen(std::uint32_t zustand);

/* One point of a relation text. */
struct WtTextElement {
  std::uint32_t station; /* local form */
  const char* name;      /* NUL-terminated; null: no name text at all */
  char art;              /* kind letter 'O', 'M' or 'U' */
};

/* Points held per relation. */
enum { WT_MAX_PUNKTE = 20 };
/* Characters of the relation text after its leading '*' (a NUL included). */
enum { WT_RELATION_PLATZ = 192 };

/* Fills teil with '*' and the coded text of relation (its FBRW points on
** the day, in travel order), leaving out the first point when it is the
** current station. Returns 0, or the first non-zero writer status. */
std::uint32_t EbSucheWeg(char* teil, std::uint32_t aktuell, const FbrrSatz* relation,
                         std::int32_t umgekehrt, UtDayNumber datum);

/* Writes the separator for elem (null: the closing separator) and its name
** into aus (room characters, a NUL included) and advances *zustand.
** *geschrieben = characters written. Returns the status bits. */
std::uint32_t WtElemSchreiben(std::uint32_t* geschrieben, char* aus, std::uint32_t platz,
                              const WtTextElement* elem, std::int32_t umgekehrt,
                              std::uint32_t* zustand);

/* Advances the state word: the current kind becomes the previous one, and
** the element's kind (none without element) the current one; reversed,
** 'O' and 'U' change places. Sets WT_STATUS_ART_FREMD in *status. */
void WtElemStatus(const WtTextElement* elem, std::int32_t umgekehrt, std::uint32_t* zustand,
                  std::uint32_t* status);

/* Length of a NUL-terminated text without trailing blanks; 0 for null. */
std::uint32_t StrLenOhneBlanks(const char* s);

/* The station-master lookup the relation text uses; DbGetBhf unless a test
** puts a lookup of its own here (nullptr puts DbGetBhf back). */
using WtStammAbfrage = DbLookupResult (*)(BhfSatz* out, std::uint32_t station, UtDayNumber day);
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void EbWtStammAbfrageSetzen(WtStammAbfrage abfrage);
#endif

#endif /* ZOLMA_ENGINE_EBWEGETEXT_H */
