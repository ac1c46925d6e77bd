/*
** ebergebnis.h - answer assembly.
*/
#ifndef ZOLMA_ENGINE_EBERGEBNIS_H
#define ZOLMA_ENGINE_EBERGEBNIS_H

#include <cstdint>

#include "engine/eb.h"
#include "engine/ebint.h"
#include "support/utday.h"

void EbNamenUndTexte(const EbAuftrag* auftrag, EbErgebnis* ergebnis);
void EbBestimmeWege(std::int32_t anstoss[4], std::int32_t* relHin, std::int32_t* relRueck,
                    std::int32_t zweiWege, std::int32_t rueckfahrt, UtDayNumber datum);
void EbErstelleErgebnis(EbAuftrag* auftrag, EbErgebnis* ergebnis, std::int32_t anstoss[4],
                        EbAbschnitte* abschnitte, const EbAnfrage* anfrage, std::uint32_t flags);
void EbSummiereKm(std::uint32_t slot, EbWeg* weg, EbNeSeeTeil* neSee, std::int32_t typ,
                  std::uint32_t flags);
void EbKopiereHinweg(EbErgebnis* ergebnis, std::int32_t typ);
/* Adds "+Urbo" behind the name in text (25 characters) and blanks at the
** same place in its plain copy. */
void EbUrboAnhaengen(char text[25], char klar[25]);

#endif /* ZOLMA_ENGINE_EBERGEBNIS_H */
