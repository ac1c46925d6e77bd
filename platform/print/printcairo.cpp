// printcairo.cpp - the real backend: CUPS, fontconfig, cairo PDF.
//
// Printers: the built-in file printer "PDF-Datei", and, unless the layer's
// settings switch it off, every destination of the system print service.
// The print service's default destination is the default printer when it
// has one; otherwise the file printer is. Where no print service is set up
// (nothing names a server or a destination, and no local server answers),
// the file printer is simply the printer. When a service that was named,
// or that answered earlier in this run, cannot be reached, the file
// printer stands in for it, and the note of a document it prints says so:
// "Drucksystem nicht erreichbar - gedruckt: FILE".
//
// Fonts are resolved through fontconfig: the face named ("Courier New"
// becomes a metric-compatible face such as Liberation Mono), its weight and
// slant. The face name weighs more than a variable pitch asked for, so a
// fixed-pitch face that is named stays; only a fixed pitch asked of a
// variable-pitch face gives way to the family's standard face: Arial for
// FF_SWISS, Times New Roman for FF_ROMAN, Courier New for FF_MODERN.
//
// A finished document is rendered to PDF with cairo, page by page, the
// device dots (600 an inch from the printable area's top left) mapped to
// the sheet, scaled down when the sheet's printable area is smaller than
// that of A4 portrait, for which the program lays its pages out, and then handed to the print
// service (with its copies and sides) or written into the file printer's folder.
//
// Each document is asked for at its start: a queue must exist and accept
// jobs; the file printer creates its file then, under a temporary name in
// its folder, and renames it when the document is complete, so that a
// folder it cannot write to fails before anything is drawn and no partial
// file is ever left behind.
#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/print/printdev.h"
#include "platform/ui/cp1252.h"
#include "support/utfault.h"

namespace {

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
std::string g_lastFile;
#endif

constexpr double kProbeSize = 1000.0;  // the size at which faces are measured

struct Face {
  cairo_font_face_t* face = nullptr;
  cairo_scaled_font_t* probe = nullptr;
  PrFaceMetrics metrics;
};

const char* genericFace(DWORD pitchAndFamily) {
  switch (pitchAndFamily & 0xF0) {
    case FF_SWISS:
      return "Arial";
    case FF_ROMAN:
      return "Times New Roman";
    case FF_MODERN:
      return "Courier New";
    default:
      return (pitchAndFamily & 0x3) == FIXED_PITCH ? "monospace" : "sans-serif";
  }
}

// Matches a family with weight and slant; the caller destroys the result.
FcPattern* match(const std::string& family, const PrFontDesc& desc) {
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  int weight = desc.weight > 0 ? desc.weight : FW_NORMAL;
  FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pat, FC_SLANT, desc.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* found = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  return found;
}

// True when a CUPS client settings file names what `directive` names
// ("ServerName" in client.conf, "Default" in lpoptions): a line that
// begins with the directive, in any case, followed by a blank and a value.
bool fileNames(const std::string& path, const char* directive) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return false;
  const size_t n = std::strlen(directive);
  char line[1024];
  bool named = false;
  while (!named && std::fgets(line, sizeof line, f)) {
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    if (strncasecmp(p, directive, n) != 0 || (p[n] != ' ' && p[n] != '\t')) continue;
    for (p += n; *p == ' ' || *p == '\t'; ++p) {
    }
    named = *p != '\0' && *p != '\n' && *p != '\r';
  }
  std::fclose(f);
  return named;
}

// True when a print service is set up for this process, as CUPS clients
// find it: a server named by CUPS_SERVER or by a client.conf (the system's
// in CUPS_SERVERROOT, default /etc/cups, or the user's in ~/.cups), or a
// default destination named by LPDEST, PRINTER or an lpoptions file there.
bool serviceNamed() {
  for (const char* var : {"CUPS_SERVER", "LPDEST", "PRINTER"}) {
    const char* v = std::getenv(var);
    if (v && *v) return true;
  }
  std::vector<std::string> folders;
  const char* root = std::getenv("CUPS_SERVERROOT");
  folders.push_back(root && *root ? root : "/etc/cups");
  const char* home = std::getenv("HOME");
  if (home && *home) folders.push_back(std::string(home) + "/.cups");
  for (const std::string& d : folders)
    if (fileNames(d + "/client.conf", "ServerName") || fileNames(d + "/lpoptions", "Default"))
      return true;
  return false;
}

