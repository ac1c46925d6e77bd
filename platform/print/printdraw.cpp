// printdraw.cpp - the printing layer's emulated drawing: mapping modes
// and coordinates, paper sizes, fonts and their metrics, text, lines and
// bitmaps.
//
// Every drawing call works on a context of the handle tables (printstate.h)
// and adds its operation, in device dots beside the logical values passed,
// to the page being built; the backend measures the fonts. The bitmap
// resources that LoadBitmapA finds are registered here.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/print/printdev.h"
#include "platform/print/printstate.h"
#include "platform/print/winprint.h"

using prstate::adopt;
using prstate::Call;
using prstate::dcOf;
using prstate::fmt;
using prstate::nameOf;
using prstate::objectOf;
using prstate::quoted;
using prstate::selectedElsewhere;
using prstate::setLastError;

namespace {

// Resource ids stand below this bound in a resource name (MAKEINTRESOURCEA).
constexpr std::uintptr_t kResourceIdLimit = 0x10000;

PrModule g_module{0};
std::map<int, std::shared_ptr<const PrBitmapData>> g_bitmaps;

// ---- coordinates ----

double unitsPerInch(const PrDc& dc) {
  switch (dc.mapMode) {
    case MM_LOMETRIC:
      return 254.0;
    case MM_HIMETRIC:
      return 2540.0;
    case MM_LOENGLISH:
      return 100.0;
    case MM_HIENGLISH:
      return 1000.0;
    case MM_TWIPS:
      return 1440.0;
    default:
      return dc.dpi;
  }
}

bool flipsY(const PrDc& dc) { return dc.mapMode != MM_TEXT; }

double toDevX(const PrDc& dc, double x) { return x * dc.dpi / unitsPerInch(dc); }
double toDevY(const PrDc& dc, double y) {
  return (flipsY(dc) ? -y : y) * dc.dpi / unitsPerInch(dc);
}
double toLogX(const PrDc& dc, double x) { return x * unitsPerInch(dc) / dc.dpi; }
double toLogY(const PrDc& dc, double y) {
  return (flipsY(dc) ? -y : y) * unitsPerInch(dc) / dc.dpi;
}

// A font as realised in a context: its em in logical units and in dots.
struct Realised {
  PrFaceMetrics m;
  double emLog;
  double emDots;
};

Realised realise(const PrDc& dc, const PrGdiObject& font) {
  Realised r;
  r.m = PrCurrentBackend().metrics(font.font);
  double cell = r.m.ascent + r.m.descent;
  if (font.font.height < 0) {
    r.emLog = -static_cast<double>(font.font.height);
  } else if (font.font.height > 0) {
    r.emLog = font.font.height / (cell > 0 ? cell : 1.0);
  } else {
    // The device's own size: 12 points.
    r.emLog = toLogX(dc, dc.dpi / 6.0);
  }
  r.emDots = toDevX(dc, r.emLog);
  return r;
}

LONG roundL(double v) { return static_cast<LONG>(std::lround(v)); }

void fillMetrics(const Realised& r, const PrGdiObject& font, TEXTMETRICA* tm) {
  std::memset(tm, 0, sizeof *tm);
  tm->tmHeight = roundL(r.emLog * (r.m.ascent + r.m.descent));
  tm->tmAscent = roundL(r.emLog * r.m.ascent);
  tm->tmDescent = tm->tmHeight - tm->tmAscent;
  tm->tmInternalLeading = tm->tmHeight - roundL(r.emLog);
  tm->tmExternalLeading = 0;
  tm->tmAveCharWidth = roundL(r.emLog * r.m.aveWidth);
  tm->tmMaxCharWidth = roundL(r.emLog * r.m.maxWidth);
  tm->tmWeight = font.font.weight ? font.font.weight : FW_NORMAL;
  tm->tmDigitizedAspectX = kPrDotsPerInch;
  tm->tmDigitizedAspectY = kPrDotsPerInch;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = '?';
  tm->tmBreakChar = ' ';
  tm->tmItalic = font.font.italic;
  tm->tmUnderlined = font.font.underline;
  tm->tmStruckOut = font.font.strikeOut;
  tm->tmPitchAndFamily =
      static_cast<BYTE>((font.font.pitchAndFamily & 0xF0) | (r.m.fixedPitch ? 0 : 1) | 0x04);
  tm->tmCharSet = static_cast<BYTE>(font.font.charSet);
}

std::string textOf(LPCSTR text, int count) {
  if (!text) return "";
  if (count < 0) return text;
  return std::string(text, strnlen(text, static_cast<size_t>(count)));
}

// '&' marks an access key: it is dropped, "&&" stands for '&'.
std::string withoutPrefix(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += s[i];
  }
  return out;
}

}  // namespace

