// The distance request through EbGfEntfernungsBerechnung over the fixture
// network: the request check, the rail route with its via stations and
// relation, the answer fields, the return trip, the Ne/See, bus and LOST
// request types, and the "+Urbo" suffix.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/eb.h"
#include "engine/ebanfrage.h"
#include "engine/ebergebnis.h"
#include "engine/ebint.h"
#include "support/msg.h"
#include "support/utday.h"
#include "support/utlog.h"
#include "tests/engine/engine_fixture.h"

using namespace enginetest;

namespace {

// What the message file was handed last.
struct Meldung {
  int anzahl = 0;
  std::string ssid;
  unsigned nummer = 0;
  std::vector<long long> zahlen;   // 'd' and 'l' parameters, in order
  std::vector<std::string> texte;  // 's' parameters, in order
};
Meldung gMeldung;

void Schreiber(const Meldungskontext* m) {
  Meldung& g = gMeldung;
  ++g.anzahl;
  g.ssid.assign(m->SS_id, 2);
  g.nummer = m->Meldungsnummer;
  g.zahlen.clear();
  g.texte.clear();
  for (int k = 0; k < m->paramCount && k < kMsgMaxParams; ++k) {
    const MsgParamDesc& d = m->params[k];
    if (d.offset < 0) continue;
    if (d.type == 'd') g.zahlen.push_back(MsgDataU16(m, d.offset));
    if (d.type == 'l') g.zahlen.push_back(MsgDataI32(m, d.offset));
    if (d.type == 's')
      g.texte.emplace_back(reinterpret_cast<const char*>(m->data) + d.offset, d.length);
  }
}

class EngineAnfrage : public ::testing::Test {
 protected:
  void SetUp() override {
    netz.Schreiben();
    ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
    std::memset(&abschnitte, 0, sizeof abschnitte);
    gMeldung = Meldung{};
    MsgFileSetWriter(Schreiber);
    MsgFileTestSetSwitch(1);
  }
  void TearDown() override {
    MsgFileTestSetSwitch(0);
    MsgFileSetWriter(nullptr);
    EbGfEndeEntfernungsBerechnung();
  }

  // Ends the engine, writes the network again and initialises anew.
  void NeuLaden() {
    EbGfEndeEntfernungsBerechnung();
    netz.Schreiben();
    ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
  }

  std::int32_t Rechne(EbAnfrage& a, std::uint32_t flags = EB_FLAG_ABSCHNITTE) {
    std::memset(&abschnitte, 0, sizeof abschnitte);
    return EbGfEntfernungsBerechnung(&erg, &abschnitte, &a, flags);
  }

