// A folder skin written by a test: its INI lines and plain 24-bit bitmaps, in a folder of
// its own under the test's temporary folder, written by the same writer as the demo skin.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <win/gdi.h>

#include "ornatex/schema/skin_writer.h"

namespace ornatex_test {

class SkinFolder {
 public:
  explicit SkinFolder(const std::string& name) : writer_(TempFolder() + "/" + name) {}
  // The folder as the skin's code names it.
  std::u16string Path() const { return writer_.WindowsPath(); }
  std::string PosixPath() const { return writer_.Folder(); }

  void Write(const std::vector<std::u16string>& lines, const std::string& ini = "skin.ini") const {
    writer_.WriteIni(lines, ini);
  }
  // A bitmap whose pixel at (x, y) is colour(x, y).
  void WriteBitmap(const std::string& name, int width, int height,
                   const std::function<COLORREF(int, int)>& colour) const {
    writer_.WriteBitmap(name, width, height, colour);
  }
  void WriteBitmap(const std::string& name, int width, int height, COLORREF colour) const {
    WriteBitmap(name, width, height, [colour](int, int) { return colour; });
  }

 private:
  static std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
  }
  CKtkSkinFolderWriter writer_;
};

}  // namespace ornatex_test
