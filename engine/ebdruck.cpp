/*
** ebdruck.cpp - debug renderings of a request and of its answer.
**
** Line by line to the debug log at level 1, under the labels by which the
** fields of the engine's records are known. The debug log writes only
** levels 3 and above, so these lines are produced and dropped; without a
** log stream nothing is produced at all.
*/
#include "engine/ebdruck.h"

#include <ctime>

#include "engine/ebanfrage.h"
#include "engine/ebint.h"
#include "support/utlog.h"

namespace {

const int kStufe = 1;

unsigned ziffer(std::int32_t typ) { return static_cast<unsigned>(typ - '0'); }

void zeile(const char* text) { UtLogWriteNoFlush(kStufe, "%s", text); }

void stationsZeilen(const EbAnfrageWeg* w) {
  UtLogWriteNoFlush(kStufe, "Ibv:         %6ld", static_cast<long>(w->ibv));
  UtLogWriteNoFlush(kStufe, "Ibn:         %6ld", static_cast<long>(w->ibn));
  UtLogWriteNoFlush(kStufe, "BP-Vor:      %6ld", static_cast<long>(w->bpVor));
  UtLogWriteNoFlush(kStufe, "BP-Nach:     %6ld", static_cast<long>(w->bpNach));
}

void wegZeilen(const EbWeg* w) {
  UtLogWriteNoFlush(kStufe, "Bahnhof Von  :      %lu", static_cast<unsigned long>(w->bhfVon));
  UtLogWriteNoFlush(kStufe, "Bahnhof Nach :      %lu", static_cast<unsigned long>(w->bhfNach));
  UtLogWriteNoFlush(kStufe, "Anstossbahnhof Start  :      %lu",
                    static_cast<unsigned long>(w->anstossStart));
  UtLogWriteNoFlush(kStufe, "Anstossbahnhof Ziel   :      %lu",
                    static_cast<unsigned long>(w->anstossZiel));
  UtLogWriteNoFlush(
      kStufe, "FV-Relation: %lu, %lu, %lu, %lu", static_cast<unsigned long>(w->fvRelation[0]),
      static_cast<unsigned long>(w->fvRelation[1]), static_cast<unsigned long>(w->fvRelation[2]),
      static_cast<unsigned long>(w->fvRelation[3]));
  UtLogWriteNoFlush(kStufe, "Km-WZ-VXT: %4u", static_cast<unsigned>(w->kmWzVxt));
  UtLogWriteNoFlush(kStufe, "Km-DR-VXT: %4u", static_cast<unsigned>(w->kmDrVxt));
  UtLogWriteNoFlush(kStufe, "Km-WZ:     %4u", static_cast<unsigned>(w->kmWz));
  UtLogWriteNoFlush(kStufe, "Km-DR:     %4u", static_cast<unsigned>(w->kmDr));
  UtLogWriteNoFlush(kStufe, "Wegetext: %-150.150s", w->wegetext);
}

void neSeeZeilen(const EbNeSeeTeil* n) {
  UtLogWriteNoFlush(kStufe, "Streckennummer  : %4u", static_cast<unsigned>(n->streckenNr));
  UtLogWriteNoFlush(kStufe, "Entfernung Km Ne: %4u", static_cast<unsigned>(n->kmNe));
  UtLogWriteNoFlush(kStufe, "Ne/See Code     : %10lu", static_cast<unsigned long>(n->neSeeCode));
  UtLogWriteNoFlush(kStufe, "Tarifgebiet     :    %-1.1s", &n->tarifgebiet);
}

}  // namespace

void EbDruckeAnfrage(const EbAnfrage* a) {
  if (UtLogStream() == nullptr) return;
  const std::int32_t typ = a->anfrageTyp;
  UtLogWriteNoFlush(kStufe, "\n%ld. Anfrage an die Entfernungsberechnung",
                    static_cast<long>(EbAnfrageZaehler));
  zeile("------------------------------------------");
  UtLogWriteNoFlush(kStufe, "IT-ID:   %-6.6s", a->itId);
  if (ziffer(typ) != 0) UtLogWriteNoFlush(kStufe, "AnfrageTyp : %-4u", ziffer(typ));
  UtLogWriteNoFlush(kStufe, "Datum :      %d", static_cast<int>(a->datum));
  UtLogWriteNoFlush(kStufe, "FahrtCode:        %-1.1s", &a->fahrtCode);
  if (typ == '1' || typ == '5' || typ == '6') {
    UtLogWriteNoFlush(kStufe, "ZweiWege:         %-1.1s", &a->zweiWege);
    zeile("Hinweg DPT:");
    stationsZeilen(&a->hin);
  }
  if (typ == '4' || typ == '5' || typ == '6') {
    zeile("Ne-See Allgemein:");
    UtLogWriteNoFlush(kStufe, "Verkehrnr. Ne-See:     %4u", static_cast<unsigned>(a->verkehrNr));
    UtLogWriteNoFlush(kStufe, "Gattungnr. Ne-See:     %4u", static_cast<unsigned>(a->gattungNr));
    zeile("Hinweg Ne-See:");
    UtLogWriteNoFlush(kStufe, "Ne-Bahnhof Hinweg:   %6ld", static_cast<long>(a->neBhfHin));
    UtLogWriteNoFlush(kStufe, "Ne-Uebergang Hinweg: %6ld", static_cast<long>(a->neUebHin));
    UtLogWriteNoFlush(kStufe, "Ne-Lage Hinweg:           %-1.1s", &a->neLageHin);
  }
  if (typ == '3') {
    zeile("Bahnbus:");
    UtLogWriteNoFlush(kStufe, "Buslinie:          %4u", static_cast<unsigned>(a->buslinie));
    UtLogWriteNoFlush(kStufe, "Buslinie Lfd. Nr.: %4u", static_cast<unsigned>(a->buslinieLfdNr));
  }
  if (typ == '7') {
    UtLogWriteNoFlush(kStufe, "VerkehrNr        :     %4u", static_cast<unsigned>(a->verkehrNr));
    UtLogWriteNoFlush(kStufe, "GattungNr        :     %4u", static_cast<unsigned>(a->gattungNr));
    UtLogWriteNoFlush(kStufe, "Ibnr:        %6ld", static_cast<long>(a->hin.ibv));
    UtLogWriteNoFlush(kStufe, "LfdNr:       %6ld", static_cast<long>(a->hin.ibn));
  }
  const char fc = a->fahrtCode;
  if (fc == '2' || fc == '5' || fc == '7' || fc == '9') {
    if (typ == '1' || typ == '5') {
      zeile("Rueckweg:");
      stationsZeilen(&a->rueck);
    }
    if (typ == '4' || typ == '5') {
      zeile("Rueckweg Ne-See:");
      UtLogWriteNoFlush(kStufe, "Ne-Bahnhof Rueckweg:   %6ld", static_cast<long>(a->neBhfRueck));
      UtLogWriteNoFlush(kStufe, "Ne-Uebergang Rueckweg: %6ld", static_cast<long>(a->neUebRueck));
      UtLogWriteNoFlush(kStufe, "Ne-Lage Rueck:           %-1.1s", &a->neLageRueck);
    }
  }
  std::fflush(UtLogStream());
}