bool isFixed(FcPattern* p) {
  int spacing = FC_PROPORTIONAL;
  if (FcPatternGetInteger(p, FC_SPACING, 0, &spacing) != FcResultMatch) return false;
  return spacing >= FC_MONO;
}

class CairoBackend : public PrBackend {
 public:
  CairoBackend() { FcInit(); }
  ~CairoBackend() override {
    for (auto& [key, f] : faces_) {
      if (f.probe) cairo_scaled_font_destroy(f.probe);
      if (f.face) cairo_font_face_destroy(f.face);
    }
    // Let go of the font caches of cairo and fontconfig, so that a leak
    // checker sees nothing left; the next backend starts them again.
    cairo_debug_reset_static_data();
    FcFini();
  }
  CairoBackend(const CairoBackend&) = delete;
  CairoBackend& operator=(const CairoBackend&) = delete;

  std::vector<PrPrinterInfo> printers() override {
    std::vector<PrPrinterInfo> out;
    out.push_back(PrPrinterInfo{kPrFilePrinterName, "DATEI:", "ZOLMA PDF",
                                "PDF-Dateien im Ordner " + PrGetSettings().fileFolder, ""});
    if (!PrGetSettings().useSystemQueue) return out;
    cups_dest_t* dests = nullptr;
    int n = askDests(&dests);
    for (int i = 0; i < n; ++i) {
      PrPrinterInfo p;
      p.name = destName(dests[i]);
      p.port = "CUPS:";
      p.driver = "CUPS";
      const char* info = cupsGetOption("printer-info", dests[i].num_options, dests[i].options);
      const char* loc = cupsGetOption("printer-location", dests[i].num_options, dests[i].options);
      p.comment = info ? info : "";
      p.location = loc ? loc : "";
      out.push_back(p);
    }
    cupsFreeDests(n, dests);
    return out;
  }

  std::string defaultPrinter() override {
    if (PrGetSettings().useSystemQueue) {
      cups_dest_t* dests = nullptr;
      int n = askDests(&dests);
      std::string name;
      for (int i = 0; i < n; ++i)
        if (dests[i].is_default) name = destName(dests[i]);
      cupsFreeDests(n, dests);
      if (!name.empty()) return name;
    }
    return kPrFilePrinterName;
  }

  PrFaceMetrics metrics(const PrFontDesc& font) override { return resolve(font).metrics; }

  double advance(const PrFontDesc& font, const std::string& text) override {
    Face& f = resolve(font);
    if (!f.probe) return static_cast<double>(text.size()) * f.metrics.aveWidth;
    std::string utf8 = Cp1252ToUtf8(text);
    cairo_text_extents_t te;
    cairo_scaled_font_text_extents(f.probe, utf8.c_str(), &te);
    return te.x_advance / kProbeSize;
  }

  bool begin(PrDocument& doc, DWORD* error) override {
    if (doc.port == "CUPS:") return queueAccepts(doc, error);
    doc.serviceGone = PrGetSettings().useSystemQueue && serviceGone_;
    return createSpoolFile(doc, error);
  }

  bool submit(PrDocument& doc, DWORD* error, std::string* note) override {
    std::string pdf;
    if (!render(doc, pdf)) {
      discard(doc);
      *error = ERROR_NOT_ENOUGH_MEMORY;
      return false;
    }
    if (doc.port == "CUPS:") return toQueue(doc, pdf, error, note);
    return toFolder(doc, pdf, error, note);
  }

  void discard(PrDocument& doc) override {
    if (!doc.spoolFile.empty()) ::unlink(doc.spoolFile.c_str());
    doc.spoolFile.clear();
  }

