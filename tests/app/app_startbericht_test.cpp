// The report of a failed run for standard error, from hand-built messages:
// how each kind of parameter reads, control characters, the stand-in for a
// read past the end of a file, and when the cause and the line on the data
// files belong in the report. The message texts are not loaded here, so no
// text line follows a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/startbericht.h"
#include "support/msg.h"

namespace {

using Lines = std::vector<std::string>;

struct Owned {
  Meldungskontext* m = nullptr;
  ~Owned() { MsgFree(m); }
};

TEST(AppStartbericht, EachParameterKindReads) {
  const std::string lang(300, 'x');
  Owned a, b, c, d;
  MsgBuildArgs(&a.m, "DZ", 1024, 0, "ss", "DM\x01\x1b[2J", "Block");
  MsgBuildArgs(&b.m, "EB", 1102, 0, "dlsx", -1, 70000, "BI: kein Fehler");
  MsgBuildArgs(&c.m, "DZ", 1013, 0, "sss", lang, lang, "kurz");
  MsgBuildArgs(&d.m, "KB", 4, 0, "");
  const struct {
    const Meldungskontext* m;
    std::string line;
  } cases[] = {
      // Control characters become '?'; the text stays otherwise.
      {a.m, "Meldung D DZ1024, Parameter: \"DM??[2J\", \"Block\""},
      // Numbers of both widths; the file layer's text for a read past the
      // end stands as "Datei zu kurz"; a letter without a value.
      {b.m, "Meldung D EB1102, Parameter: -1, 70000, \"Datei zu kurz\", (Typ x)"},
      // A text keeps its first 255 bytes; what did not fit was not stored.
      {c.m, "Meldung D DZ1013, Parameter: \"" + std::string(255, 'x') +
                "\", (nicht gespeichert), (nicht gespeichert)"},
      {d.m, "Meldung D KB0004, ohne Parameter"},
      {nullptr, "Meldung unbekannt (keine Meldung empfangen)"},
  };
  for (const auto& k : cases) EXPECT_EQ(ZolmaMeldungZeilen(k.m), Lines{k.line});
}

// The cause follows only the application's own "KB" 1004; the line on the
// data files only a failure in the start-up.
TEST(AppStartbericht, CauseAndDataFolderWhereTheyBelong) {
  Owned kb, dz, ursache;
  MsgBuildArgs(&kb.m, "KB", 1004, 0, "d", 1);
  MsgBuildArgs(&dz.m, "DZ", 1011, 0, "ss", "DMPBHF", "weg");
  MsgBuildArgs(&ursache.m, "DZ", 1013, 0, "ss", "DMSTEN", "BI: kein Fehler");
  const std::string kopf = "Fehler bei der Initialisierung";
  const std::string kb1004 = "Meldung D KB1004, Parameter: 1";
  const std::string cause = "Ursache: Meldung D DZ1013, Parameter: \"DMSTEN\", \"Datei zu kurz\"";
  const std::string dz1011 = "Meldung D DZ1011, Parameter: \"DMPBHF\", \"weg\"";

  Lines l = ZolmaStartBericht(kb.m, ursache.m, true);
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[0], kopf);
  EXPECT_EQ(l[1], kb1004);
  EXPECT_EQ(l[2], cause);
  EXPECT_EQ(
      l[3].rfind("Das Programm liest seine Datendateien (DMFEHL, DMEBHF, DMTDRG, DMFBRR, DMGREN, "
                 "DMSTEN, DMRBGT, DMFBRW, DMPBHF) aus dem aktuellen Ordner: /",
                 0),
      0u);

  EXPECT_EQ(ZolmaStartBericht(kb.m, nullptr, false), (Lines{kopf, kb1004}));
  EXPECT_EQ(ZolmaStartBericht(dz.m, ursache.m, false), (Lines{kopf, dz1011}));
}

// The watcher keeps the last message written while it watches, and a new
// start forgets it.
TEST(AppStartbericht, TheCauseIsTheLastMessageWrittenWhileWatching) {
  Owned erste, zweite, danach;
  MsgBuildArgs(&erste.m, "DZ", 1011, 0, "s", "DMGREN");
  MsgBuildArgs(&zweite.m, "DZ", 1013, 0, "s", "DMSTEN");
  MsgBuildArgs(&danach.m, "EB", 1102, 0, "");
  ZolmaUrsacheBeobachten(true);
  EXPECT_EQ(ZolmaUrsache(), nullptr);
  MsgWrite(erste.m);
  MsgWrite(zweite.m);
  ZolmaUrsacheBeobachten(false);
  MsgWrite(danach.m);
  ASSERT_NE(ZolmaUrsache(), nullptr);
  EXPECT_EQ(ZolmaMeldungZeilen(ZolmaUrsache()), Lines{"Meldung D DZ1013, Parameter: \"DMSTEN\""});
  ZolmaUrsacheBeobachten(true);
  EXPECT_EQ(ZolmaUrsache(), nullptr);
  ZolmaUrsacheBeobachten(false);
}

}  // namespace
