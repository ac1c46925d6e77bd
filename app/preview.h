// preview.h - the 50 km list's preview dialog.
//
// CPreviewDialog computes, when it opens, every station that passes the
// list's tests and lies within 50 km of the origin (the engine's list
// operation, EbFuenfzigKmListe), and shows them in a list view sorted by
// name. "Drucken" prints
// the list, "Abbruch" closes it. Nothing survives the dialog.
#ifndef ZOLMA_APP_PREVIEW_H
#define ZOLMA_APP_PREVIEW_H

#include "app/resource.h"
#include "platform/ui/afxwin.h"

class CPreviewDialog : public CDialog {
 public:
  CPreviewDialog(const char* caption, const char* abgang, int unused, int abgangNr, CWnd* parent);
  ~CPreviewDialog() override = default;

  CListCtrl m_Liste;        // 1043
  CButton m_Drucken;        // IDOK
  const char* m_pszAbgang;  // the origin as typed; not owned
  int m_nAbgang;            // the origin's station number
  CString m_strTitel;

  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;
  void OnDrucken();
  virtual void DruckeListe();

  DECLARE_MESSAGE_MAP()

 private:
  // What OnInitDialog does; OnInitDialog catches a failed allocation.
  void listeZeigen();
};

#endif  // ZOLMA_APP_PREVIEW_H
