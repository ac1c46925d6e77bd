// druckliste.cpp - printing the 50 km list from its preview.
//
// The rows of the preview's list view, 42 a page in the view's order,
// each page with the logo, the title naming the origin as typed, and a
// footer with the page number and the dates. A list without rows prints
// one page with the logo, the title and the footer "Seite 1 von 1", so the
// printout still says that no destination lies within 50 km. A successful
// print closes the preview; a failed one leaves it open with its list.
#include <cstdio>

#include "app/druck.h"
#include "app/preview.h"

namespace {
constexpr int kZeilenJeSeite = 42;
constexpr int kPuffer = 100;
}  // namespace

void CPreviewDialog::DruckeListe() {
  const int n = m_Liste.GetItemCount();

  CDruckAuftrag job(CDruckAuftrag::Art{.owner = this,
                                       .dokument = "KRV Entfernungsberechnung Liste",
                                       .normalHoehe = 180,
                                       .trace = false,
                                       .ursprungLesen = false,
                                       .zuletzt = CDruckAuftrag::Normal});
  if (!job.Einrichten()) return;

  char datum[kPuffer];
  ZolmaDatumsZeile(datum, sizeof datum);
  const int seiten = n > 0 ? (n + kZeilenJeSeite - 1) / kZeilenJeSeite : 1;
  const int schritt = job.TextHoehe(CDruckAuftrag::Bold) * 12 / 10;
  const int x = CDruckAuftrag::kRand;
  const int fussY = 1200 - CDruckAuftrag::kHoehe;
  int y = CDruckAuftrag::kOben;
  char zeile[kPuffer];

  auto seiteBeginnen = [&]() {
    if (!job.SeiteBeginnen()) return false;
    job.Logo();
    if (!job.Waehle(CDruckAuftrag::Normal)) return false;
    std::snprintf(zeile, sizeof zeile, "Liste der von %s innerhalb von 50 km erreichbaren Ziele",
                  m_pszAbgang);
    job.Text(x, CDruckAuftrag::kOben, zeile);
    y = CDruckAuftrag::kOben - schritt;
    return job.Waehle(CDruckAuftrag::Bold);
  };
  auto seiteBeenden = [&](int seite) {
    if (!job.Waehle(CDruckAuftrag::Normal)) return false;
    std::snprintf(zeile, sizeof zeile, "Seite %d von %d", seite, seiten);
    int breite = job.Breite(zeile);
    job.Text(CDruckAuftrag::kBreite - CDruckAuftrag::kRand - breite, fussY, zeile);
    if (!job.Waehle(CDruckAuftrag::Klein)) return false;
    job.Text(x, fussY, datum);
    if (!job.WaehleStandard(true)) return false;
    return job.SeiteBeenden();
  };

  for (int i = 0; i < n; ++i) {
    if (i % kZeilenJeSeite == 0) {
      if (i > 0 && !seiteBeenden(i / kZeilenJeSeite)) return;
      if (!seiteBeginnen()) return;
    }
    CString ziel = m_Liste.GetItemText(i, 0);
    CString km = m_Liste.GetItemText(i, 1);
    y -= schritt;
    std::snprintf(zeile, sizeof zeile, "%s -> %-23s %2.2s km", m_pszAbgang,
                  static_cast<const char*>(ziel), static_cast<const char*>(km));
    job.Text(x, y, zeile);
  }
  if (n == 0 && !seiteBeginnen()) return;
  if (!seiteBeenden(seiten)) return;
  if (!job.Abschliessen()) return;
  CDialog::OnOK();
}
