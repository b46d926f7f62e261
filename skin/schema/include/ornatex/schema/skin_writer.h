// Writes a skin in folder form: its INI text and its images. The demo skin and the tests'
// own skins are made through it, so every generated skin is written one way.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <win/types.h>

#include "ornatex/export.h"

class ORNATEX_API CKtkSkinFolderWriter {
 public:
  // The folder is a path of this machine; it is made, with its parents, when missing.
  explicit CKtkSkinFolderWriter(std::string folder);

  const std::string& Folder() const { return folder_; }
  // The folder as the skin's reader names it.
  std::u16string WindowsPath() const;

  // Names inside the folder may hold sub-folders, with "/" or "\" between them; the
  // sub-folders are made as needed. Each write answers false when the file could not be
  // written whole.

  // The lines in UTF-8, each ended by CR LF.
  bool WriteIni(const std::vector<std::u16string>& lines, const std::string& name) const;
  // A bottom-up 24-bit BMP file whose pixel at (x, y) is colour(x, y).
  bool WriteBitmap(const std::string& name, int width, int height,
                   const std::function<COLORREF(int, int)>& colour) const;
  // A PNG file with alpha whose pixel at (x, y) is argb(x, y) (0xAARRGGBB, straight alpha).
  bool WritePng(const std::string& name, int width, int height, const std::function<uint32_t(int, int)>& argb) const;

 private:
  // The file's path on this machine, its folders made.
  std::string Prepare(const std::string& name) const;

  std::string folder_;
};