  Netz netz;
  EbErgebnis erg;
  EbAbschnitte abschnitte;
};

// A type '4' request with the Ne/See station 500 and the transfer 11.
EbAnfrage NeSeeAnfrage(char typ) {
  EbAnfrage a = DialogAnfrage(11, 21);
  a.anfrageTyp = typ;
  a.verkehrNr = 5;
  a.gattungNr = 6;
  a.neBhfHin = 500;
  a.neUebHin = 11;
  a.neLageHin = 'V';
  a.neLageRueck = 'N';
  return a;
}

// Every field the request clears, still as cleared.
void ErwarteGeleert(const EbErgebnis& e) {
  for (const EbWeg* w : {&e.hin, &e.rueck}) {
    EXPECT_EQ(Feld(w->bezVon, 20), Leer(20));
    EXPECT_EQ(Feld(w->bezNach, 20), Leer(20));
    EXPECT_EQ(Feld(w->wegetext, EB_WEGETEXT_LAENGE), Leer(EB_WEGETEXT_LAENGE));
    EXPECT_EQ(Feld(w->textStartUrbo, 25), Leer(25));
    EXPECT_EQ(Feld(w->relFueller, 4), Leer(4));
    EXPECT_EQ(w->relAStart, ' ');
    EXPECT_EQ(w->endMarke, ' ');
    EXPECT_EQ(w->bhfVon, 0u);
    EXPECT_EQ(w->kmWz, 0u);
  }
  EXPECT_EQ(e.neSeeHin.tarifgebiet, ' ');
  EXPECT_EQ(Feld(e.busbezVon, 20), Leer(20));
  EXPECT_EQ(e.rueckwegFlag, 0);
  EXPECT_EQ(e.wegetextProblem, 0);
}

// ---- the request check -------------------------------------------------------

TEST_F(EngineAnfrage, RequestCheckRaisesInItsOrder) {
  struct Fall {
    const char* name;
    std::function<void(EbAnfrage&)> aendern;
    std::int32_t code;
  };
  const std::vector<Fall> faelle = {
      {"type 2", [](EbAnfrage& a) { a.anfrageTyp = '2'; }, 1308},
      {"type 0", [](EbAnfrage& a) { a.anfrageTyp = '0'; }, 1308},
      {"type 8", [](EbAnfrage& a) { a.anfrageTyp = '8'; }, 1308},
      {"type beyond a character", [](EbAnfrage& a) { a.anfrageTyp = 0x131; }, 1308},
      {"type before text flag",
       [](EbAnfrage& a) {
         a.anfrageTyp = '2';
         a.textFlag = 'X';
       },
       1308},
      {"text flag", [](EbAnfrage& a) { a.textFlag = 'X'; }, 1309},
      {"text flag before FahrtCode",
       [](EbAnfrage& a) {
         a.textFlag = '2';
         a.fahrtCode = '3';
       },
       1309},
      {"FahrtCode 3", [](EbAnfrage& a) { a.fahrtCode = '3'; }, 1304},
      {"FahrtCode 0", [](EbAnfrage& a) { a.fahrtCode = '0'; }, 1304},
      {"FahrtCode letter", [](EbAnfrage& a) { a.fahrtCode = 'A'; }, 1304},
      {"ZweiWege", [](EbAnfrage& a) { a.zweiWege = 'X'; }, 1302},
      {"ZweiWege j without return trip", [](EbAnfrage& a) { a.zweiWege = 'j'; }, 1305},
      {"Datum", [](EbAnfrage& a) { a.datum = 0xFFFF; }, 1307},
      {"Datum after ZweiWege",
       [](EbAnfrage& a) {
         a.datum = 0xFFFF;
         a.zweiWege = '?';
       },
       1302},
      {"Ibv 0", [](EbAnfrage& a) { a.hin.ibv = 0; }, 1301},
      {"Ibn 0", [](EbAnfrage& a) { a.hin.ibn = 0; }, 1301},
      {"return Ibv 0",
       [](EbAnfrage& a) {
         a.fahrtCode = '2';
         a.zweiWege = 'J';
         a.rueck.ibn = 11;
       },
       1301},
      {"Ne/See traffic number",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('4');
         a.verkehrNr = 0;
       },
       1381},
      {"Ne/See category number",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('5');
         a.gattungNr = 0;
       },
       1382},
      {"Ne-Lage of a single journey",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('4');
         a.neLageRueck = 'H';
       },
       1386},
      {"Ne-Lage letter",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('4');
         a.neLageHin = 'X';
       },
       1386},
      {"Ne/See station of a single journey",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('4');
         a.neUebHin = 0;
       },
       1384},
      {"Ne-Lage pair of a return trip",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('4');
         a.fahrtCode = '5';
         a.neLageRueck = 'V';
       },
       1383},
      {"Ne/See station of a return trip",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('4');
         a.fahrtCode = '5';
         a.neLageRueck = 'H';
         a.neBhfRueck = 500;
       },
       1384},
      {"two Ne-Bahnhof",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('4');
         a.fahrtCode = '5';
         a.neLageRueck = 'H';
         a.neBhfRueck = 501;
         a.neUebRueck = 11;
       },
       1385},
      {"type 4 with two Ne-Uebergang",
       [](EbAnfrage& a) {
         a = NeSeeAnfrage('4');
         a.fahrtCode = '5';
         a.neLageRueck = 'H';
         a.neBhfRueck = 500;
         a.neUebRueck = 12;
       },
       1387},
      {"no fixed point sequence", [](EbAnfrage& a) { a.festeFolge = 0; }, 1420},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    EbAnfrage a = DialogAnfrage(11, 21);
    f.aendern(a);
    const std::int32_t vorher = EbAnfrageZaehler;
    std::memset(&erg, 0x5A, sizeof erg);
    EXPECT_EQ(Rechne(a), f.code);
    EXPECT_EQ(EbAnfrageZaehler, vorher + 1);
    if (f.code == 1420) continue;  // the variant search may write warnings
    ErwarteGeleert(erg);
    // Raises whose code is their message number are not written.
    EXPECT_EQ(gMeldung.anzahl, 0);
  }
}