// ---- paper sizes and bitmap resources --------------------------------------------

bool PrPaperDots(short paper, int* width, int* height) {
  // Sizes in millimetres, portrait.
  double w, h;
  switch (paper) {
    case DMPAPER_A4:
      w = 210, h = 297;
      break;
    case DMPAPER_A5:
      w = 148, h = 210;
      break;
    case DMPAPER_A3:
      w = 297, h = 420;
      break;
    case DMPAPER_LETTER:
      w = 215.9, h = 279.4;
      break;
    default:
      return false;
  }
  *width = static_cast<int>(std::lround(w * kPrDotsPerInch / 25.4));
  *height = static_cast<int>(std::lround(h * kPrDotsPerInch / 25.4));
  return true;
}

double PrFitScale(int paperWidthDots, int paperHeightDots) {
  int a4w, a4h;
  PrPaperDots(DMPAPER_A4, &a4w, &a4h);
  double sx = static_cast<double>(paperWidthDots - 2 * kPrMarginDots) / (a4w - 2 * kPrMarginDots);
  double sy = static_cast<double>(paperHeightDots - 2 * kPrMarginDots) / (a4h - 2 * kPrMarginDots);
  return std::clamp(std::min(sx, sy), 0.0, 1.0);
}

void PrRegisterBitmap(int id, int width, int height, const std::uint32_t* pixels) {
  auto b = std::make_shared<PrBitmapData>();
  if (width > 0 && height > 0 && pixels) {
    b->width = width;
    b->height = height;
    b->pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
  }
  g_bitmaps[id] = b;
}

// ---- mapping modes and coordinates ------------------------------------------------

int SetMapMode(HDC h, int mode) {
  auto c = Call<int>::on("SetMapMode", h, fmt(", %d", mode));
  PrDc* dc = c.open(dcOf(h), 0);
  if (!dc) return c.answer();
  if (mode < MM_TEXT || mode > MM_TWIPS) return c.fail(ERROR_INVALID_PARAMETER, 0);
  int previous = dc->mapMode;
  dc->mapMode = mode;
  return c.ok(previous);
}

int GetMapMode(HDC h) {
  auto c = Call<int>::on("GetMapMode", h);
  PrDc* dc = c.open(dcOf(h), 0);
  if (!dc) return c.answer();
  return c.ok(dc->mapMode);
}

BOOL GetWindowExtEx(HDC h, SIZE* size) {
  auto c = Call<BOOL>::on("GetWindowExtEx", h);
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (!size) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  if (dc->mapMode == MM_TEXT || dc->memory) {
    size->cx = 1;
    size->cy = 1;
  } else {
    size->cx = roundL(toLogX(*dc, dc->paperW - 2 * kPrMarginDots));
    size->cy = roundL(toLogX(*dc, dc->paperH - 2 * kPrMarginDots));
  }
  return c.ok(TRUE, fmt(" -> %d %d", size->cx, size->cy));
}

namespace {

// The window and the viewport keep their origin at (0, 0).
BOOL zeroOrigin(const char* call, HDC h, POINT* origin) {
  auto c = Call<BOOL>::on(call, h);
  if (!c.open(dcOf(h), FALSE)) return c.answer();
  if (!origin) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  *origin = POINT{0, 0};
  return c.ok(TRUE);
}

}  // namespace

BOOL GetWindowOrgEx(HDC h, POINT* origin) {
  return zeroOrigin("GetWindowOrgEx", h, origin);
}

BOOL GetViewportOrgEx(HDC h, POINT* origin) {
  return zeroOrigin("GetViewportOrgEx", h, origin);
}

namespace {

BOOL convertPoints(const char* call, HDC h, POINT* points, int count, bool toLogical) {
  auto c = Call<BOOL>::on(call, h, fmt(", %d", count));
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (!points || count < 0) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  for (int i = 0; i < count; ++i) {
    POINT& p = points[i];
    if (toLogical) {
      p = POINT{roundL(toLogX(*dc, p.x)), roundL(toLogY(*dc, p.y))};
    } else {
      p = POINT{roundL(toDevX(*dc, p.x)), roundL(toDevY(*dc, p.y))};
    }
  }
  return c.ok(TRUE, count > 0 ? fmt(" -> (%d, %d)", points[0].x, points[0].y) : std::string());
}

}  // namespace

BOOL DPtoLP(HDC h, POINT* points, int count) {
  return convertPoints("DPtoLP", h, points, count, true);
}
BOOL LPtoDP(HDC h, POINT* points, int count) {
  return convertPoints("LPtoDP", h, points, count, false);
}

