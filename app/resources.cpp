// resources.cpp - the dialog templates and strings of the application.
//
// Texts are in the Windows character set (code page 1252); "\xDC" is Ü,
// "\xE4" ä, "\xF6" ö, "\xFC" ü.
#include "app/resource.h"
#include "platform/ui/afxwin.h"

namespace {

DlgItemTemplate label(int id, const char* text, int x, int y, int cx, int cy,
                      std::uint32_t style = 0, bool hidden = false) {
  return DlgItemTemplate{id, CtlClass::Static, text, x, y, cx, cy, style, hidden};
}
DlgItemTemplate edit(int id, int x, int y, int cx, int cy, bool hidden = false) {
  return DlgItemTemplate{
      id, CtlClass::Edit, "", x, y, cx, cy, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, hidden};
}
DlgItemTemplate button(int id, const char* text, int x, int y, int cx, int cy,
                       std::uint32_t style = 0) {
  return DlgItemTemplate{id, CtlClass::Button, text, x, y, cx, cy, style | WS_TABSTOP};
}

DlgTemplate mainDialog() {
  return DlgTemplate{IDD_ZOLMA_DIALOG,
                     "KRV Entfernungsberechnung (Version 3.2d)",
                     287,
                     210,
                     "MS Sans Serif",
                     {
                         label(-1, "&Abgang:", 7, 41, 28, 8),
                         edit(IDC_ABGANG, 37, 38, 90, 14),
                         label(-1, "&Ziel:", 7, 57, 14, 8),
                         edit(IDC_ZIEL, 37, 54, 90, 14),
                         label(-1,
                               "\xDC"
                               "ber &1:",
                               7, 73, 24, 8),
                         edit(IDC_UEBER1, 37, 70, 90, 14),
                         label(-1,
                               "\xDC"
                               "ber &2:",
                               7, 89, 24, 8),
                         edit(IDC_UEBER2, 37, 86, 90, 14),
                         label(IDC_PRODUKT_LABEL, "&Produkt:", 7, 104, 28, 8, 0, true),
                         DlgItemTemplate{IDC_PRODUKT, CtlClass::ListBox, "", 37, 103, 35, 34,
                                         LBS_SORT | WS_VSCROLL, true},
                         label(IDC_VXT_ABGANG_LABEL, "&VXT Abgang:", 140, 41, 44, 8, 0, true),
                         edit(IDC_VXT_ABGANG, 190, 38, 90, 14, true),
                         label(IDC_VXT_ZIEL_LABEL, "VXT Ziel:", 140, 57, 44, 8, 0, true),
                         edit(IDC_VXT_ZIEL, 190, 54, 90, 14, true),
                         label(IDC_VXT_LP1_LABEL, "VXT &LP 1:", 140, 73, 44, 8, 0, true),
                         edit(IDC_VXT_LP1, 190, 70, 90, 14, true),
                         label(IDC_VXT_LP2_LABEL, "VXT LP 2:", 140, 89, 44, 8, 0, true),
                         edit(IDC_VXT_LP2, 190, 86, 90, 14, true),
                         label(IDC_VON_LABEL, "Von:", 82, 103, 34, 8, SS_RIGHT),
                         label(IDC_VON, "", 125, 103, 100, 8, SS_NOPREFIX),
                         label(IDC_NACH_LABEL, "Nach:", 82, 113, 34, 8, SS_RIGHT),
                         label(IDC_NACH, "", 125, 113, 100, 8, SS_NOPREFIX),
                         label(IDC_U1_LABEL, "\xDC 1:", 82, 123, 34, 8, SS_RIGHT, true),
                         label(IDC_U1, "", 125, 123, 100, 8, SS_NOPREFIX),
                         label(IDC_VXT_VON_LABEL, "VXT von:", 82, 143, 34, 8, SS_RIGHT, true),
                         label(IDC_VXT_VON, "", 125, 143, 100, 8, 0, true),
                         label(IDC_VXT_LP1_LABEL2, "VXT LP1:", 82, 153, 34, 8, SS_RIGHT, true),
                         label(IDC_VXT_LP1_WERT, "", 125, 153, 100, 8, 0, true),
                         label(IDC_VXT_LP2_LABEL2, "VXT LP2:", 82, 163, 34, 8, SS_RIGHT, true),
                         label(IDC_VXT_LP2_WERT, "", 125, 163, 100, 8, 0, true),
                         label(IDC_VXT_NACH_LABEL, "VXT nach:", 82, 173, 34, 8, SS_RIGHT, true),
                         label(IDC_VXT_NACH, "", 125, 173, 100, 8, 0, true),
                         label(IDC_U2_LABEL, "\xDC 2:", 82, 133, 34, 8, SS_RIGHT, true),
                         label(IDC_U2, "", 125, 133, 100, 8, SS_NOPREFIX),
                         label(IDC_ENTFERNUNG_LABEL, "Entfernung:", 223, 105, 42, 8, SS_RIGHT),
                         label(IDC_ENTFERNUNG, "", 251, 118, 29, 8, SS_NOPREFIX),
                         label(IDC_WEGETEXT_LABEL, "Wegetext:", 7, 143, 34, 8),
                         label(IDC_WEGETEXT1, "", 45, 143, 235, 8, SS_NOPREFIX),
                         label(IDC_WEGETEXT2, "", 45, 153, 235, 8, SS_NOPREFIX),
                         label(IDC_WEGETEXT3, "", 45, 163, 235, 8, SS_NOPREFIX),
                         label(IDC_WEGETEXT4, "", 45, 173, 235, 8, SS_NOPREFIX),
                         button(IDC_BERECHNEN, "&Berechnen", 7, 188, 63, 14),
                         button(IDC_DRUCKEN, "&Drucken", 77, 188, 63, 14),
                         button(IDC_50KM, "50 km Li&ste", 147, 188, 63, 14),
                         button(IDC_BEENDEN, "B&eenden", 217, 188, 63, 14),
                         button(IDOK, "O K", 7, 150, 50, 14, BS_DEFPUSHBUTTON),
                         DlgItemTemplate{-1, CtlClass::Bitmap, "136", 188, 7, 92, 24, 0},
                     }};
}

DlgTemplate aboutBox() {
  return DlgTemplate{
      IDD_ABOUTBOX,
      "Info \xFC"
      "ber KRV Entfernungsberechnung",
      235,
      55,
      "MS Sans Serif",
      {
          DlgItemTemplate{-1, CtlClass::Icon, "128", 11, 17, 20, 20, 0},
          label(-1, "ZOLMA Version 3.2c", 40, 10, 119, 8, SS_NOPREFIX),
          label(-1, "Tarifentfernungen im Schienennetz", 40, 25, 119, 8, SS_NOPREFIX),
          button(IDOK, "OK", 178, 7, 32, 14, BS_DEFPUSHBUTTON),
      }};
}

DlgTemplate stationPicker() {
  return DlgTemplate{
      IDD_BAHNHOF,
      "Bahnhof ausw\xE4hlen",
      185,
      167,
      "MS Sans Serif",
      {
          edit(IDC_BHF_EDIT, 7, 7, 107, 14),
          DlgItemTemplate{IDC_BHF_LISTE, CtlClass::ListBox, "", 7, 27, 107, 133,
                          LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP | WS_BORDER},
          button(IDOK, "OK", 122, 7, 50, 14, BS_DEFPUSHBUTTON),
          button(IDCANCEL, "Abbrechen", 122, 24, 50, 14),
      }};
}

DlgTemplate preview() {
  return DlgTemplate{
      IDD_PREVIEW,
      "Dialog",
      220,
      186,
      "MS Shell Dlg",
      {
          button(IDOK, "Drucken", 101, 165, 50, 14),
          button(IDCANCEL, "Abbruch", 159, 165, 50, 14, BS_DEFPUSHBUTTON),
          DlgItemTemplate{IDC_LISTE, CtlClass::ListView, "", 7, 7, 200, 148,
                          WS_BORDER | WS_TABSTOP | LVS_SORTASCENDING | LVS_ALIGNLEFT},
      }};
}

}  // namespace

void ZolmaRegisterResources() {
  AfxRegisterTemplate(mainDialog());
  AfxRegisterTemplate(aboutBox());
  AfxRegisterTemplate(stationPicker());
  AfxRegisterTemplate(preview());
  AfxRegisterString(IDS_ABOUTBOX,
                    "Inf&o \xFC"
                    "ber ZOLMA...");
}