TEST_F(EngineAnfrage, RequestCounterWrapsWithoutOverflow) {
  // Counting goes on past the largest value (UBSan flags a signed overflow).
  EbAnfrageZaehler = INT32_MAX;
  EbAnfrage a = DialogAnfrage(11, 21);
  a.anfrageTyp = '2';
  EXPECT_EQ(Rechne(a), 1308);
  EXPECT_EQ(EbAnfrageZaehler, INT32_MIN);
  EbAnfrageZaehler = 0;
}

TEST_F(EngineAnfrage, UnknownStationRaises1101AndWritesItsMessage) {
  EbAnfrage a = DialogAnfrage(11, 4711);
  EXPECT_EQ(Rechne(a), 1101);
  ASSERT_EQ(gMeldung.anzahl, 1);
  EXPECT_EQ(gMeldung.ssid, "EB");
  EXPECT_EQ(gMeldung.nummer, 1102u);
  EXPECT_EQ(gMeldung.zahlen, (std::vector<long long>{80, 4711}));
  EXPECT_EQ(gMeldung.texte, std::vector<std::string>{UtDayText(kTag)});

  // A via station is looked up on its own.
  a = DialogAnfrage(11, 21, 4712);
  EXPECT_EQ(Rechne(a), 1101);
  EXPECT_EQ(gMeldung.zahlen, (std::vector<long long>{80, 4712}));
}

TEST_F(EngineAnfrage, StationWithoutAreaRaises1310) {
  EbAnfrage a = DialogAnfrage(11, 99);
  EXPECT_EQ(Rechne(a), 1310);
  EXPECT_EQ(gMeldung.anzahl, 0);
}

// ---- the rail route ----------------------------------------------------------

TEST_F(EngineAnfrage, ViaStations) {
  struct Fall {
    const char* name;
    std::int32_t via1, via2;
    std::uint32_t km;
    const char* abschnitte;
  };
  const Fall faelle[] = {
      {"none", 0, 0, 67, "S11-100 G100-300 S300-21"},
      {"one", 12, 0, 63, "S11-12 S12-200 G200-300 S300-21"},
      {"two", 12, 22, 81, "S11-12 S12-200 G200-300 S300-22 S22-300 S300-21"},
      {"only the second", 0, 12, 63, "S11-12 S12-200 G200-300 S300-21"},
      {"via equal to the origin", 11, 0, 67, "S11-100 G100-300 S300-21"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    EbAnfrage a = DialogAnfrage(11, 21, f.via1, f.via2);
    ASSERT_EQ(Rechne(a), 0);
    EXPECT_EQ(Summe(erg.hin), f.km);
    EXPECT_EQ(abschnitte.gefuellt, 1);
    EXPECT_EQ(Abschnitte(abschnitte.hin), f.abschnitte);
    EXPECT_EQ(erg.hin.bpVorlauf, static_cast<std::uint32_t>(f.via1));
    EXPECT_EQ(erg.hin.bpNachlauf, static_cast<std::uint32_t>(f.via2));
    EXPECT_EQ(erg.hin.bhfVon, 11u);
    EXPECT_EQ(erg.hin.bhfNach, 21u);
    EXPECT_EQ(Feld(erg.hin.bezVon, 20), "Adorf" + Leer(15));
    EXPECT_EQ(Feld(erg.hin.bezNach, 20), "Cestadt" + Leer(13));
  }
}

TEST_F(EngineAnfrage, AnswerFieldsOfARailRoute) {
  EbAnfrage a = DialogAnfrage(11, 21);
  ASSERT_EQ(Rechne(a), 0);
  const EbWeg& h = erg.hin;
  EXPECT_EQ(erg.wegetextProblem, 0);
  EXPECT_EQ(erg.rueckwegFlag, 'N');
  EXPECT_EQ(h.kmWz, 62u);  // 5 + 50 + 7
  EXPECT_EQ(h.kmDr, 5u);   // the GREN pair's second part
  EXPECT_EQ(h.kmWzVxt, 0u);
  EXPECT_EQ(h.kmDrVxt, 0u);
  EXPECT_EQ(h.linienMarke, 'N');
  EXPECT_EQ(h.endMarke, 'N');
  EXPECT_EQ(h.reserviert, ' ');
  EXPECT_EQ(Feld(h.relFueller, 4), Leer(4));
  EXPECT_EQ(h.relRichtung, 0u);
  EXPECT_EQ(h.relAStart, 'N');
  EXPECT_EQ(h.relAEnde, 'N');
  EXPECT_EQ(h.relBStart, 'N');
  EXPECT_EQ(h.relBEnde, 'N');
  EXPECT_EQ(Feld(h.textStartUrbo, 25), Leer(25));
  EXPECT_EQ(h.anstossStart, 11u);
  EXPECT_EQ(h.anstossZiel, 21u);
  EXPECT_EQ(erg.punkte[EB_PUNKTE_HIN + 0], 11);
  EXPECT_EQ(erg.punkte[EB_PUNKTE_HIN + 7], 21);
  // Kilometre parts of the segments as the segment list gives them.
  EXPECT_EQ(abschnitte.hin[1].km1, 50);
  EXPECT_EQ(abschnitte.hin[1].km2, 5);
  // A single journey leaves the return part as cleared.
  EXPECT_EQ(erg.rueck.bhfVon, 0u);
  EXPECT_EQ(Feld(erg.rueck.bezVon, 20), Leer(20));
  EXPECT_EQ(erg.rueck.endMarke, ' ');
  // The relation key part 2 stays as the caller set it.
  EXPECT_EQ(a.hin.relSchluessel2, 0);
}

TEST_F(EngineAnfrage, FinalLineSegmentsAndTheLineFlag) {
  // 11 -> 12 is one final line segment with kilometres.
  EbAnfrage a = DialogAnfrage(11, 12);
  EXPECT_EQ(Rechne(a), 1405);
  EXPECT_EQ(gMeldung.anzahl, 0);

  ASSERT_EQ(Rechne(a, EB_FLAG_ABSCHNITTE | EB_FLAG_KEIN_1405), 0);
  EXPECT_EQ(erg.hin.endMarke, 'A');
  EXPECT_EQ(erg.hin.linienMarke, 'J');
  EXPECT_EQ(erg.hin.kmWz, 10u);

  // Some final segments among others.
  a = DialogAnfrage(11, 21, 12);
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.hin.endMarke, 'J');
  EXPECT_EQ(erg.hin.linienMarke, 'J');

  // A leg without kilometre segment (origin equals destination): 'A', no
  // error.
  a = DialogAnfrage(11, 11);
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.hin.endMarke, 'A');
  EXPECT_EQ(Summe(erg.hin), 0u);
}

