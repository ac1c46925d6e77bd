/*
** ebanfrage.h - the distance request: its check and take-over steps, and
** the request counter with the clock readings of the request.
*/
#ifndef ZOLMA_ENGINE_EBANFRAGE_H
#define ZOLMA_ENGINE_EBANFRAGE_H

#include <cstdint>
#include <ctime>

#include "engine/eb.h"
#include "engine/ebint.h"

/* Request counter (raised at the start of every request, also of a failing
** one) and the clock readings at its start (for the answer rendering). */
extern std::int32_t EbAnfrageZaehler;
extern std::clock_t EbAnfrageCpuStart;
extern std::time_t EbAnfrageZeitStart;

void EbPruefeAnfrage(EbAuftrag* auftrag, const EbAnfrage* anfrage);
void EbUebernehmeBahnhoefe(const EbAnfrage* anfrage, EbAuftrag* auftrag);
void EbSetzeJaOptionen(const EbAnfrage* anfrage, EbAuftrag* auftrag);
void EbUebernehmeNeSee(const EbAnfrage* anfrage, EbAuftrag* auftrag);

#endif /* ZOLMA_ENGINE_EBANFRAGE_H */
