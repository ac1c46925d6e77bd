// The route text through a whole distance request, as the main dialog
// sends it, over the small fixture network.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/eb.h"
#include "tests/wegetext/wegetext_netz.h"

namespace {

using namespace wt;

// A type '1' request as the main dialog fills it.
EbAnfrage dialogAnfrage(std::int32_t von, std::int32_t nach, std::int32_t via1 = 0) {
  return testnetz::dialogAnfrage(von, nach, via1, 0, kTag);
}

class WegetextAnfrage : public ::testing::Test {
 protected:
  Umgebung u;
  EbErgebnis erg{};
  EbAbschnitte abschnitte{};

  std::int32_t rechnen(EbAnfrage a, std::uint32_t flags = 0) {
    return EbGfEntfernungsBerechnung(&erg, &abschnitte, &a, flags);
  }
  std::string text() const { return ohneBlanks(erg.hin.wegetext, EB_WEGETEXT_LAENGE); }
};

TEST_F(WegetextAnfrage, ViaStation) {
  ASSERT_EQ(u.initCode, 0);
  ASSERT_EQ(rechnen(dialogAnfrage(1, 3, 2)), 0);
  EXPECT_EQ(text(), "*Bedorf");
  EXPECT_EQ(erg.wegetextProblem, 0);
  EXPECT_EQ(erg.markenHin[0].laenge, 7);
  EXPECT_EQ(erg.markenHin[0].start, 0);
  EXPECT_EQ(erg.markenHin[1].laenge, 0);
  EXPECT_EQ(erg.markenHin[1].start, 0xFFFF);
  // Request flag 0x100 keeps the '^'.
  ASSERT_EQ(rechnen(dialogAnfrage(1, 3, 2), EB_FLAG_DACH_BEHALTEN), 0);
  EXPECT_EQ(text(), "^Bedorf");
}

TEST_F(WegetextAnfrage, RouteUeberKnoten) {
  ASSERT_EQ(u.initCode, 0);
  ASSERT_EQ(rechnen(dialogAnfrage(11, 21)), 0);
  EXPECT_EQ(text(), "*Nordkreuz*Alpha*Beta*Suedpunkt");
  EXPECT_EQ(erg.hin.kmWz, 5u + 50u + 7u);
}

TEST_F(WegetextAnfrage, TextPasstNicht) {
  ASSERT_EQ(u.initCode, 0);
  EbAnfrage a = dialogAnfrage(1, 3, 2);
  a.textBreite = 5;
  ASSERT_EQ(rechnen(a), 0);
  EXPECT_EQ(std::string(erg.hin.wegetext, EB_WEGETEXT_LAENGE),
            std::string(EB_WEGETEXT_LAENGE, ' '));
  EXPECT_EQ(erg.wegetextProblem, 1);
}

}  // namespace
