// GIF through giflib: the first frame on the logical screen; writing picks an exact
// palette when the picture has at most 256 colours, else GifQuantizeBuffer's.
#include <gif_lib.h>

#include <cstring>
#include <map>

#include "Codec.h"

namespace kx2::imaging {
namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* buffer, int count) {
  Reader* r = static_cast<Reader*>(gif->UserData);
  const size_t n = std::min(size_t(count), r->size - r->at);
  memcpy(buffer, r->data + r->at, n);
  r->at += n;
  return int(n);
}

int WriteBytes(GifFileType* gif, const GifByteType* buffer, int count) {
  static_cast<std::vector<uint8_t>*>(gif->UserData)
      ->insert(static_cast<std::vector<uint8_t>*>(gif->UserData)->end(), buffer, buffer + count);
  return count;
}

struct GifCloser {
  GifFileType* gif;
  ~GifCloser() {
    int error;
    if (gif) DGifCloseFile(gif, &error);
  }
};

}  // namespace

bool DecodeGif(const uint8_t* data, size_t size, Picture* out) {
  Reader reader{data, size};
  int error = 0;
  GifCloser closer{DGifOpen(&reader, ReadBytes, &error)};
  GifFileType* gif = closer.gif;
  if (!gif) return false;
  if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) return false;
  const SavedImage& frame = gif->SavedImages[0];
  const GifImageDesc& d = frame.ImageDesc;
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  if (!map || !frame.RasterBits || d.Width <= 0 || d.Height <= 0) return false;
  const long long w = gif->SWidth > 0 ? gif->SWidth : d.Width, h = gif->SHeight > 0 ? gif->SHeight : d.Height;
  if (!out->Allocate(w, h)) return false;
  GraphicsControlBlock gcb;
  gcb.TransparentColor = NO_TRANSPARENT_COLOR;
  DGifSavedExtensionToGCB(gif, 0, &gcb);
  out->hasAlpha = gcb.TransparentColor != NO_TRANSPARENT_COLOR;
  // Outside the first frame the screen is clear (transparent when the frame has a
  // transparent colour, else the background colour).
  uint32_t clear = 0;
  if (!out->hasAlpha && gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
    const GifColorType c = gif->SColorMap->Colors[gif->SBackGroundColor];
    clear = 0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
  }
  for (int y = 0; y < out->height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(out->Row(y));
    for (int x = 0; x < out->width; ++x) row[x] = clear;
  }
  for (int y = 0; y < d.Height; ++y) {
    const long long ty = (long long)d.Top + y;
    if (ty < 0 || ty >= out->height) continue;
    uint8_t* row = out->Row(int(ty));
    for (int x = 0; x < d.Width; ++x) {
      const long long tx = (long long)d.Left + x;
      if (tx < 0 || tx >= out->width) continue;
      const int index = frame.RasterBits[size_t(y) * size_t(d.Width) + size_t(x)];
      uint8_t* p = row + tx * 4;
      if (index == gcb.TransparentColor || index >= map->ColorCount) {
        p[0] = p[1] = p[2] = p[3] = 0;
        continue;
      }
      const GifColorType c = map->Colors[index];
      p[0] = c.Blue, p[1] = c.Green, p[2] = c.Red, p[3] = 255;
    }
  }
  return true;
}

bool EncodeGif(const PixelsView& in, std::vector<uint8_t>* out) {
  const size_t count = size_t(in.width) * size_t(in.height);
  std::vector<GifByteType> indices(count);
  std::vector<GifColorType> colours;
  int transparent = -1;
  // An exact palette when the colours fit in 256 (a transparent pixel takes one entry).
  std::map<uint32_t, int> palette;
  bool exact = true;
  for (int y = 0; y < in.height && exact; ++y) {
    const uint8_t* p = in.Row(y);
    for (int x = 0; x < in.width; ++x, p += 4) {
      const bool clear = in.withAlpha && p[3] < 128;
      const uint32_t key = clear ? 0x1000000u : (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
      auto it = palette.find(key);
      if (it == palette.end()) {
        if (palette.size() == 256) {
          exact = false;
          break;
        }
        it = palette.emplace(key, int(palette.size())).first;
        colours.push_back(clear ? GifColorType{0, 0, 0} : GifColorType{p[2], p[1], p[0]});
        if (clear) transparent = it->second;
      }
      indices[size_t(y) * size_t(in.width) + size_t(x)] = GifByteType(it->second);
    }
  }
  if (!exact) {
    std::vector<GifByteType> r(count), g(count), b(count);
    for (int y = 0; y < in.height; ++y) {
      const uint8_t* p = in.Row(y);
      for (int x = 0; x < in.width; ++x, p += 4) {
        const size_t i = size_t(y) * size_t(in.width) + size_t(x);
        r[i] = p[2], g[i] = p[1], b[i] = p[0];
      }
    }
    int mapSize = in.withAlpha ? 255 : 256;
    colours.assign(256, GifColorType{0, 0, 0});
    if (GifQuantizeBuffer(unsigned(in.width), unsigned(in.height), &mapSize, r.data(), g.data(), b.data(),
                          indices.data(), colours.data()) != GIF_OK)
      return false;
    transparent = -1;
    if (in.withAlpha) {
      transparent = 255;
      for (int y = 0; y < in.height; ++y) {
        const uint8_t* p = in.Row(y);
        for (int x = 0; x < in.width; ++x, p += 4)
          if (p[3] < 128) indices[size_t(y) * size_t(in.width) + size_t(x)] = 255;
      }
    }
  }
  int bits = 1;
  while ((1 << bits) < int(colours.size())) ++bits;
  colours.resize(size_t(1) << bits, GifColorType{0, 0, 0});
  ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
  if (!map) return false;
  int error = 0;
  GifFileType* gif = EGifOpen(out, WriteBytes, &error);
  if (!gif) {
    GifFreeMapObject(map);
    return false;
  }
  bool ok = EGifPutScreenDesc(gif, in.width, in.height, bits, 0, map) == GIF_OK;
  if (ok && transparent >= 0) {
    GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, transparent};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, in.width, in.height, false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < in.height; ++y)
    ok = EGifPutLine(gif, indices.data() + size_t(y) * size_t(in.width), in.width) == GIF_OK;
  if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
  GifFreeMapObject(map);
  return ok;
}

}  // namespace kx2::imaging