// ---- fonts and text ------------------------------------------------------------------

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
  Call<HFONT> c("CreateFontA",
                fmt("%d, %d, %d, %d, %d, %u, %u, %u, %u, %u, 0x%x, %u, 0x%x, %s", height, width,
                    escapement, orientation, weight, static_cast<unsigned>(italic),
                    static_cast<unsigned>(underline), static_cast<unsigned>(strikeOut),
                    static_cast<unsigned>(charSet), static_cast<unsigned>(outPrecision),
                    static_cast<unsigned>(clipPrecision), static_cast<unsigned>(quality),
                    static_cast<unsigned>(pitchAndFamily), quoted(face).c_str()));
  if (!c.open()) return c.answer();
  if (weight < 0 || weight > 1000) return c.fail(ERROR_INVALID_PARAMETER, nullptr);
  auto* f = new PrGdiObject{PrGdiObject::Kind::Font, false,
                            PrFontDesc{height, weight, italic != 0, underline != 0, strikeOut != 0,
                                       charSet, pitchAndFamily, face ? face : ""},
                            nullptr};
  return c.made(f, adopt(f, "font"));
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ object) {
  Call<HGDIOBJ> c("SelectObject", fmt("%s, %s", nameOf(h).c_str(), nameOf(object).c_str()));
  if (!c.open()) return c.answer();
  PrDc* dc = dcOf(h);
  PrGdiObject* o = objectOf(object);
  if (!dc || !o) return c.fail(ERROR_INVALID_HANDLE, nullptr);
  HGDIOBJ previous;
  if (o->kind == PrGdiObject::Kind::Font) {
    previous = dc->font;
    dc->font = o;
  } else {
    // A bitmap goes into one memory context at a time.
    if (!dc->memory || (!o->stock && selectedElsewhere(dc, o)))
      return c.fail(ERROR_INVALID_PARAMETER, nullptr);
    previous = dc->bitmap;
    dc->bitmap = o;
  }
  return c.made(previous, nameOf(previous));
}

BOOL GetTextMetricsA(HDC h, TEXTMETRICA* metrics) {
  auto c = Call<BOOL>::on("GetTextMetricsA", h);
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (!metrics) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  fillMetrics(realise(*dc, *dc->font), *dc->font, metrics);
  return c.ok(TRUE, fmt(" (%s) -> height %d", nameOf(dc->font).c_str(), metrics->tmHeight));
}

BOOL GetTextExtentPointA(HDC h, LPCSTR text, int count, SIZE* size) {
  std::string s = textOf(text, count);
  auto c = Call<BOOL>::on("GetTextExtentPointA", h, fmt(", %s, %d", quoted(s.c_str()).c_str(), count));
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (!text || !size || count < 0) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  Realised r = realise(*dc, *dc->font);
  TEXTMETRICA tm;
  fillMetrics(r, *dc->font, &tm);
  size->cx = roundL(r.emLog * PrCurrentBackend().advance(dc->font->font, s));
  size->cy = tm.tmHeight;
  return c.ok(TRUE, fmt(" -> %d %d", size->cx, size->cy));
}

COLORREF SetTextColor(HDC h, COLORREF color) {
  auto c = Call<COLORREF>::on("SetTextColor", h, fmt(", 0x%06x", static_cast<unsigned>(color)));
  PrDc* dc = c.open(dcOf(h), CLR_INVALID);
  if (!dc) return c.answer();
  COLORREF previous = dc->color;
  dc->color = color & 0xFFFFFFu;
  return c.ok(previous);
}

COLORREF GetTextColor(HDC h) {
  auto c = Call<COLORREF>::on("GetTextColor", h);
  PrDc* dc = c.open(dcOf(h), CLR_INVALID);
  if (!dc) return c.answer();
  return c.ok(dc->color);
}

