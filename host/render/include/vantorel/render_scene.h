// The engine road of `vantorel render`: a laid-out scene handed to the presentation engine
// the way the host does (engine, designer, canvas, palette, objects and sketches, a context
// on a memory DC, view, paint, detach, free) and the picture written as PNG.
#pragma once

#include <cmath>
#include <string>

#include <vantorel/render_layout.h>

namespace vantorel::cli {

inline constexpr double kEmuPerHost = 127.0;  // 12,700 EMU a point, hundredths of a point
inline constexpr int kMarginPixels = 16;

// Where model coordinates (hundredths of a point) land on the picture.
struct PixelMap {
  double minX = 0, minY = 0;  // EMU: the engine's extents
  double scale = 1;           // pixels per EMU
  double X(double host) const { return (host * kEmuPerHost - minX) * scale + kMarginPixels; }
  double Y(double host) const { return (host * kEmuPerHost - minY) * scale + kMarginPixels; }
};

struct SyncCounts {
  int topics = 0, branches = 0, relationships = 0, boundaries = 0;
};

struct PaintRequest {
  int dpi = 96;
  std::string png;      // empty: painted, not written
  std::string svg;      // empty: no SVG
  int maxSide = 32767;  // larger pictures are refused before anything is allocated
};

struct Painted {
  int width = 0, height = 0;
  SyncCounts counts;
  PixelMap map;
  bool leaks = false;       // GDI objects or Luminar handles left alive
  double paintSeconds = 0;  // the PaintView call alone
};

// Measures every topic's text in its style and lays the scene out.
void MeasureAndLayOut(MapScene* scene);
// 0 painted (and written); 1 the engine failed or the picture is too large; 2 the PNG or the
// SVG cannot be written. `error` says why (or names what leaked, with `leaks` set).
int PaintScene(const MapScene& scene, const PaintRequest& request, Painted* out, std::string* error);

}  // namespace vantorel::cli