TEST_F(EngineAnfrage, SegmentListOnlyWhenAskedAndWhenTextsAreBuilt) {
  EbAnfrage a = DialogAnfrage(11, 21);
  abschnitte.gefuellt = 7;
  ASSERT_EQ(EbGfEntfernungsBerechnung(&erg, &abschnitte, &a, 0), 0);
  EXPECT_EQ(abschnitte.gefuellt, 0);
  EXPECT_EQ(abschnitte.hin[0].art, 0);

  a.textFlag = '0';
  abschnitte.gefuellt = 7;
  ASSERT_EQ(EbGfEntfernungsBerechnung(&erg, &abschnitte, &a, EB_FLAG_ABSCHNITTE), 0);
  EXPECT_EQ(abschnitte.gefuellt, 7);
  EXPECT_EQ(Summe(erg.hin), 67u);

  // Without a segment list of the caller's the flag changes nothing.
  a.textFlag = '1';
  ASSERT_EQ(EbGfEntfernungsBerechnung(&erg, nullptr, &a, EB_FLAG_ABSCHNITTE), 0);
  EXPECT_EQ(Summe(erg.hin), 67u);
}

// Routes over a relation are computed without route texts here: the
// relation's text needs the station master, which has no data.
TEST_F(EngineAnfrage, RelationFromTheRequestKey) {
  EbAnfrage a = DialogAnfrage(11, 21);
  a.textFlag = '0';
  a.hin.relSchluessel2 = 777;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.hin.kmWzVxt, 45u);
  EXPECT_EQ(erg.hin.kmDrVxt, 0u);
  EXPECT_EQ(erg.hin.kmWz, 12u);
  EXPECT_EQ(Summe(erg.hin), 57u);
  EXPECT_EQ(erg.hin.relSchluessel, 1u);
  EXPECT_EQ(erg.hin.relNummer, 777u);
  EXPECT_EQ(erg.hin.relAttribut, 4242u);
  EXPECT_EQ(erg.hin.relRichtung, 1u);
  EXPECT_EQ(erg.hin.fvRelation[0], 100u);
  EXPECT_EQ(erg.hin.fvRelation[1], 300u);
  EXPECT_EQ(a.hin.relSchluessel2, 777);

  // Used against its direction.
  a = DialogAnfrage(11, 21);
  a.textFlag = '0';
  a.hin.relSchluessel2 = 777;
  a.hin.relRichtung = 2;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(Summe(erg.hin), 167u);  // 60 + 45 + 62
  EXPECT_EQ(erg.hin.kmWzVxt, 45u);
  EXPECT_EQ(erg.hin.relRichtung, 2u);
  EXPECT_EQ(erg.hin.fvRelation[0], 300u);
  EXPECT_EQ(erg.hin.fvRelation[1], 100u);
  EXPECT_EQ(static_cast<std::uint32_t>(a.hin.relSchluessel2), 777u | 0x80000000u);

  // A key that FBRR does not hold.
  a = DialogAnfrage(11, 21);
  a.hin.relSchluessel2 = 778;
  EXPECT_EQ(Rechne(a), 1131);
  ASSERT_EQ(gMeldung.anzahl, 1);
  EXPECT_EQ(gMeldung.nummer, 1132u);
  EXPECT_EQ(gMeldung.zahlen, (std::vector<long long>{778, 1}));
}

