/*
** ebdruck.h - debug renderings of a request and of its answer.
*/
#ifndef ZOLMA_ENGINE_EBDRUCK_H
#define ZOLMA_ENGINE_EBDRUCK_H

#include <cstdint>

#include "engine/eb.h"

void EbDruckeAnfrage(const EbAnfrage* anfrage);
void EbDruckeErgebnis(std::int32_t typ, const EbErgebnis* ergebnis, std::int32_t rueckfahrt);

#endif /* ZOLMA_ENGINE_EBDRUCK_H */
