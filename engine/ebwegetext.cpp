/*
** ebwegetext.cpp - route text of a direction (placeholder).
**
** Until the route text is written, EbWegetextErstellen leaves a blank text
** of the asked width, reports that everything fitted (0) and leaves the
** text marks as the caller set them. The slot is still checked, as every
** walk of a chain does.
*/
#include <cstring>

#include "engine/ebint.h"

std::int32_t EbWegetextErstellen(char* text, std::uint32_t breite, std::uint32_t slot,
                                 std::uint32_t optionen, UtDayNumber datum,
                                 EbTextMarke* marke1, EbTextMarke* marke2,
                                 std::uint32_t* benutzt) {
  (void)optionen;
  (void)datum;
  (void)marke1;
  (void)marke2;
  if (breite > EB_WEGETEXT_LAENGE) breite = EB_WEGETEXT_LAENGE;
  if (text != nullptr && breite > 0) std::memset(text, ' ', breite);
  EbKetteLaufBeginnen(slot);
  if (benutzt != nullptr) *benutzt = 0;
  return 0;
}