// ---- return trips ------------------------------------------------------------

TEST_F(EngineAnfrage, ReturnTripMirrorsTheOutboundPart) {
  EbAnfrage a = DialogAnfrage(11, 21, 12);
  a.fahrtCode = '2';
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.rueckwegFlag, 'N');
  const EbWeg& r = erg.rueck;
  EXPECT_EQ(r.bhfVon, 21u);
  EXPECT_EQ(r.bhfNach, 11u);
  EXPECT_EQ(Feld(r.bezVon, 20), "Cestadt" + Leer(13));
  EXPECT_EQ(Feld(r.bezNach, 20), "Adorf" + Leer(15));
  EXPECT_EQ(Summe(r), 63u);
  EXPECT_EQ(r.anstossStart, 21u);
  EXPECT_EQ(r.anstossZiel, 11u);
  EXPECT_EQ(r.endMarke, erg.hin.endMarke);
  EXPECT_EQ(Feld(r.wegetext, EB_WEGETEXT_LAENGE), Leer(EB_WEGETEXT_LAENGE));
  // Without relation and without a break point after it, the break point
  // before stays first.
  EXPECT_EQ(r.bpVorlauf, 12u);
  EXPECT_EQ(r.bpNachlauf, 0u);
  EXPECT_EQ(abschnitte.rueck[0].art, 0);

  // With both break points they change places.
  a = DialogAnfrage(11, 21, 12, 22);
  a.fahrtCode = '9';
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.rueck.bpVorlauf, 22u);
  EXPECT_EQ(erg.rueck.bpNachlauf, 12u);

  // A relation is mirrored into travel order.
  a = DialogAnfrage(11, 21);
  a.textFlag = '0';
  a.fahrtCode = '2';
  a.hin.relSchluessel2 = 777;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.rueck.relRichtung, 2u);
  EXPECT_EQ(erg.rueck.fvRelation[0], 300u);
  EXPECT_EQ(erg.rueck.fvRelation[1], 100u);
}

TEST_F(EngineAnfrage, SeparateReturnRoute) {
  // The same way back: the chains compare equal, the return part is the
  // mirror.
  EbAnfrage a = DialogAnfrage(11, 21);
  a.fahrtCode = '2';
  a.zweiWege = 'J';
  a.rueck.ibv = 21;
  a.rueck.ibn = 11;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.rueckwegFlag, 'N');
  EXPECT_EQ(erg.rueck.bhfVon, 21u);
  EXPECT_EQ(Summe(erg.rueck), 67u);
  EXPECT_EQ(abschnitte.rueck[0].art, 0);

  // Another way back.
  a.rueck.ibn = 12;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.rueckwegFlag, 'J');
  EXPECT_EQ(erg.rueck.bhfVon, 21u);
  EXPECT_EQ(erg.rueck.bhfNach, 12u);
  EXPECT_EQ(Feld(erg.rueck.bezNach, 20),
            "B\x84"
            "ckersdorf" +
                Leer(9));
  EXPECT_EQ(Summe(erg.rueck), 53u);
  EXPECT_EQ(Abschnitte(abschnitte.rueck), "S21-300 G300-200 S200-12");
  EXPECT_EQ(erg.rueck.anstossStart, 21u);
  EXPECT_EQ(erg.rueck.anstossZiel, 12u);
  EXPECT_EQ(erg.punkte[EB_PUNKTE_RUECK + 0], 21);
  EXPECT_EQ(erg.punkte[EB_PUNKTE_RUECK + 7], 12);
}

