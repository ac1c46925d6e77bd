/*
** ebwegetext.cpp - route text ("Wegetext") of one direction.
**
** Walks a result chain once and turns each element into one part of a
** fixed-width text: '^' and the via station's name, '$' and the second
** name of a station where a segment begins, '*' and the route description
** of a node-to-node segment (RBGT), the relation text of a relation
** element (ebrelationstext.cpp), or '*' and the second name of a Ne/See
** point. When the field runs out of room, the '$' parts go first, the
** oldest first; a part that cannot fit at all leaves the field blank.
**
** This module owns the walk and its working state, the appending and
** dropping of parts with the correction of the two text marks, the
** compaction of station names, and the forward and reversed forms of a
** stored description (returned in static buffers, overwritten by the next
** call).
*/
#include "engine/ebwegetext.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "engine/ebbahnhof.h"
#include "engine/ebint.h"
#include "engine/ebkette.h"
#include "support/msg.h"
#include "support/utday.h"

namespace {

/* Width of a station name in the station records. */
constexpr std::uint32_t kNamenBreite = 20;

/* Buffers of the two description forms (a NUL included). */
char rauteZuSternPuffer[EB_WT_TEIL + 1];
char gruppenPuffer[EB_WT_TEIL + 1];

bool istEinerVon(char c, const char* menge) {
  return c != '\0' && std::strchr(menge, c) != nullptr;
}

/* Length of a fixed field up to its first NUL (stored texts are
** blank-padded, but a NUL must not carry a copy beyond the field). */
std::uint32_t feldLaenge(const char* feld, std::uint32_t breite) {
  std::uint32_t n = 0;
  while (n < breite && feld[n] != '\0') ++n;
  return n;
}

/* Part of marker and a 20-character station name: compacted with option
** EB_WT_KURZNAMEN, else without trailing blanks. */
void namensTeil(char* teil, char marker, const char* name, std::uint32_t optionen) {
  char kopie[kNamenBreite + 1];
  std::uint32_t n = feldLaenge(name, kNamenBreite);
  std::memcpy(kopie, name, n);
  if ((optionen & EB_WT_KURZNAMEN) != 0) {
    n = EbKuerzeBahnhofsname(kopie, n);
  } else {
    while (n > 0 && kopie[n - 1] == ' ') --n;
  }
  teil[0] = marker;
  std::memcpy(teil + 1, kopie, n);
  teil[n + 1] = '\0';
}

/* The working state of one text. */
struct WtZustand {
  char* text;
  std::uint32_t breite;
  std::uint32_t rest;    /* room left */
  std::int32_t ergebnis; /* 0, 1 or -1 */
  std::uint32_t aktuell; /* station at which the text stands */
  std::int32_t vorTyp;   /* type of the previous element (not type 8) */
  std::uint32_t optionen;
  UtDayNumber datum;
  EbTextMarke marken[2]; /* rail part, Ne/See part */
};

void anfuegen(WtZustand* z, const char* teil, EbTextMarke* marke) {
  const std::uint32_t n =
      EbWtTeilAnfuegen(z->text, z->breite, &z->rest, teil, &z->ergebnis, z->marken);
  marke->laenge += static_cast<std::int32_t>(n);
}

/* The rail mark starts where the text stands when its first part comes. */
void bahnMarkeBeginnen(WtZustand* z) {
  if (z->marken[0].laenge == 0) z->marken[0].start = z->marken[1].laenge;
}

/* '$' and the second name of a station where a segment begins. */
void segmentStartSchreiben(WtZustand* z, std::uint32_t station) {
  EbhfSatz puffer;
  const EbhfSatz& bhf = EbBahnhofLesen(&puffer, static_cast<std::int32_t>(station), z->datum);
  char teil[EB_WT_TEIL];
  namensTeil(teil, '$', bhf.name2, z->optionen);
  anfuegen(z, teil, &z->marken[0]);
}

void viaSchreiben(WtZustand* z, const EbListNode* k) {
  const EbhfSatz via = EbNutzlastLesen<EbhfSatz>(k);
  if (z->vorTyp == EB_ELEM_KNOTEN && via.station == z->aktuell)
    EbWtZeileKuerzen(z->text, z->breite, &z->rest, z->marken);
  bahnMarkeBeginnen(z);
  char teil[EB_WT_TEIL];
  namensTeil(teil, '^', via.name, z->optionen);
  anfuegen(z, teil, &z->marken[0]);
  z->aktuell = via.station;
}

void relationSchreiben(WtZustand* z, const EbListNode* k) {
  bahnMarkeBeginnen(z);
  const FbrrSatz rel = EbNutzlastLesen<FbrrSatz>(k);
  char teil[EB_WT_TEIL];
  const std::uint32_t status = EbSucheWeg(teil, z->aktuell, &rel, k->umgekehrt, z->datum);
  if (status != 0) {
    char text[16];
    std::snprintf(text, sizeof text, " (WT%4d)", static_cast<int>(status));
    MsgRaise(EB_RC_INTERN, kMsgSsEngine, EB_MSG_RELATIONSTEXT, kMsgModeNumbered, "s", text);
  }
  anfuegen(z, teil, &z->marken[0]);
  z->aktuell = DbBhfLokal(k->umgekehrt != 0 ? rel.stations[0] : rel.stations[1]);
}

void knotenSchreiben(WtZustand* z, const EbListNode* k) {
  bahnMarkeBeginnen(z);
  const GrenSatz g = EbNutzlastLesen<GrenSatz>(k);
  const std::uint32_t start = k->umgekehrt != 0 ? g.stationB : g.stationA;
  RbgtSatz rbgt;
  std::memset(&rbgt, 0, sizeof rbgt);
  std::uint32_t beginn = 0;
  std::uint32_t ende = 0;
  bool rueckwaerts = false;
  if (g.routeTextNo != 0) {
    const std::uint32_t nr = static_cast<std::uint32_t>(g.routeTextNo);
    if (DbGetRbgt(nr, &rbgt, z->datum) != kDbFound)
      MsgRaise(EB_RC_RBGT, kMsgSsEngine, EB_MSG_RBGT, kMsgModeNumbered, "ls", g.routeTextNo,
               UtDayText(z->datum));
    /* The description is stored from its first to its second station; the
    ** direction letter 'J' says it is stored against the segment. */
    rueckwaerts = (g.flag == 'J') != (k->umgekehrt != 0);
    beginn = rueckwaerts ? rbgt.station2 : rbgt.station1;
    ende = rueckwaerts ? rbgt.station1 : rbgt.station2;
  }
  if ((z->vorTyp == EB_ELEM_KNOTEN || z->vorTyp == EB_ELEM_LINIE) && start != beginn)
    segmentStartSchreiben(z, start);
  if (g.routeTextNo == 0) {
    z->aktuell = start;
    return;
  }
  if (z->ergebnis == -1) return;
  std::uint32_t n = feldLaenge(rbgt.name, kRbgtNameLen);
  while (n > 0 && rbgt.name[n - 1] == ' ') --n;
  const char* form =
      rueckwaerts ? EbWtGruppenAufbereiten(n, rbgt.name) : EbWtRauteZuStern(n, rbgt.name);
  char beschreibung[EB_WT_TEIL + 1];
  std::uint32_t laenge = static_cast<std::uint32_t>(std::strlen(form));
  std::memcpy(beschreibung, form, laenge + 1);
  /* The station where the text stands is named already. */
  if (z->aktuell == beginn) EbWtTextAbStern(&laenge, beschreibung);
  if (laenge > 0) {
    char teil[EB_WT_TEIL + 2];
    teil[0] = '*';
    std::memcpy(teil + 1, beschreibung, laenge + 1);
    anfuegen(z, teil, &z->marken[0]);
  }
  z->aktuell = ende;
}

void linieSchreiben(WtZustand* z, const EbListNode* k) {
  bahnMarkeBeginnen(z);
  const StenSatz s = EbNutzlastLesen<StenSatz>(k);
  const std::uint32_t start = k->umgekehrt != 0 ? s.stationB : s.stationA;
  if ((z->vorTyp == EB_ELEM_KNOTEN || z->vorTyp == EB_ELEM_LINIE) && start != z->aktuell) {
    segmentStartSchreiben(z, start);
    z->aktuell = 0;
  }
}

void nePunktSchreiben(WtZustand* z, const EbListNode* k, std::int32_t segmentTyp) {
  const EbhfSatz p = EbNutzlastLesen<EbhfSatz>(k);
  if (z->vorTyp == segmentTyp && p.station == z->aktuell)
    EbWtZeileKuerzen(z->text, z->breite, &z->rest, z->marken);
  if (z->marken[1].laenge == 0) z->marken[1].start = z->marken[0].laenge;
  char teil[EB_WT_TEIL];
  namensTeil(teil, '*', p.name2, z->optionen);
  anfuegen(z, teil, &z->marken[1]);
  z->aktuell = p.station;
}

/* One unit of a stored description while it is read for its reversed form:
** a run of ordinary text (asides included) or a group. */
struct Einheit {
  std::uint32_t von;
  std::uint32_t bis; /* one past the last character */
  bool trennerDavor; /* a separator stood between it and the unit before */
};

/* Index of the character that closes the bracket at i, or n when it is not
** closed. */
std::uint32_t schliesser(const char* d, std::uint32_t i, std::uint32_t n, char auf, char zu) {
  std::uint32_t tiefe = 0;
  for (std::uint32_t j = i; j < n; ++j) {
    if (d[j] == auf) ++tiefe;
    if (d[j] == zu && --tiefe == 0) return j;
  }
  return n;
}

/* Length of a NUL-terminated description, capped at what the buffers
** take. */
std::uint32_t beschreibungsLaenge(std::uint32_t laenge, const char* d) {
  if (laenge > EB_WT_TEIL) laenge = EB_WT_TEIL;
  return feldLaenge(d, laenge);
}

}  // namespace

