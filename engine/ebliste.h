/*
** Route-search work lists of the distance engine.
**
** The route-variant search and the route driver keep their intermediate
** results in typed lists (UtList). This module fixes every such list: its
** id, name, element size, key length, unique flag, first allocation and
** growth rule; it owns the engine-lifetime headers ("listeEbWegeVar" and
** "listeEbWegeBhf", the engine copies read by the route driver, and
** "listeWegeFertig", the kilometre cache of the route over variants), sets
** up each header and releases element arrays. No list has a comparator:
** keyed lists compare their leading key bytes bytewise.
*/
#ifndef ZOLMA_ENGINE_EBLISTE_H
#define ZOLMA_ENGINE_EBLISTE_H

#include <cstdint>

#include "engine/ebint.h"
#include "support/utlist.h"

/* List ids. */
enum : std::int32_t {
  EB_LID_LAUFWEG_EVA = 16,
  EB_LID_LAUFWEG_GLST = 17,
  EB_LID_LAUFWEG_GLST_WORK = 18,
  EB_LID_GLST_PROFIL = 19,
  EB_LID_LAUFWEG_ABGANG = 20,
  EB_LID_LAUFWEG_ZIEL = 21,
  EB_LID_WEGE_VAR = 22,
  EB_LID_WEGE_BHF = 23,
  EB_LID_WEGE_AZ = 24,
  EB_LID_BHF = 31,
  EB_LID_WEGE_VAR_S = 32,
  EB_LID_WEGE_VAR_N = 33,
  EB_LID_WEGE_FERTIG = 34,
  EB_LID_BHF2 = 122
};

/* "listeWegeFertig" (id 34): the kilometre cache of point sequences. */
extern UtList listeWegeFertig;

/* The thirteen work lists of the route-variant search, in this order. */
struct EbLaufwegListen {
  UtList glst;       /* 17 "listeEbLaufwegGlst" */
  UtList glstWork;   /* 18 "listeEbLaufwegGlstWork" */
  UtList eva;        /* 16 "listeEbLaufwegEva" */
  UtList glstProfil; /* 19 "listeEbGlstProfil" */
  UtList abgang;     /* 20 "listeEbLaufwegAbgang" */
  UtList ziel;       /* 21 "listeEbLaufwegZiel" */
  UtList wegeVar;    /* 22 "listeEbWegeVar" (work) */
  UtList wegeVarS;   /* 32 "listeEbWegeVarS" */
  UtList wegeVarN;   /* 33 "listeEbWegeVarN" */
  UtList wegeBhf;    /* 23 "listeEbWegeBhf" (work) */
  UtList bhf;        /* 31 "listeEbBhf" */
  UtList bhf2;       /* 122 "listeEbBhf2" */
  UtList wegeAZ;     /* 24 "listeEbWegeAZ" */
};

/* Set-up of the headers. */
void EbListeInitLaufwegEva(UtList* liste);
void EbListeInitLaufwegGlst(UtList* liste);
void EbListeInitLaufwegGlstWork(UtList* liste);
void EbListeInitGlstProfil(UtList* liste);
void EbListeInitLaufwegAbgang(UtList* liste);
void EbListeInitLaufwegZiel(UtList* liste);
/* Lists 22 (work), 33 and 32, in this order. */
void EbListeInitWegeVar(UtList* wegeVar, UtList* wegeVarN, UtList* wegeVarS);
void EbListeInitWegeBhf(UtList* liste);
void EbListeInitWegeFertig(UtList* liste);
/* Lists 31, then 122. */
void EbListeInitBhf(UtList* bhf, UtList* bhf2);
void EbListeInitWegeAZ(UtList* liste);

/* Frees one list's element array (when it has one): count, array and
** allocated size become 0; the header stays set up. */
void EbListeArrayFreigeben(UtList* liste);
/* The same for each of the thirteen work lists, in the work object's order. */
void EbLaufwegListenFreigeben(EbLaufwegListen* arbeit);
/* The same for the two engine copies "listeEbWegeVar" and "listeEbWegeBhf"
** (after every request, and at the start of every direction). */
void EbGlobaleListenFreigeben();

/* Engine-lifetime lists: the engine copies of "listeEbWegeVar" (id 22) and
** "listeEbWegeBhf" (id 23). */
extern UtList listeEbWegeVar;
extern UtList listeEbWegeBhf;
void EbListeInitWegeVarGlobal(UtList* liste);
void EbListeInitWegeBhfGlobal(UtList* liste);

#endif
