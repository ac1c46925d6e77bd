// druck.cpp - printing the result page and the 50 km list.
//
// Printing joins in a later step; until then "&Drucken" stays disabled
// and the preview's "Drucken" does nothing.
#include "app/preview.h"
#include "app/zolmadlg.h"

void CZOLMADlg::DoDrucken() {}

void CPreviewDialog::DruckeListe() {}