/* ---- text marks and parts ------------------------------------------------ */

void EbVerschiebePositionen(std::uint32_t anzahl, EbTextMarke* marken, std::uint32_t geloescht,
                            std::uint32_t position) {
  if (marken == nullptr) return;
  const std::int64_t p = position;
  const std::int64_t d = geloescht;
  for (std::uint32_t i = 0; i < anzahl; ++i) {
    EbTextMarke& m = marken[i];
    if (m.start == EB_WT_MARKE_FEHLT) continue;
    const std::int64_t start = m.start;
    const std::int64_t ende = start + m.laenge;
    if (p >= ende) continue;
    /* Only the removed characters that lay inside the mark shorten it: a
    ** removal that runs into or beyond the mark never leaves it with a
    ** negative start or length. */
    if (p < start) {
      const std::int64_t davor = start - p < d ? start - p : d;
      const std::int64_t darin = d - davor < m.laenge ? d - davor : m.laenge;
      m.start = static_cast<std::int32_t>(start - davor);
      m.laenge = static_cast<std::int32_t>(m.laenge - darin);
    } else {
      const std::int64_t darin = ende - p < d ? ende - p : d;
      m.laenge = static_cast<std::int32_t>(m.laenge - darin);
    }
  }
}

std::uint32_t EbTextErsetzeDollar(char* text, std::uint32_t laenge, EbTextMarke* marken,
                                  std::uint32_t anzahl) {
  std::uint32_t i = 0;
  while (i < laenge && text[i] != '$') ++i;
  if (i == laenge) return laenge;
  std::uint32_t j = i + 1;
  while (j < laenge && !istEinerVon(text[j], "$*<^")) ++j;
  const std::uint32_t d = j - i;
  std::memmove(text + i, text + j, laenge - j);
  std::memset(text + laenge - d, ' ', d);
  EbVerschiebePositionen(anzahl, marken, d, i);
  return laenge - d;
}

