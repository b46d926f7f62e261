// Metafiles: recording into a Cairo recording surface, and our EMF and WMF reader (the
// header, raster records and the basic pen, brush and shape records; others are skipped)
// and writer (a header, one raster record, the end record).
#pragma once

#include "Object.h"

namespace luminar {

void RecordingBounds(const Image& img, double* x, double* y, double* w, double* h);
// Fills img from EMF or WMF bytes; false when the bytes are neither or are damaged.
bool LoadMetafile(Image* img, const uint8_t* data, size_t size);
bool SaveMetafile(const Image& img, LPCWSTR path, bool enhanced);

}  // namespace luminar
