// A request to an engine that was never initialised: it passes its checks
// and ends with 1999 ("EB" 1003, bad result slot) at the first use of a
// result slot. Its own executable, since every other test initialises the
// engine, which fixes the result slots for the process.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/eb.h"
#include "engine/ebanfrage.h"
#include "engine/ebinit.h"
#include "engine/ebint.h"
#include "tests/engine/engine_fixture.h"

using namespace enginetest;

namespace {

TEST(EngineOhneInit, RequestEndsWithBadResultSlot) {
  ASSERT_EQ(EbSlotHin, -1);
  EbAnfrage a = DialogAnfrage(11, 21);
  EbErgebnis erg;
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);
  const std::int32_t vorher = EbAnfrageZaehler;
  EXPECT_EQ(EbGfEntfernungsBerechnung(&erg, &abschnitte, &a, 0), 1999);
  EXPECT_EQ(EbAnfrageZaehler, vorher + 1);

  // The request check still runs first.
  a.anfrageTyp = '2';
  EXPECT_EQ(EbGfEntfernungsBerechnung(&erg, &abschnitte, &a, 0), 1308);
}

}  // namespace