std::uint32_t EbWtTeilAnfuegen(char* text, std::uint32_t breite, std::uint32_t* rest,
                               const char* teil, std::int32_t* ergebnis, EbTextMarke* marken) {
  if (*rest > breite) *rest = breite;
  std::uint32_t benutzt = breite - *rest;
  char puffer[EB_WT_TEIL + 1];
  std::uint32_t laenge = feldLaenge(teil, EB_WT_TEIL);
  std::memcpy(puffer, teil, laenge);
  puffer[laenge] = '\0';
  char* p = puffer;

  if (benutzt > 0 && laenge > 0) {
    const char letztes = text[benutzt - 1];
    if (letztes == '*' && p[0] == '<') {
      /* A group follows the text directly: the '*' before it goes. */
      --benutzt;
      text[benutzt] = ' ';
      ++*rest;
      EbVerschiebePositionen(2, marken, 1, benutzt);
    } else if (letztes == '>' && p[0] == '*') {
      /* After a group the next part follows without a separator. */
      ++p;
      --laenge;
    }
  }

  if (laenge > *rest) {
    if (*ergebnis != -1) *ergebnis = 1;
    /* The text's '$' parts go first, the oldest first: all of them when the
    ** part is wider than the whole field, else only as many as needed. */
    const std::uint32_t ziel = laenge > breite ? 0 : breite - laenge;
    while (benutzt > ziel) {
      const std::uint32_t neu = EbTextErsetzeDollar(text, benutzt, marken, 2);
      if (neu == benutzt) break;
      benutzt = neu;
    }
    *rest = breite - benutzt;
    /* Then the part's own '$' parts. */
    while (laenge > *rest) {
      const std::uint32_t neu = EbTextErsetzeDollar(p, laenge, nullptr, 0);
      if (neu == laenge) break;
      laenge = neu;
      p[laenge] = '\0';
    }
    if (laenge > *rest) {
      const std::uint32_t n = *rest;
      std::memcpy(text + benutzt, p, n);
      *rest = 0;
      *ergebnis = -1;
      return n;
    }
  }
  std::memcpy(text + benutzt, p, laenge);
  *rest -= laenge;
  return laenge;
}

