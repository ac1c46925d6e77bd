/*
** Route-search work lists: the header of every list the engine keeps, and
** the release of their element arrays.
**
** A header is set up with its id, name, unique flag, element size, key
** length, first allocation and growth rule; count, allocated size, array,
** high-water mark and comparator start at 0. The arrays are grown by the
** list module with the standard allocator and released here with free.
*/
#include "engine/ebliste.h"

#include <cstdlib>

UtList listeEbWegeVar;
UtList listeEbWegeBhf;
UtList listeWegeFertig;

namespace {

/* Fills one header; everything not named starts at 0. */
void kopfSetzen(UtList* l, std::int32_t id, const char* name, std::int32_t unique,
                std::int32_t groesse, std::int32_t schluessel, std::uint32_t erste) {
  *l = UtList{};
  l->id = id;
  l->name = name;
  l->unique = unique;
  l->elementSize = groesse;
  l->keyLength = schluessel;
  l->firstAlloc = erste;
  l->growth = kUtListGrowDouble;
}

}  // namespace

void EbListeInitLaufwegEva(UtList* l) {
  kopfSetzen(l, EB_LID_LAUFWEG_EVA, "listeEbLaufwegEva", 1, 4, 0, 20);
}
void EbListeInitLaufwegGlst(UtList* l) {
  kopfSetzen(l, EB_LID_LAUFWEG_GLST, "listeEbLaufwegGlst", 0, 24, 0, 200);
}
void EbListeInitLaufwegGlstWork(UtList* l) {
  kopfSetzen(l, EB_LID_LAUFWEG_GLST_WORK, "listeEbLaufwegGlstWork", 0, 24, 0, 200);
}
void EbListeInitGlstProfil(UtList* l) {
  kopfSetzen(l, EB_LID_GLST_PROFIL, "listeEbGlstProfil", 0, 16, 8, 20);
}
void EbListeInitLaufwegAbgang(UtList* l) {
  kopfSetzen(l, EB_LID_LAUFWEG_ABGANG, "listeEbLaufwegAbgang", 0, 348, 0, 20);
}
void EbListeInitLaufwegZiel(UtList* l) {
  kopfSetzen(l, EB_LID_LAUFWEG_ZIEL, "listeEbLaufwegZiel", 0, 348, 0, 20);
}
void EbListeInitWegeVar(UtList* wegeVar, UtList* wegeVarN, UtList* wegeVarS) {
  kopfSetzen(wegeVar, EB_LID_WEGE_VAR, "listeEbWegeVar", 0, 124, 0, 20);
  kopfSetzen(wegeVarN, EB_LID_WEGE_VAR_N, "listeEbWegeVarN", 0, 124, 0, 20);
  kopfSetzen(wegeVarS, EB_LID_WEGE_VAR_S, "listeEbWegeVarS", 0, 124, 0, 20);
}
void EbListeInitWegeVarGlobal(UtList* l) {
  kopfSetzen(l, EB_LID_WEGE_VAR, "listeEbWegeVar", 0, 124, 0, 20);
}
void EbListeInitWegeBhf(UtList* l) {
  kopfSetzen(l, EB_LID_WEGE_BHF, "listeEbWegeBhf", 1, 12, 0, 500);
}
void EbListeInitWegeBhfGlobal(UtList* l) {
  kopfSetzen(l, EB_LID_WEGE_BHF, "listeEbWegeBhf", 1, 12, 0, 500);
}
void EbListeInitWegeFertig(UtList* l) {
  kopfSetzen(l, EB_LID_WEGE_FERTIG, "listeWegeFertig", 1, 40, 36, 500);
}
void EbListeInitBhf(UtList* bhf, UtList* bhf2) {
  kopfSetzen(bhf, EB_LID_BHF, "listeEbBhf", 0, 12, 0, 500);
  kopfSetzen(bhf2, EB_LID_BHF2, "listeEbBhf2", 0, 12, 0, 500);
}
void EbListeInitWegeAZ(UtList* l) { kopfSetzen(l, EB_LID_WEGE_AZ, "listeEbWegeAZ", 1, 32, 24, 20); }

void EbListeArrayFreigeben(UtList* l) {
  if (l->elements == nullptr) return;
  l->count = 0;
  std::free(l->elements);
  l->elements = nullptr;
  l->allocated = 0;
}

void EbLaufwegListenFreigeben(EbLaufwegListen* w) {
  UtList* reihe[] = {&w->glst, &w->glstWork, &w->eva,      &w->glstProfil, &w->abgang,
                     &w->ziel, &w->wegeVar,  &w->wegeVarS, &w->wegeVarN,   &w->wegeBhf,
                     &w->bhf,  &w->bhf2,     &w->wegeAZ};
  for (UtList* l : reihe) EbListeArrayFreigeben(l);
}

void EbGlobaleListenFreigeben() {
  EbListeArrayFreigeben(&listeEbWegeVar);
  EbListeArrayFreigeben(&listeEbWegeBhf);
}
