// printsetup.h - the device settings prompt of the printing layer.
//
// DocumentPropertiesA with DM_IN_PROMPT shows this modal dialog, owned by
// the window it is given: orientation, paper, copies and duplex of one
// printer, "OK" to take them, "Abbrechen" to leave them as they were.
#ifndef ZOLMA_PLATFORM_PRINT_PRINTSETUP_H
#define ZOLMA_PLATFORM_PRINT_PRINTSETUP_H

enum {
  IDD_PR_EINSTELLUNGEN = 30100,
  IDC_PR_AUSRICHTUNG = 30101,
  IDC_PR_PAPIER = 30102,
  IDC_PR_KOPIEN = 30103,
  IDC_PR_DUPLEX = 30104
};

#endif  // ZOLMA_PLATFORM_PRINT_PRINTSETUP_H