 private:
  // The print service's destinations; remembers whether a print service
  // that is set up, or that answered before, could not be reached. The
  // caller frees them.
  int askDests(cups_dest_t** dests) {
    int n = cupsGetDests2(CUPS_HTTP_DEFAULT, dests);
    bool unreachable = n == 0 && cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
    if (!unreachable) reached_ = true;
    serviceGone_ = unreachable && (reached_ || serviceNamed());
    return n;
  }

  static std::string destName(const cups_dest_t& d) {
    std::string name = d.name ? d.name : "";
    if (d.instance) name += std::string("/") + d.instance;
    return name;
  }

  Face& resolve(const PrFontDesc& desc) {
    std::string key = desc.face + "|" + std::to_string(desc.weight) + "|" +
                      (desc.italic ? "i" : "r") + "|" + std::to_string(desc.pitchAndFamily);
    auto it = faces_.find(key);
    if (it != faces_.end()) return it->second;
    Face& f = faces_[key];
    std::string family = desc.face.empty() ? genericFace(desc.pitchAndFamily) : desc.face;
    FcPattern* found = match(family, desc);
    DWORD pitch = desc.pitchAndFamily & 0x3;
    if (found && pitch == FIXED_PITCH && !isFixed(found)) {
      FcPattern* other = match(genericFace(desc.pitchAndFamily), desc);
      if (other) {
        FcPatternDestroy(found);
        found = other;
      }
    }
    if (!found) {
      f.metrics.resolvedFamily = family;
      return f;
    }
    FcChar8* name = nullptr;
    if (FcPatternGetString(found, FC_FAMILY, 0, &name) == FcResultMatch && name)
      f.metrics.resolvedFamily = reinterpret_cast<const char*>(name);
    f.metrics.fixedPitch = isFixed(found);
    f.face = cairo_ft_font_face_create_for_pattern(found);
    FcPatternDestroy(found);
    cairo_matrix_t size, identity;
    cairo_matrix_init_scale(&size, kProbeSize, kProbeSize);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* opts = fontOptions();
    f.probe = cairo_scaled_font_create(f.face, &size, &identity, opts);
    cairo_font_options_destroy(opts);
    if (cairo_scaled_font_status(f.probe) != CAIRO_STATUS_SUCCESS) {
      cairo_scaled_font_destroy(f.probe);
      f.probe = nullptr;
      return f;
    }
    cairo_font_extents_t fe;
    cairo_scaled_font_extents(f.probe, &fe);
    f.metrics.ascent = fe.ascent / kProbeSize;
    f.metrics.descent = fe.descent / kProbeSize;
    f.metrics.maxWidth = fe.max_x_advance / kProbeSize;
    cairo_text_extents_t te;
    cairo_scaled_font_text_extents(f.probe, "x", &te);
    f.metrics.aveWidth = te.x_advance / kProbeSize;
    return f;
  }

  static cairo_font_options_t* fontOptions() {
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    return o;
  }

