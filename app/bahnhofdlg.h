// bahnhofdlg.h - the station picker.
//
// Shows an edit field with the typed text and below it the sorted
// canonical names of all stations whose station-name entry begins with the
// normalised text and is valid today, each station once. Typing refills
// the list; selecting a name puts it into the field and enables OK; OK
// hands the field's text back in the caller's buffer.
#ifndef ZOLMA_APP_BAHNHOFDLG_H
#define ZOLMA_APP_BAHNHOFDLG_H

#include <unordered_set>

#include "app/resource.h"
#include "platform/ui/afxwin.h"

class CBahnhofDialog : public CDialog {
 public:
  CBahnhofDialog(const char* caption, char* buffer, int size, CWnd* parent);
  ~CBahnhofDialog() override = default;

  CEdit m_Edit;        // 1041
  CListBox m_Liste;    // 1042
  CButton m_OK;        // 1
  CString m_strListe;  // the selected list text
  CString m_strEdit;   // the edit text
  CString m_strCaption;

  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void ListeFuellen();
  void OnSelchangeListe();
  void OnSelcancelListe();

  DECLARE_MESSAGE_MAP()

 private:
  char* m_pBuffer;
  int m_nSize;
};

// The most station numbers one fill of the list remembers.
inline constexpr int kBahnhofMerkMax = 10000;

#endif  // ZOLMA_APP_BAHNHOFDLG_H
