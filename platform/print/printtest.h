// printtest.h - test hooks of the printing layer.
//
// PrTestInstallRecorder puts the recording backend in place: fixed
// printers, fixed font metrics, finished documents kept in memory. From
// then on every call of the layer is logged with its arguments, result and
// last error, and any call can be made to fail through the one fault hook,
// support/utfault.h: UtFaultFailCall names the call (as the log does),
// which of its calls (counted from the install) and the result and last
// error it returns instead of doing its work. PrTestUninstall puts the
// real backend back and frees whatever the program left behind. The file
// printer's writes run out of room as on a full disk under
// UtFaultLimitWrites.
//
// Compiled only with the build switch ZOLMA_TEST_HOOKS (see utfault.h).
#ifndef ZOLMA_PLATFORM_PRINT_PRINTTEST_H
#define ZOLMA_PLATFORM_PRINT_PRINTTEST_H

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

#include <memory>
#include <string>
#include <vector>

#include "platform/print/printdev.h"

struct PrCall {
  std::string name;    // "OpenPrinterA", "malloc", ...
  std::string args;    // the arguments as text
  long long result;    // handles as 0 (null) or 1
  DWORD lastError;     // after the call
  std::string handle;  // the handle a call returned or worked on ("dc1", "font3", "mem2", ...)
};

struct PrRecorderConfig {
  std::vector<PrPrinterInfo> printers{{"Testdrucker", "TEST:", "Testtreiber", "", ""}};
  std::string defaultPrinter = "Testdrucker";
  // Metrics of every face, in ems: tmHeight = round(em * (ascent + descent)).
  double ascent = 0.9;
  double descent = 0.25;
  double fixedWidth = 0.6;     // every letter of a fixed-pitch font
  double variableWidth = 0.5;  // every letter of a variable-pitch font
  // EndDoc fails with this error instead of keeping the document (0: keeps it).
  DWORD submitError = 0;
};

void PrTestInstallRecorder(const PrRecorderConfig& config = PrRecorderConfig());
void PrTestUninstall();

const std::vector<PrCall>& PrTestCalls();
// Documents the recording backend was handed.
const std::vector<PrDocument>& PrTestSubmitted();
// Objects, contexts, printer handles and memory blocks still alive, as
// handle names.
std::vector<std::string> PrTestLive();

// The version GetVersionExA reports (both backends).
void PrTestSetVersion(DWORD platformId, DWORD major, DWORD minor);

// The recording backend (printrec.cpp) and the documents it was handed.
std::unique_ptr<PrBackend> PrMakeRecordingBackend(const PrRecorderConfig& config);
const std::vector<PrDocument>& PrRecordedDocuments();

#endif

#endif  // ZOLMA_PLATFORM_PRINT_PRINTTEST_H
