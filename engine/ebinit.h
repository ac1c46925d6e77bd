/*
** ebinit.h - initialisation and end of the distance engine.
**
** The entry points themselves are public (engine/eb.h); this header gives
** the other modules the two result slots that the initialisation takes.
*/
#ifndef ZOLMA_ENGINE_EBINIT_H
#define ZOLMA_ENGINE_EBINIT_H

#include <cstdint>

/* The outbound and the return result slot (-1 until the first
** initialisation). */
extern std::int32_t EbSlotHin;
extern std::int32_t EbSlotRueck;

#endif /* ZOLMA_ENGINE_EBINIT_H */
