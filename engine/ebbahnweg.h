/*
** ebbahnweg.h - the rail route of each direction and the Ne/See point
** check.
*/
#ifndef ZOLMA_ENGINE_EBBAHNWEG_H
#define ZOLMA_ENGINE_EBBAHNWEG_H

#include <cstdint>

#include "engine/eb.h"
#include "engine/ebint.h"

void EbBerechneBahnweg(const EbAnfrage* anfrage, EbAuftrag* auftrag, std::uint32_t flags);
/* Position 0: Ne/See part ahead of the rail part; 1: behind it. */
void EbErgPunktPruefen(const EbNeSeePunkt* punkt, std::int32_t position, std::uint32_t slot);

#endif /* ZOLMA_ENGINE_EBBAHNWEG_H */
