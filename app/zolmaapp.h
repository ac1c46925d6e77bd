// zolmaapp.h - the application object.
//
// CZOLMAApp owns the whole life of the program: its InitInstance registers
// the logical names of the data files, loads the message texts, starts the
// distance engine, loads the station names, runs the main dialog and then
// undoes all of it in reverse order. It returns FALSE in every case.
#ifndef ZOLMA_APP_ZOLMAAPP_H
#define ZOLMA_APP_ZOLMAAPP_H

#include "platform/ui/afxwin.h"

class CZOLMAApp : public CWinApp {
 public:
  CZOLMAApp() = default;
  ~CZOLMAApp() override = default;
  BOOL InitInstance() override;
};

// The physical name of a table without a data file.
inline constexpr char kZolmaOhneDatei[] = "#$/&-.+()";

#endif  // ZOLMA_APP_ZOLMAAPP_H
