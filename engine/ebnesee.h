/*
** ebnesee.h - set-ups of the request types without a rail route: '4'
** (Ne/See), '3' (bus line) and '7' (LOST).
*/
#ifndef ZOLMA_ENGINE_EBNESEE_H
#define ZOLMA_ENGINE_EBNESEE_H

#include "engine/eb.h"
#include "engine/ebint.h"

void EbBerechneNeSee(const EbAnfrage* anfrage, EbAuftrag* auftrag);
void EbUebernehmeBuslinie(EbErgebnis* ergebnis, const EbAnfrage* anfrage, EbAuftrag* auftrag);
void EbUebernehmeVerkehr(const EbAnfrage* anfrage, EbErgebnis* ergebnis, EbAuftrag* auftrag);

#endif /* ZOLMA_ENGINE_EBNESEE_H */