// ---- Ne/See, bus and LOST ------------------------------------------------------

TEST_F(EngineAnfrage, NeSeeOnly) {
  EbAnfrage a = NeSeeAnfrage('4');
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(Feld(erg.hin.bezVon, 20), "Seehafen" + Leer(12));
  EXPECT_EQ(Feld(erg.hin.bezNach, 20), "Adorf" + Leer(15));
  EXPECT_EQ(erg.neSeeHin.streckenNr, 7u);
  EXPECT_EQ(erg.neSeeHin.kmNe, 14u);  // NGAT holds the request's value
  EXPECT_EQ(erg.neSeeHin.neSeeCode, 999u);
  EXPECT_EQ(erg.neSeeHin.tarifgebiet, 'A');
  EXPECT_EQ(Abschnitte(abschnitte.hin), "N500-11");
  EXPECT_EQ(abschnitte.hin[0].km1, 14);
  EXPECT_EQ(erg.hin.endMarke, ' ');
  EXPECT_EQ(erg.hin.linienMarke, ' ');

  // Without an NGAT record the NESR kilometres stay; 'H' turns the chain.
  a.gattungNr = 9;
  a.neLageHin = 'H';
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.neSeeHin.kmNe, 12u);
  EXPECT_EQ(Feld(erg.hin.bezVon, 20), "Adorf" + Leer(15));
  EXPECT_EQ(Feld(erg.hin.bezNach, 20), "Seehafen" + Leer(12));

  // A return trip copies the Ne/See part.
  a = NeSeeAnfrage('4');
  a.fahrtCode = '2';
  a.neLageRueck = 'H';
  a.neBhfRueck = 500;
  a.neUebRueck = 11;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.neSeeRueck.kmNe, 14u);
  EXPECT_EQ(erg.neSeeRueck.tarifgebiet, 'A');

  // No NESR record for the pair.
  a = NeSeeAnfrage('4');
  a.neUebHin = 21;
  EXPECT_EQ(Rechne(a), 1111);
  EXPECT_EQ(gMeldung.nummer, 1112u);
}

TEST_F(EngineAnfrage, NeSeeWithoutNgatTableRaises1113) {
  netz.ohneDatei.push_back("NGAT");
  NeuLaden();
  EbAnfrage a = NeSeeAnfrage('4');
  EXPECT_EQ(Rechne(a), 1113);
  EXPECT_EQ(gMeldung.nummer, 1114u);
  EXPECT_EQ(gMeldung.zahlen, (std::vector<long long>{11, 500, 5, 6}));
}

TEST_F(EngineAnfrage, NeSeeAtTheOriginThenRail) {
  EbAnfrage a = NeSeeAnfrage('6');
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(Feld(erg.hin.bezVon, 20), "Seehafen" + Leer(12));
  EXPECT_EQ(Feld(erg.hin.bezNach, 20), "Cestadt" + Leer(13));
  EXPECT_EQ(Abschnitte(abschnitte.hin), "N500-11 S11-100 G100-300 S300-21");
  EXPECT_EQ(Summe(erg.hin), 67u);
  EXPECT_EQ(erg.neSeeHin.kmNe, 14u);
  EXPECT_EQ(erg.hin.bhfVon, 500u);

  // Rail then Ne/See at the destination.
  a = NeSeeAnfrage('5');
  a.hin.ibv = 21;
  a.hin.ibn = 11;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(Feld(erg.hin.bezNach, 20), "Seehafen" + Leer(12));
  EXPECT_EQ(Abschnitte(abschnitte.hin), "S21-300 G300-100 S100-11 N11-500");
  EXPECT_EQ(erg.hin.bhfNach, 500u);
}