  static cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  }

  static void setColor(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                         ((c >> 16) & 0xFF) / 255.0);
  }

  void drawText(cairo_t* cr, const PrTextOp& t) {
    Face& f = resolve(t.font);
    if (!f.face || t.emDots <= 0) return;
    std::string utf8 = Cp1252ToUtf8(t.text);
    cairo_set_font_face(cr, f.face);
    cairo_set_font_size(cr, t.emDots);
    cairo_font_options_t* opts = fontOptions();
    cairo_set_font_options(cr, opts);
    cairo_font_options_destroy(opts);
    setColor(cr, t.color);
    double baseline = t.dy + t.ascentDots;
    cairo_move_to(cr, t.dx, baseline);
    cairo_show_text(cr, utf8.c_str());
    if (t.font.underline || t.font.strikeOut) {
      cairo_text_extents_t te;
      cairo_text_extents(cr, utf8.c_str(), &te);
      cairo_set_line_width(cr, t.emDots * 0.05);
      if (t.font.underline) {
        cairo_move_to(cr, t.dx, baseline + t.emDots * 0.1);
        cairo_rel_line_to(cr, te.x_advance, 0);
      }
      if (t.font.strikeOut) {
        cairo_move_to(cr, t.dx, baseline - t.emDots * 0.25);
        cairo_rel_line_to(cr, te.x_advance, 0);
      }
      cairo_stroke(cr);
    }
  }

  static void drawLine(cairo_t* cr, const PrLineOp& l) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 3.0);  // about a third of a point
    cairo_move_to(cr, l.dx0, l.dy0);
    cairo_line_to(cr, l.dx1, l.dy1);
    cairo_stroke(cr);
  }

  static void drawBitmap(cairo_t* cr, const PrBitmapOp& b) {
    if (!b.bitmap || b.bitmap->width <= 0 || b.bitmap->height <= 0 || b.sw == 0 || b.sh == 0)
      return;
    int w = b.bitmap->width, h = b.bitmap->height;
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(img);
      return;
    }
    cairo_surface_flush(img);
    unsigned char* data = cairo_image_surface_get_data(img);
    int stride = cairo_image_surface_get_stride(img);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        std::uint32_t px =
            b.bitmap
                ->pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
        std::uint32_t v = px & 0xFFFFFFu;
        std::memcpy(data + static_cast<size_t>(y) * static_cast<size_t>(stride) +
                        static_cast<size_t>(x) * 4,
                    &v, 4);
      }
    }
    cairo_surface_mark_dirty(img);
    cairo_save(cr);
    cairo_translate(cr, b.dx, b.dy);
    cairo_scale(cr, b.dw / b.sw, b.dh / b.sh);
    cairo_translate(cr, -b.sx, -b.sy);
    cairo_set_source_surface(cr, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, b.sx, b.sy, b.sw, b.sh);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_destroy(img);
  }

  bool render(const PrDocument& doc, std::string& pdf) {
    double scale = 72.0 / kPrDotsPerInch;
    double wPt = doc.paperWidthDots * scale, hPt = doc.paperHeightDots * scale;
    cairo_surface_t* s = cairo_pdf_surface_create_for_stream(append, &pdf, wPt, hPt);
    std::string title = Cp1252ToUtf8(doc.name);
    cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_CREATOR, "zolma");
    cairo_t* cr = cairo_create(s);
    for (const PrPage& page : doc.pages) {
      cairo_save(cr);
      cairo_scale(cr, scale, scale);
      cairo_translate(cr, kPrMarginDots, kPrMarginDots);
      cairo_scale(cr, doc.fit, doc.fit);
      for (const PrOp& op : page.ops) {
        if (auto* t = std::get_if<PrTextOp>(&op)) drawText(cr, *t);
        if (auto* l = std::get_if<PrLineOp>(&op)) drawLine(cr, *l);
        if (auto* b = std::get_if<PrBitmapOp>(&op)) drawBitmap(cr, *b);
      }
      cairo_restore(cr);
      cairo_show_page(cr);
    }
    cairo_destroy(cr);
    cairo_surface_finish(s);
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
  }

  // The destination of a queue name ("name" or "name/instance"); the
  // caller frees it. Null when the server does not know it or cannot be
  // reached.
  static cups_dest_t* namedDest(const std::string& printer) {
    std::string name = printer, instance;
    size_t slash = name.find('/');
    if (slash != std::string::npos) {
      instance = name.substr(slash + 1);
      name.resize(slash);
    }
    return cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(),
                            instance.empty() ? nullptr : instance.c_str());
  }

  // At the start of a document: the queue exists and accepts jobs.
  static bool queueAccepts(const PrDocument& doc, DWORD* error) {
    cups_dest_t* dest = namedDest(doc.printer);
    if (!dest) {
      *error = ERROR_INVALID_PRINTER_NAME;
      return false;
    }
    const char* accepting =
        cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    bool ok = !accepting || std::strcmp(accepting, "false") != 0;
    cupsFreeDests(1, dest);
    if (!ok) *error = ERROR_INVALID_PRINTER_STATE;
    return ok;
  }

  // A queue that is stopped (disabled) takes jobs and holds them.
  static bool queueStopped(const std::string& printer) {
    cups_dest_t* dest = namedDest(printer);
    if (!dest) return false;
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    bool stopped = state && std::atoi(state) == IPP_PSTATE_STOPPED;
    cupsFreeDests(1, dest);
    return stopped;
  }

  static DWORD queueError() {
    switch (cupsLastError()) {
      case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return ERROR_INVALID_PRINTER_STATE;
      case IPP_STATUS_ERROR_NOT_FOUND:
        return ERROR_INVALID_PRINTER_NAME;
      default:
        return ERROR_OPEN_FAILED;
    }
  }

  static bool toQueue(const PrDocument& doc, const std::string& pdf, DWORD* error,
                      std::string* note) {
    char path[1024];
    int fd = cupsTempFd(path, sizeof path);
    if (fd < 0) {
      *error = ERROR_OPEN_FAILED;
      return false;
    }
    bool written = writeAll(fd, pdf, error);
    if (::close(fd) != 0 && written) {
      written = false;
      *error = ERROR_WRITE_FAULT;
    }
    if (!written) {
      ::unlink(path);
      return false;
    }
    cups_option_t* options = nullptr;
    int n = 0;
    n = cupsAddOption("copies",
                      std::to_string(doc.settings.dmCopies > 0 ? doc.settings.dmCopies : 1).c_str(),
                      n, &options);
    const char* sides = doc.settings.dmDuplex == DMDUP_VERTICAL     ? "two-sided-long-edge"
                        : doc.settings.dmDuplex == DMDUP_HORIZONTAL ? "two-sided-short-edge"
                                                                    : "one-sided";
    n = cupsAddOption("sides", sides, n, &options);
    n = cupsAddOption("media", doc.settings.dmFormName[0] ? doc.settings.dmFormName : "A4", n,
                      &options);
    std::string title = Cp1252ToUtf8(doc.name);
    std::string name = doc.printer, instance;
    if (size_t slash = name.find('/'); slash != std::string::npos) name.resize(slash);
    int job = cupsPrintFile(name.c_str(), path, title.c_str(), n, options);
    cupsFreeOptions(n, options);
    ::unlink(path);
    if (job <= 0) {
      *error = queueError();
      return false;
    }
    *note = "An Drucker " + doc.printer +
            " \xFC"
            "bergeben";
    if (queueStopped(doc.printer)) *note += " (Drucker angehalten)";
    return true;
  }

  // The layer's error code for a failed file operation.
  static DWORD fileError(int err) {
    switch (err) {
      case EACCES:
      case EPERM:
      case EROFS:
        return ERROR_ACCESS_DENIED;
      case ENOENT:
      case ENOTDIR:
      case EEXIST:
        return ERROR_PATH_NOT_FOUND;
      case ENOSPC:
      case EDQUOT:
        return ERROR_DISK_FULL;
      default:
        return ERROR_OPEN_FAILED;
    }
  }

  // Writes the whole text; false with *error set when a write fails (a
  // test's write budget, support/utfault.h, stands in for a full disk).
  static bool writeAll(int fd, const std::string& data, DWORD* error) {
    size_t written = 0;
    while (written < data.size()) {
      auto chunk = static_cast<size_t>(UtFaultWriteRoom(static_cast<long long>(data.size() - written)));
      if (chunk == 0) {
        *error = ERROR_DISK_FULL;
        return false;
      }
      ssize_t n = ::write(fd, data.data() + written, chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        *error =
            n < 0 && (errno == ENOSPC || errno == EDQUOT) ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
        return false;
      }
      written += static_cast<size_t>(n);
    }
    return true;
  }

  static std::filesystem::path fileFolder() {
    const std::string& f = PrGetSettings().fileFolder;
    return f.empty() ? std::filesystem::path(".") : std::filesystem::path(f);
  }

  // At the start of a document the file printer makes its folder and
  // creates the document's file under a temporary name in it, so that a
  // folder it cannot write to fails before anything is drawn.
  static bool createSpoolFile(PrDocument& doc, DWORD* error) {
    namespace fs = std::filesystem;
    fs::path folder = fileFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::error_code statEc;
    if (!fs::is_directory(folder, statEc)) {
      *error = fileError(ec ? ec.value() : statEc ? statEc.value() : ENOTDIR);
      return false;
    }
    static unsigned serial = 0;
    for (int tries = 0; tries < 100; ++tries) {
      fs::path spool = folder / (".zolma-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(++serial) + ".tmp");
      int fd = ::open(spool.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        ::close(fd);
        doc.spoolFile = spool.string();
        return true;
      }
      if (errno != EEXIST) {
        *error = fileError(errno);
        return false;
      }
    }
    *error = ERROR_OPEN_FAILED;
    return false;
  }

  static std::string fileStem(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
      bool keep =
          (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
      if (keep)
        out += static_cast<char>(c);
      else if (!out.empty() && out.back() != '_')
        out += '_';
    }
    while (!out.empty() && out.back() == '_') out.pop_back();
    return out.empty() ? "Druck" : out;
  }

  // Writes the PDF into the temporary file, then gives it its name: the
  // document's name and the time, with "-2", "-3", ... when that file
  // exists. An existing file is never replaced, and a failure leaves no
  // file behind.
  bool toFolder(PrDocument& doc, const std::string& pdf, DWORD* error, std::string* note) {
    namespace fs = std::filesystem;
    if (doc.spoolFile.empty()) {
      *error = ERROR_OPEN_FAILED;
      return false;
    }
    int fd = ::open(doc.spoolFile.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
      *error = fileError(errno);
      discard(doc);
      return false;
    }
    bool ok = writeAll(fd, pdf, error);
    if (ok && ::fsync(fd) != 0) {
      ok = false;
      *error = fileError(errno);
    }
    if (::close(fd) != 0 && ok) {
      ok = false;
      *error = ERROR_WRITE_FAULT;
    }
    if (!ok) {
      discard(doc);
      return false;
    }
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string base = fileStem(doc.name) + "-" + stamp;
    fs::path folder = fileFolder();
    for (int i = 1; i < 1000; ++i) {
      fs::path path = folder / (i == 1 ? base + ".pdf" : base + "-" + std::to_string(i) + ".pdf");
      if (!claim(doc.spoolFile, path, error)) {
        if (*error == ERROR_ALREADY_EXISTS) continue;
        discard(doc);
        return false;
      }
      doc.spoolFile.clear();
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
      g_lastFile = path.string();
#endif
      *note = (doc.serviceGone ? "Drucksystem nicht erreichbar - gedruckt: " : "Gedruckt: ") +
              Utf8ToCp1252(path.string());
      return true;
    }
    discard(doc);
    *error = ERROR_OPEN_FAILED;
    return false;
  }

  // Renames the temporary file to `path` unless that exists: true when
  // done; false with ERROR_ALREADY_EXISTS, or another error.
  static bool claim(const std::string& spool, const std::filesystem::path& path, DWORD* error) {
    if (::link(spool.c_str(), path.c_str()) == 0) {
      ::unlink(spool.c_str());
      return true;
    }
    if (errno == EEXIST) {
      *error = ERROR_ALREADY_EXISTS;
      return false;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) {
      *error = fileError(errno);
      return false;
    }
    // A file system without hard links: rename after a look.
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
      *error = ERROR_ALREADY_EXISTS;
      return false;
    }
    if (::rename(spool.c_str(), path.c_str()) != 0) {
      *error = fileError(errno);
      return false;
    }
    return true;
  }

  std::map<std::string, Face> faces_;
  bool serviceGone_ = false;  // a print service set up was not reached when last asked
  bool reached_ = false;      // a print service answered in this run
};

}  // namespace

std::unique_ptr<PrBackend> PrMakeRealBackend() { return std::make_unique<CairoBackend>(); }

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
std::string PrLastFileWritten() { return g_lastFile; }
#endif