void EbWtZeileKuerzen(char* text, std::uint32_t breite, std::uint32_t* rest, EbTextMarke* marken) {
  if (*rest > breite) *rest = breite;
  const std::uint32_t benutzt = breite - *rest;
  std::uint32_t ab = benutzt;
  bool gefunden = false;
  for (std::uint32_t k = benutzt; k > 0 && !gefunden; --k) {
    const char c = text[k - 1];
    if (istEinerVon(c, "$*^")) {
      ab = k - 1;
      gefunden = true;
    } else if (c == '>') {
      ab = k;
      gefunden = true;
    }
  }
  if (!gefunden) return;
  EbVerschiebePositionen(2, marken, benutzt - ab, ab);
  std::memset(text + ab, ' ', breite - ab);
  *rest = breite - ab;
}

void EbWtTextAbStern(std::uint32_t* laenge, char* text) {
  // The first part ends at the first '*' from index 1 on. A text that
  // begins with a group ("<...>", the reversed form of a description that
  // ends in one) has that whole group as its first part: cutting at a '*'
  // inside it would leave a torn group such as "Iphofen>Neustadt".
  std::uint32_t i = 1;
  std::uint32_t weiter = 0;  // index of the first character kept
  if (*laenge > 0 && text[0] == '<') {
    while (i < *laenge && text[i] != '>') ++i;
    if (i < *laenge) {
      weiter = i + 1;
      if (weiter < *laenge && text[weiter] == '*') ++weiter;
    }
  }
  if (weiter == 0) {  // no group, or one never closed: an ordinary text
    i = 1;
    while (i < *laenge && text[i] != '*') ++i;
    if (i < *laenge) weiter = i + 1;
  }
  if (weiter == 0 || weiter > *laenge) {
    *laenge = 0;
    text[0] = '\0';
    return;
  }
  const std::uint32_t neu = *laenge - weiter;
  std::memmove(text, text + weiter, neu);
  text[neu] = '\0';
  *laenge = neu;
}

/* ---- station names and descriptions -------------------------------------- */