TEST_F(EngineAnfrage, TwoTransferStationsMakeASeparateReturnRoute) {
  // Rail 21 -> 11, Ne/See 11 -> 500; back Ne/See 500 -> 12, rail 12 -> 21.
  EbAnfrage a = NeSeeAnfrage('5');
  a.hin.ibv = 21;
  a.hin.ibn = 11;
  a.fahrtCode = '2';
  a.neLageRueck = 'H';
  a.neBhfRueck = 500;
  a.neUebRueck = 12;
  a.rueck.ibv = 12;
  a.rueck.ibn = 21;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.rueckwegFlag, 'J');
  EXPECT_EQ(Summe(erg.hin), 67u);
  EXPECT_EQ(Summe(erg.rueck), 53u);
  EXPECT_EQ(Feld(erg.rueck.bezVon, 20), "Seehafen" + Leer(12));
  EXPECT_EQ(Feld(erg.rueck.bezNach, 20), "Cestadt" + Leer(13));
  EXPECT_EQ(Abschnitte(abschnitte.rueck), "N500-12 S12-200 G200-300 S300-21");
  EXPECT_EQ(erg.neSeeHin.kmNe, 14u);
  EXPECT_EQ(erg.neSeeRueck.kmNe, 13u);
  EXPECT_EQ(erg.neSeeRueck.streckenNr, 8u);
}

TEST_F(EngineAnfrage, LostRequest) {
  EbAnfrage a = DialogAnfrage(11, 21);
  a.anfrageTyp = '7';
  a.verkehrNr = 5;
  a.gattungNr = 6;
  ASSERT_EQ(Rechne(a), 0);
  EXPECT_EQ(erg.hin.bhfVon, 11u);
  EXPECT_EQ(erg.hin.bhfNach, 21u);
  EXPECT_EQ(Feld(erg.hin.bezVon, 20), "Von-Ort-Text" + Leer(8));
  EXPECT_EQ(Feld(erg.hin.bezNach, 20), "Nach-Ort-Text" + Leer(7));
  EXPECT_EQ(Feld(erg.hin.wegetext, 12), "Hinweis eins");
  EXPECT_EQ(Feld(erg.rueck.wegetext, 12), "Hinweis zwei");
  EXPECT_EQ(erg.hin.kmWz, 33u);
  EXPECT_EQ(erg.rueckwegFlag, 0);
  EXPECT_EQ(erg.hin.endMarke, ' ');

  a.hin.ibn = 22;
  EXPECT_EQ(Rechne(a), 1121);
  EXPECT_EQ(gMeldung.nummer, 1122u);
}

TEST_F(EngineAnfrage, BusRequestLooksUpStationZero) {
  EbAnfrage a = DialogAnfrage(11, 21);
  a.anfrageTyp = '3';
  EXPECT_EQ(Rechne(a), 1101);
  EXPECT_EQ(gMeldung.nummer, 1102u);
  EXPECT_EQ(gMeldung.zahlen, (std::vector<long long>{80, 0}));
}

TEST_F(EngineAnfrage, DebugRenderingsWriteNothingBelowLevelThree) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  UtLogSetStream(f);
  EbAnfrage a = DialogAnfrage(11, 21, 12);
  a.fahrtCode = '2';
  EXPECT_EQ(Rechne(a), 0);
  UtLogSetStream(nullptr);
  EXPECT_EQ(std::ftell(f), 0);
  std::fclose(f);
}

// ---- the "+Urbo" suffix ---------------------------------------------------------

TEST(EngineUrbo, SuffixStaysInsideTheField) {
  struct Fall {
    std::string name;
    std::size_t position;
  };
  const Fall faelle[] = {
      {"Siebzehn Zeichen.", 17},
      {"", 0},
      {"A", 1},
      {"Zwanzig Zeichen lang", 20},
      {"Einundzwanzig Zeichen", 20},
      {"Fuenfundzwanzig Zeichen!!", 20},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    char text[25], klar[25];
    std::memset(text, ' ', 25);
    std::memcpy(text, f.name.data(), f.name.size());
    std::memcpy(klar, text, 25);
    EbUrboAnhaengen(text, klar);
    EXPECT_EQ(Feld(text + f.position, 5), "+Urbo");
    EXPECT_EQ(Feld(klar + f.position, 5), Leer(5));
    EXPECT_EQ(Feld(text, f.position), Feld(klar, f.position));
  }
  // Zero bytes count as padding.
  char text[25] = {'O', 's', 't'};
  char klar[25] = {'O', 's', 't'};
  EbUrboAnhaengen(text, klar);
  EXPECT_EQ(Feld(text, 8), "Ost+Urbo");
}

}  // namespace
