// Reading dialog templates (both forms, see win/dialog.h) into a plain description that
// the dialog maker walks. The reader never reads past the bound it is given.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "win/types.h"

namespace kx2::user32 {

// A menu, class or title field: absent, an ordinal, or a text.
struct NameOrOrdinal {
  bool present = false;
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::u16string text;
};

struct DialogItemSpec {
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  NameOrOrdinal className;
  NameOrOrdinal title;
  // The creation data as the control receives it in lpCreateParams: the size word, then
  // the bytes (empty when there are none).
  std::vector<BYTE> creationData;
};

struct DialogSpec {
  bool extended = false;
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal className;
  std::u16string title;
  bool hasFont = false;
  WORD pointSize = 0;
  WORD weight = 0;
  BYTE italic = 0;
  BYTE charSet = 0;
  std::u16string face;
  std::vector<DialogItemSpec> items;
};

// size bounds the read (SIZE_MAX for a template trusted as Win32 trusts a pointer).
// False for a template that is cut short or malformed.
bool ReadDialogTemplate(const void* data, size_t size, DialogSpec* out);

// The class name of a predefined class ordinal (0x80 to 0x85); null for any other.
LPCWSTR PredefinedClassName(WORD ordinal);

}  // namespace kx2::user32