void EbDruckeErgebnis(std::int32_t typ, const EbErgebnis* e, std::int32_t rueckfahrt) {
  if (UtLogStream() == nullptr) return;
  zeile("\nErgebnis der Entfernungsberechnung");
  zeile("----------------------------------");
  const double cpu = static_cast<double>(std::clock() - EbAnfrageCpuStart) * 1000.0 /
                     static_cast<double>(CLOCKS_PER_SEC);
  UtLogWriteNoFlush(kStufe, "CPU-Zeit:         %6.2f msec", cpu);
  UtLogWriteNoFlush(kStufe, "Verweilzeit:      %6.2f sec",
                    std::difftime(std::time(nullptr), EbAnfrageZeitStart));
  UtLogWriteNoFlush(kStufe, "AnfrageTyp :     %4u", ziffer(typ));
  if (typ != '7') {
    UtLogWriteNoFlush(kStufe, "Bahnhofsbez. Von  : %-20.20s", e->hin.bezVon);
    UtLogWriteNoFlush(kStufe, "Bahnhofsbez. Nach : %-20.20s", e->hin.bezNach);
  }
  if (typ == '1' || typ == '5' || typ == '6') {
    zeile("Hinweg:");
    wegZeilen(&e->hin);
    if (e->rueckwegFlag == 'J') {
      zeile("Rueckweg:");
      wegZeilen(&e->rueck);
    }
  }
  if (typ == '4' || typ == '5' || typ == '6') {
    neSeeZeilen(&e->neSeeHin);
    if (rueckfahrt != 0) neSeeZeilen(&e->neSeeRueck);
  }
  if (typ == '3') {
    UtLogWriteNoFlush(kStufe, "Bahnhof Von         : %lu",
                      static_cast<unsigned long>(e->hin.bhfVon));
    UtLogWriteNoFlush(kStufe, "Bahnhof Nach        : %lu",
                      static_cast<unsigned long>(e->hin.bhfNach));
    UtLogWriteNoFlush(kStufe, "Brechpunkt Vorlauf  : %lu",
                      static_cast<unsigned long>(e->hin.bpVorlauf));
    UtLogWriteNoFlush(kStufe, "Brechpunkt Nachlauf : %lu",
                      static_cast<unsigned long>(e->hin.bpNachlauf));
    UtLogWriteNoFlush(kStufe, "Kilometer Vorl./Nachl Tarifgebiet A : %4u",
                      static_cast<unsigned>(e->hin.kmWz));
    UtLogWriteNoFlush(kStufe, "Kilometer Vorl./Nachl Tarifgebiet B : %4u",
                      static_cast<unsigned>(e->hin.kmDr));
    UtLogWriteNoFlush(kStufe, "Wegetext (Hinweg)   : %-150.150s", e->hin.wegetext);
    UtLogWriteNoFlush(kStufe, "Wegetext (Rueckweg) : %-150.150s", e->rueck.wegetext);
    UtLogWriteNoFlush(kStufe, "Busbez.Von: %-20.20s", e->busbezVon);
    UtLogWriteNoFlush(kStufe, "Busbez.Nach: %-20.20s", e->busbezNach);
    UtLogWriteNoFlush(kStufe, "Busnummer Von          : %lu",
                      static_cast<unsigned long>(e->busnrVon));
    UtLogWriteNoFlush(kStufe, "Busnummer Nach         : %lu",
                      static_cast<unsigned long>(e->busnrNach));
    UtLogWriteNoFlush(kStufe, "Buskilometer Tarifgebiet A : %4u", static_cast<unsigned>(e->buskmA));
    UtLogWriteNoFlush(kStufe, "Buskilometer Tarifgebiet B : %4u", static_cast<unsigned>(e->buskmB));
  }
  if (typ == '7') {
    UtLogWriteNoFlush(kStufe, "Entf-Km:     %4u", static_cast<unsigned>(e->hin.kmWz));
    UtLogWriteNoFlush(kStufe, "Hinweis1: %-150.150s", e->hin.wegetext);
    UtLogWriteNoFlush(kStufe, "Hinweis2: %-150.150s", e->rueck.wegetext);
  }
}