std::uint32_t EbKuerzeBahnhofsname(char* name, std::uint32_t laenge) {
  std::uint32_t aus = 0;
  std::uint32_t tiefe = 0;
  /* Whether the character just before the one looked at stayed, and was
  ** not a blank: only then may a blank stay. */
  bool vorigerGeblieben = false;
  std::uint32_t i = 0;
  while (i < laenge) {
    const char c = name[i];
    if (c == '(') {
      ++tiefe;
      vorigerGeblieben = false;
      ++i;
      continue;
    }
    if (c == ')') {
      if (tiefe > 0) --tiefe;
      vorigerGeblieben = false;
      ++i;
      continue;
    }
    if (tiefe > 0) {
      vorigerGeblieben = false;
      ++i;
      continue;
    }
    if (i + 2 < laenge && (c == 'H' || c == 'h') && (name[i + 1] == 'B' || name[i + 1] == 'b') &&
        (name[i + 2] == 'F' || name[i + 2] == 'f')) {
      vorigerGeblieben = false;
      i += 3;
      continue;
    }
    if (c == ' ') {
      if (vorigerGeblieben) name[aus++] = c;
      vorigerGeblieben = false;
    } else {
      name[aus++] = c;
      vorigerGeblieben = true;
    }
    ++i;
  }
  std::memset(name + aus, ' ', laenge - aus);
  return aus > 0 && name[aus - 1] == ' ' ? aus - 1 : aus;
}

const char* EbWtRauteZuStern(std::uint32_t laenge, const char* beschreibung) {
  const std::uint32_t n = beschreibungsLaenge(laenge, beschreibung);
  std::uint32_t aus = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    const char c = beschreibung[i];
    if (c == '#') {
      if (i == 0 || beschreibung[i - 1] == '>') continue;
      rauteZuSternPuffer[aus++] = '*';
    } else {
      rauteZuSternPuffer[aus++] = c;
    }
  }
  rauteZuSternPuffer[aus] = '\0';
  return rauteZuSternPuffer;
}

/*
** The reversed form reads the description as units: groups ('<' ... '>'),
** and runs of other text between separators ('#' or '*' outside groups and
** asides), where an aside ('(' ... ')') belongs to the run it stands in.
** A group is a unit of its own even where no separator parts it from its
** neighbours. The units are written last first, each with its inside as
** the forward form writes it; between two units that a separator parted
** comes '*', except directly after a group, which the forward form writes
** without a separator too. Empty runs give no unit, so separators are
** never doubled and none stands at either end. A bracket that is not
** closed is an ordinary character.
*/
const char* EbWtGruppenAufbereiten(std::uint32_t laenge, const char* beschreibung) {
  const std::uint32_t n = beschreibungsLaenge(laenge, beschreibung);
  const char* d = beschreibung;
  Einheit einheiten[EB_WT_TEIL];
  std::uint32_t anzahl = 0;
  bool trenner = false;
  bool laufOffen = false;
  std::uint32_t i = 0;
  while (i < n) {
    const char c = d[i];
    if (c == '#' || c == '*') {
      laufOffen = false;
      trenner = true;
      ++i;
      continue;
    }
    if (c == '<') {
      const std::uint32_t j = schliesser(d, i, n, '<', '>');
      if (j < n) {
        einheiten[anzahl++] = {i, j + 1, trenner};
        trenner = false;
        laufOffen = false;
        i = j + 1;
        continue;
      }
    }
    std::uint32_t bis = i + 1;
    if (c == '(') {
      const std::uint32_t j = schliesser(d, i, n, '(', ')');
      if (j < n) bis = j + 1;
    }
    if (laufOffen) {
      einheiten[anzahl - 1].bis = bis;
    } else {
      einheiten[anzahl++] = {i, bis, trenner};
      trenner = false;
      laufOffen = true;
    }
    i = bis;
  }

  std::uint32_t aus = 0;
  for (std::uint32_t k = anzahl; k > 0; --k) {
    const Einheit& e = einheiten[k - 1];
    if (k < anzahl && einheiten[k].trennerDavor && gruppenPuffer[aus - 1] != '>')
      gruppenPuffer[aus++] = '*';
    for (std::uint32_t j = e.von; j < e.bis; ++j) {
      if (d[j] == '#') {
        if (j == e.von || d[j - 1] == '>') continue;
        gruppenPuffer[aus++] = '*';
      } else {
        gruppenPuffer[aus++] = d[j];
      }
    }
  }
  gruppenPuffer[aus] = '\0';
  return gruppenPuffer;
}

/* ---- the walk ------------------------------------------------------------- */