int DrawTextA(HDC h, LPCSTR text, int count, RECT* rect, UINT format) {
  std::string s = textOf(text, count);
  auto c = Call<int>::on("DrawTextA", h,
                         fmt(", %s, %d, (%d, %d, %d, %d), 0x%x", quoted(s.c_str()).c_str(), count,
                             rect ? rect->left : 0, rect ? rect->top : 0, rect ? rect->right : 0,
                             rect ? rect->bottom : 0, format));
  PrDc* dc = c.open(dcOf(h), 0);
  if (!dc) return c.answer();
  if (!text || !rect || dc->memory || !dc->inPage) return c.fail(ERROR_INVALID_PARAMETER, 0);
  if (!(format & DT_NOPREFIX)) s = withoutPrefix(s);
  Realised r = realise(*dc, *dc->font);
  TEXTMETRICA tm;
  fillMetrics(r, *dc->font, &tm);
  PrTextOp op;
  op.font = dc->font->font;
  op.resolvedFamily = r.m.resolvedFamily;
  op.x = rect->left;
  op.y = rect->top;
  op.dx = toDevX(*dc, rect->left);
  op.dy = toDevY(*dc, rect->top);
  op.emDots = r.emDots;
  op.ascentDots = r.emDots * r.m.ascent;
  op.text = s;
  op.color = dc->color;
  dc->doc->pages.back().ops.emplace_back(std::move(op));
  return c.ok(static_cast<int>(tm.tmHeight));
}

BOOL MoveToEx(HDC h, int x, int y, POINT* previous) {
  auto c = Call<BOOL>::on("MoveToEx", h, fmt(", %d, %d", x, y));
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (previous) *previous = dc->pos;
  dc->pos = POINT{x, y};
  return c.ok(TRUE);
}

BOOL LineTo(HDC h, int x, int y) {
  auto c = Call<BOOL>::on("LineTo", h, fmt(", %d, %d", x, y));
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (dc->memory || !dc->inPage) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  PrLineOp op{dc->pos.x,      dc->pos.y,     x, y, toDevX(*dc, dc->pos.x), toDevY(*dc, dc->pos.y),
              toDevX(*dc, x), toDevY(*dc, y)};
  dc->doc->pages.back().ops.emplace_back(op);
  dc->pos = POINT{x, y};
  return c.ok(TRUE);
}

// ---- bitmaps -----------------------------------------------------------------------

HINSTANCE GetModuleHandleA(LPCSTR name) {
  if (name) {
    setLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return &g_module;
}

HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) {
  auto id = reinterpret_cast<std::uintptr_t>(name);
  Call<HBITMAP> c("LoadBitmapA",
                  id < kResourceIdLimit ? fmt("module, #%u", static_cast<unsigned>(id)) : quoted(name));
  if (!c.open()) return c.answer();
  if (module != &g_module || id >= kResourceIdLimit) return c.fail(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
  auto it = g_bitmaps.find(static_cast<int>(id));
  if (it == g_bitmaps.end() || it->second->width <= 0)
    return c.fail(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
  auto* b = new PrGdiObject{PrGdiObject::Kind::Bitmap, false, PrFontDesc{}, it->second};
  return c.made(b, adopt(b, "bitmap"));
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
  auto c = Call<int>::on("GetObjectA", object, fmt(", %d", size));
  PrGdiObject* o = c.open(objectOf(object), 0);
  if (!o) return c.answer();
  if (o->kind != PrGdiObject::Kind::Bitmap || !o->bitmap || !out ||
      size < static_cast<int>(sizeof(BITMAP)))
    return c.fail(ERROR_INVALID_PARAMETER, 0);
  BITMAP bm{0,  o->bitmap->width, o->bitmap->height, ((o->bitmap->width * 24 + 31) / 32) * 4, 1,
            24, nullptr};
  std::memcpy(out, &bm, sizeof bm);
  return c.ok(static_cast<int>(sizeof bm), fmt(" -> %d x %d", bm.bmWidth, bm.bmHeight));
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                DWORD rop) {
  auto c = Call<BOOL>::on("StretchBlt", dst,
                          fmt(", %d, %d, %d, %d, %s, %d, %d, %d, %d, 0x%x", x, y, w, h,
                              nameOf(src).c_str(), xs, ys, ws, hs, static_cast<unsigned>(rop)));
  PrDc* s = dcOf(src);
  PrDc* d = c.open(s ? dcOf(dst) : nullptr, FALSE);
  if (!d) return c.answer();
  if (rop != SRCCOPY || d->memory || !d->inPage || !s->memory || !s->bitmap || !s->bitmap->bitmap)
    return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  PrBitmapOp op;
  op.bitmap = s->bitmap->bitmap;
  op.x = x, op.y = y, op.w = w, op.h = h;
  op.dx = toDevX(*d, x);
  op.dy = toDevY(*d, y);
  op.dw = toDevX(*d, x + w) - op.dx;
  op.dh = toDevY(*d, y + h) - op.dy;
  op.sx = toDevX(*s, xs);
  op.sy = toDevY(*s, ys);
  op.sw = toDevX(*s, xs + ws) - op.sx;
  op.sh = toDevY(*s, ys + hs) - op.sy;
  d->doc->pages.back().ops.emplace_back(std::move(op));
  return c.ok(TRUE);
}
