// Resource modules made by the toolkit's tests: the bytes of a few resource kinds, and a
// container written to a folder and loaded as data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <kx2/ResourceContainer.h>
#include <win/module.h>

#include "toolkit_support.h"

namespace ktk_test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void Put32(Bytes& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
inline void PutText(Bytes& v, const std::u16string& s) {
  for (char16_t c : s) Put16(v, c);
  Put16(v, 0);
}

// A 32-bit DIB of w x h; with `mask` the height counts an icon's AND mask too.
inline Bytes Dib(int w, int h, bool mask = false) {
  Bytes v;
  Put32(v, 40);
  Put32(v, static_cast<uint32_t>(w));
  Put32(v, static_cast<uint32_t>(mask ? 2 * h : h));
  Put16(v, 1);
  Put16(v, 32);
  for (int i = 0; i < 6; ++i) Put32(v, 0);
  v.resize(v.size() + static_cast<size_t>(w * h * 4), 0x40);
  if (mask) v.resize(v.size() + static_cast<size_t>(((w + 31) / 32) * 4 * h), 0);
  return v;
}

// One string-table block: texts[i] is string (block - 1) * 16 + i.
inline Bytes StringBlock(const std::vector<std::u16string>& texts) {
  std::u16string all[16];
  for (size_t i = 0; i < texts.size() && i < 16; ++i) all[i] = texts[i];
  return kx2::rsrc::ContainerWriter::StringBlock(all);
}

// A menu of one item.
inline Bytes OneItemMenu(const std::u16string& caption, uint16_t id) {
  Bytes v;
  Put16(v, 0), Put16(v, 0), Put16(v, 0x80), Put16(v, id), PutText(v, caption);
  return v;
}

// An icon (or cursor) group with one w x w image of the given id.
inline Bytes IconGroup(int w, uint16_t imageId, bool cursor = false) {
  Bytes v;
  Put16(v, 0), Put16(v, cursor ? 2 : 1), Put16(v, 1);
  if (cursor) {
    Put16(v, static_cast<uint32_t>(w)), Put16(v, static_cast<uint32_t>(2 * w));
  } else {
    v.push_back(static_cast<uint8_t>(w)), v.push_back(static_cast<uint8_t>(w)), v.push_back(0), v.push_back(0);
  }
  Put16(v, 1), Put16(v, 32), Put32(v, 0), Put16(v, imageId);
  return v;
}

// Writes the container and loads it as data (FreeLibrary it when done).
inline HMODULE MakeModule(const TempFolder& folder, const std::string& name, const kx2::rsrc::ContainerWriter& writer) {
  folder.WriteFile(name, writer.Build());
  return LoadLibraryExW(folder.Windows(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

}  // namespace ktk_test