void EbFormatiereWegetext(char* text, std::uint32_t breite, std::uint32_t slot,
                          std::uint32_t optionen, UtDayNumber datum, EbTextMarke* marke1,
                          EbTextMarke* marke2, std::uint32_t* benutzt, std::int32_t* ergebnis) {
  if (breite > 0) std::memset(text, ' ', breite);
  WtZustand z;
  z.text = text;
  z.breite = breite;
  z.rest = breite;
  z.ergebnis = 0;
  z.aktuell = 0;
  z.vorTyp = 0;
  z.optionen = optionen;
  z.datum = datum;
  z.marken[0] = *marke1;
  z.marken[1] = *marke2;
  *ergebnis = 0;

  EbListSlot* s = EbKetteLaufBeginnen(slot);
  bool hatRelation = false;
  while (const EbListNode* k = EbKetteNaechstes(s))
    if (k->typ == EB_ELEM_RELATION) hatRelation = true;
  const std::int32_t segmentTyp = hatRelation ? EB_ELEM_RELATION : EB_ELEM_KNOTEN;

  /* The marks are handed back as they stand, also when a raise ends the
  ** walk. */
  struct Zurueck {
    WtZustand* z;
    EbTextMarke* m1;
    EbTextMarke* m2;
    ~Zurueck() {
      *m1 = z->marken[0];
      *m2 = z->marken[1];
    }
  } zurueck{&z, marke1, marke2};

  s = EbKetteLaufBeginnen(slot);
  while (z.ergebnis != -1) {
    const EbListNode* k = EbKetteNaechstes(s);
    if (k == nullptr) break;
    switch (k->typ) {
      case EB_ELEM_START: {
        const EbhfSatz bhf = EbNutzlastLesen<EbhfSatz>(k);
        z.aktuell = (optionen & EB_WT_REL_START) != 0 ? bhf.u32At62 : bhf.station;
        break;
      }
      case EB_ELEM_VIA:
        if (!hatRelation) viaSchreiben(&z, k);
        break;
      case EB_ELEM_RELATION:
        relationSchreiben(&z, k);
        break;
      case EB_ELEM_KNOTEN:
        if (!hatRelation) knotenSchreiben(&z, k);
        break;
      case EB_ELEM_LINIE:
        if (!hatRelation) linieSchreiben(&z, k);
        break;
      case EB_ELEM_NEPUNKT:
        nePunktSchreiben(&z, k, segmentTyp);
        break;
      case EB_ELEM_ZIEL: {
        const EbhfSatz bhf = EbNutzlastLesen<EbhfSatz>(k);
        const std::uint32_t ziel = (optionen & EB_WT_REL_ENDE) != 0 ? bhf.u32At62 : bhf.station;
        /* The destination is never written: a description that ends there
        ** loses its last name. */
        if (z.vorTyp == segmentTyp && ziel == z.aktuell)
          EbWtZeileKuerzen(z.text, z.breite, &z.rest, z.marken);
        break;
      }
      default:
        break;
    }
    if (k->typ != EB_ELEM_NESEE) z.vorTyp = k->typ;
  }
  *ergebnis = z.ergebnis;
  *benutzt = breite - z.rest;
}

std::int32_t EbWegetextErstellen(char* text, std::uint32_t breite, std::uint32_t slot,
                                 std::uint32_t optionen, UtDayNumber datum, EbTextMarke* marke1,
                                 EbTextMarke* marke2, std::uint32_t* benutzt) {
  if (breite > EB_WEGETEXT_LAENGE) breite = EB_WEGETEXT_LAENGE;
  EbTextMarke m1 = {0, EB_WT_MARKE_FEHLT};
  EbTextMarke m2 = {0, EB_WT_MARKE_FEHLT};
  if (marke1 == nullptr) marke1 = &m1;
  if (marke2 == nullptr) marke2 = &m2;
  std::uint32_t n = 0;
  if (benutzt == nullptr) benutzt = &n;
  char leer = ' ';
  if (text == nullptr) {
    text = &leer;
    breite = 0;
  }
  std::int32_t ergebnis = 0;
  EbFormatiereWegetext(text, breite, slot, optionen, datum, marke1, marke2, benutzt, &ergebnis);
  if (ergebnis == -1 && breite > 0) std::memset(text, ' ', breite);
  if ((optionen & EB_WT_DACH_BEHALTEN) == 0) {
    for (std::uint32_t i = 0; i < breite; ++i)
      if (text[i] == '^') text[i] = '*';
  }
  return ergebnis;
}
