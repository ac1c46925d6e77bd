// Shared test support for the engine's test areas: data directories, the
// registration of the engine's table names, record builders, the engine
// brought up over a written network, the dialog request and the reading
// of raises. See testnetz.h.
#include "tests/common/testnetz.h"

#include "tests/common/tempdir.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace testnetz {

const char* const kAlleTabellen[kTabellenAnzahl] = {"EBGG", "EBGB", "EBHF", "TDRG", "FBRR", "GREN",
                                                    "STEN", "RBGT", "NESR", "NGAT", "LOST", "FBRW"};

int dateiSchreiben(const dmw::DataFile& f, const char* code, const std::filesystem::path& pfad) {
  f.write(pfad);
  return UtSetName(code, pfad.c_str());
}

void alleOhneDatei() {
  for (const char* c : kAlleTabellen) UtSetName(c, kDbNoFileName);
}

void alleNamenEntfernen() {
  for (const char* c : kAlleTabellen) UtRemoveName(kUtRegisterGroup, c);
}

std::string kennbuchstaben(char fuell, char art, char kmTeil) {
  std::string s(14, fuell);
  s[5] = art;
  s[8] = s[9] = 'N';
  s[11] = kmTeil;
  return s;
}

dmw::EbhfRecord bahnhof(std::uint32_t nr, const std::string& name, const std::string& name2,
                        std::uint16_t gebiet, const std::string& flagZeichen,
                        const std::string& buchstaben) {
  dmw::EbhfRecord r;
  r.station_number = nr;
  r.station_name = name;
  r.second_name = name2;
  r.tariff_area = gebiet;
  r.flag_chars = flagZeichen;
  r.flag_letters = buchstaben;
  return r;
}

dmw::StenPair stenPaar(std::uint32_t a, std::uint32_t b, std::uint16_t km1, std::uint16_t km2,
                       std::uint16_t flags, std::uint16_t ab) {
  dmw::StenPair p;
  p.station_a = a;
  p.station_b = b;
  p.valid_from = ab;
  p.km_part1 = km1;
  p.km_part2 = km2;
  p.flags = flags;
  return p;
}

dmw::GrenPair grenPaar(std::uint32_t a, std::uint32_t b, std::uint16_t km1, std::uint16_t km2) {
  dmw::GrenPair p;
  p.station_a = a;
  p.station_b = b;
  p.km_part1 = km1;
  p.km_part2 = km2;
  return p;
}

Umgebung::Umgebung(const std::string& praefix) {
  dir_ = tempdir::Make(praefix);
  alleOhneDatei();
}

Umgebung::~Umgebung() {
  EbGfEndeEntfernungsBerechnung();
  alleNamenEntfernen();
  tempdir::Remove(dir_);
}

void Umgebung::datei(const char* code, const dmw::DataFile& f) {
  dateiSchreiben(f, code, dir_ / (std::string("DM") + code));
}

void Umgebung::hochfahren() { initCode = EbGfInitEntfernungsBerechnung(); }

testing::AssertionResult datensatzHochfahren(const std::string& dir) {
  for (const char* code : kDatensatzDateien) {
    const std::string pfad = dir + "/DM" + code;
    if (UtSetName(code, pfad.c_str()) != 0)
      return testing::AssertionFailure() << "cannot register " << code << " as " << pfad;
  }
  for (const char* code : kDatensatzOhneDatei)
    if (UtSetName(code, kDbNoFileName) != 0)
      return testing::AssertionFailure() << "cannot register " << code << " without a file";
  const int code = EbGfInitEntfernungsBerechnung();
  if (code != 0)
    return testing::AssertionFailure()
           << "the engine's initialisation over " << dir << " returned " << code;
  return testing::AssertionSuccess();
}

EbAnfrage dialogAnfrage(std::int32_t von, std::int32_t nach, std::int32_t via1, std::int32_t via2,
                        UtDayNumber tag) {
  EbAnfrage a;
  EbAnfrageFuellen(&a, tag, von, nach, via1, via2, '1');
  return a;
}

std::vector<EbAbschnitt> bisEndmarke(const EbAbschnitt* liste) {
  std::vector<EbAbschnitt> v;
  for (int i = 0; i < EB_MAX_ABSCHNITTE && liste[i].art != 0; ++i) v.push_back(liste[i]);
  return v;
}

Meldung meldungLesen(const Meldungskontext* m) {
  Meldung x;
  x.nummer = m->Meldungsnummer;
  x.ss.assign(m->SS_id, 2);
  const int n = m->paramCount < kMsgMaxParams ? m->paramCount : kMsgMaxParams;
  for (int i = 0; i < n; ++i) {
    const MsgParamDesc& d = m->params[i];
    if (d.offset < 0) continue;
    if (d.type == 'd') x.zahlen.push_back(MsgDataI16(m, d.offset));
    if (d.type == 'l') x.zahlen.push_back(MsgDataI32(m, d.offset));
    if (d.type == 's')
      x.texte.emplace_back(reinterpret_cast<const char*>(m->data + d.offset), d.length);
  }
  return x;
}

Ausgang auswerten(int code, MsgTrapFrame& frame) {
  Ausgang a;
  a.code = code;
  if (code == 0) return a;
  if (frame.received != nullptr) {
    Meldung m = meldungLesen(frame.received);
    a.nummer = m.nummer;
    a.ss = std::move(m.ss);
    a.zahlen = std::move(m.zahlen);
    a.texte = std::move(m.texte);
    a.gemeldet = true;
  }
  MsgFree(frame.received);
  frame.received = nullptr;
  return a;
}

}  // namespace testnetz
