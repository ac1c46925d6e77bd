// printrec.cpp - the recording backend of the tests.
//
// Fixed printers, fixed font metrics (every letter of a face equally wide,
// so tests can compute widths and heights), and finished documents kept in
// memory instead of being printed.
#include <memory>

#include "platform/print/printtest.h"

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

namespace {

std::vector<PrDocument> g_documents;

class RecordingBackend : public PrBackend {
 public:
  explicit RecordingBackend(const PrRecorderConfig& c) : config_(c) { g_documents.clear(); }

  std::vector<PrPrinterInfo> printers() override { return config_.printers; }
  std::string defaultPrinter() override { return config_.defaultPrinter; }

  PrFaceMetrics metrics(const PrFontDesc& font) override {
    PrFaceMetrics m;
    m.ascent = config_.ascent;
    m.descent = config_.descent;
    m.fixedPitch = (font.pitchAndFamily & 0x3) != VARIABLE_PITCH;
    m.aveWidth = m.fixedPitch ? config_.fixedWidth : config_.variableWidth;
    m.maxWidth = m.aveWidth;
    m.resolvedFamily = font.face;
    return m;
  }

  double advance(const PrFontDesc& font, const std::string& text) override {
    return static_cast<double>(text.size()) * metrics(font).aveWidth;
  }

  bool begin(PrDocument&, DWORD*) override { return true; }

  bool submit(PrDocument& doc, DWORD* error, std::string* note) override {
    if (config_.submitError) {
      *error = config_.submitError;
      return false;
    }
    g_documents.push_back(doc);
    *note = "An Drucker " + doc.printer +
            " \xFC"
            "bergeben";
    return true;
  }

  void discard(PrDocument&) override {}

 private:
  PrRecorderConfig config_;
};

}  // namespace

std::unique_ptr<PrBackend> PrMakeRecordingBackend(const PrRecorderConfig& config) {
  return std::make_unique<RecordingBackend>(config);
}

const std::vector<PrDocument>& PrRecordedDocuments() { return g_documents; }

#endif
