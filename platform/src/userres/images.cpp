// Bitmaps, icons and cursors made from a module's resources.
#include <win/userres.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <win/fileapi.h>
#include <win/kernel.h>
#include <win/resource.h>

#include "kx2/ErrorBoundary.h"
#include "gdi/GdiObjects.h"

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The bytes of a resource, or null with the resource error set.
const uint8_t* ResourceBytes(HINSTANCE module, LPCWSTR name, LPCWSTR type, DWORD* size) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  *size = bytes ? SizeofResource(module, found) : 0;
  return bytes;
}

WORD Word(const uint8_t* p) { return static_cast<WORD>(p[0] | p[1] << 8); }

int Desired(int value) { return value > 0 ? value : 32; }

// The entries of an icon or cursor directory that fit in `size` bytes (unknown: large).
int BestEntry(const uint8_t* dir, size_t size, BOOL fIcon, int cx, int cy) {
  if (!dir || size < 6 || Word(dir) != 0 || Word(dir + 2) != (fIcon ? 1 : 2)) return 0;
  const size_t count = Word(dir + 4);
  if (size < 6 + count * 14) return 0;
  cx = Desired(cx), cy = Desired(cy);
  int best = 0;
  long bestDistance = 0;
  int bestBits = -1;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = dir + 6 + i * 14;
    int w, h, bits;
    if (fIcon) {
      w = e[0] ? e[0] : 256;
      h = e[1] ? e[1] : 256;
      bits = Word(e + 6);
    } else {
      w = Word(e);
      h = Word(e + 2) / 2;  // a cursor's height counts its mask
      bits = Word(e + 6);
    }
    const long distance = std::labs(static_cast<long>(w) - cx) + std::labs(static_cast<long>(h) - cy);
    if (best == 0 || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
      best = Word(e + 12);
      bestDistance = distance;
      bestBits = bits;
    }
  }
  return best;
}

HICON MakeIcon(const uint8_t* bits, size_t size, BOOL fIcon) {
  auto icon = std::make_shared<kx2::gdi::IconImage>();
  icon->isIcon = fIcon != FALSE;
  if (!fIcon) {
    if (size < 4) return nullptr;
    icon->hotSpot = {Word(bits), Word(bits + 2)};
    bits += 4, size -= 4;
  }
  if (size >= 24 && std::memcmp(bits, kPngSignature, 8) == 0) {
    // IHDR: width and height, big-endian, right after the signature and chunk header.
    icon->width = static_cast<int>(bits[16] << 24 | bits[17] << 16 | bits[18] << 8 | bits[19]);
    icon->height = static_cast<int>(bits[20] << 24 | bits[21] << 16 | bits[22] << 8 | bits[23]);
  } else {
    BITMAPINFOHEADER header;
    if (!kx2::gdi::ParseDib(bits, size, true, &header)) return nullptr;
    icon->width = header.biWidth;
    icon->height = (header.biHeight < 0 ? -header.biHeight : header.biHeight) / 2;
  }
  icon->image.assign(bits, bits + size);
  return kx2::InsertHandle(icon);
}

HANDLE LoadIconOrCursor(HINSTANCE module, LPCWSTR name, BOOL fIcon, int cx, int cy) {
  DWORD size = 0;
  const uint8_t* dir = ResourceBytes(module, name, fIcon ? RT_GROUP_ICON : RT_GROUP_CURSOR, &size);
  if (!dir) return nullptr;
  const int id = BestEntry(dir, size, fIcon, cx, cy);
  if (id == 0) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  const uint8_t* bits = ResourceBytes(module, MAKEINTRESOURCEW(id), fIcon ? RT_ICON : RT_CURSOR, &size);
  if (!bits) return nullptr;
  HICON icon = MakeIcon(bits, size, fIcon);
  if (!icon) SetLastError(ERROR_INVALID_DATA);
  return icon;
}

// A file's bytes; false with the file error set. Files past 256 MB are refused as data no
// bitmap could need.
bool ReadWholeFile(LPCWSTR path, std::vector<uint8_t>* out) {
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0;
  if (ok && size.QuadPart > (256LL << 20)) {
    SetLastError(ERROR_INVALID_DATA);
    ok = false;
  }
  if (ok) {
    out->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = out->empty() ||
         (ReadFile(file, out->data(), static_cast<DWORD>(out->size()), &read, nullptr) && read == out->size());
  }
  CloseHandle(file);
  return ok;
}

uint32_t Dword(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// An .ico or .cur file: a directory of 16-byte entries (size, colours, planes or hot spot,
// bit count or hot spot, byte count, offset), each image a DIB with its mask or a PNG. The
// entry nearest the size asked for is made into an icon; every offset and size is checked
// against the file.
HANDLE IconFromFile(const std::vector<uint8_t>& file, BOOL fIcon, int cx, int cy) {
  const uint8_t* data = file.data();
  const size_t size = file.size();
  if (size < 6 || Word(data) != 0 || Word(data + 2) != (fIcon ? 1 : 2)) return nullptr;
  const size_t count = Word(data + 4);
  if (count == 0 || size < 6 + count * 16) return nullptr;
  cx = Desired(cx), cy = Desired(cy);
  const uint8_t* best = nullptr;
  long bestDistance = 0;
  int bestBits = -1;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = data + 6 + i * 16;
    const int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    const int bits = fIcon ? Word(e + 6) : 0;
    const long distance = std::labs(static_cast<long>(w) - cx) + std::labs(static_cast<long>(h) - cy);
    if (!best || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
      best = e;
      bestDistance = distance;
      bestBits = bits;
    }
  }
  const uint64_t bytes = Dword(best + 8), offset = Dword(best + 12);
  if (bytes == 0 || offset + bytes > size) return nullptr;
  std::vector<uint8_t> image;
  if (!fIcon) {
    // A cursor's resource form starts with its hot spot, which the file keeps in the entry.
    image.insert(image.end(), {best[4], best[5], best[6], best[7]});
  }
  image.insert(image.end(), data + offset, data + offset + bytes);
  return MakeIcon(image.data(), image.size(), fIcon);
}

}  // namespace

HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) {
  try {
    DWORD size = 0;
    const uint8_t* bytes = ResourceBytes(hInstance, lpBitmapName, RT_BITMAP, &size);
    if (!bytes) return nullptr;
    return kx2::gdi::BitmapFromPackedDib(bytes, size);
  } catch (...) {
    kx2::RecordCurrentException();
    return nullptr;
  }
}

namespace kx2::userres {
HCURSOR SystemCursor(WORD id);  // SystemCursors.cpp
}

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName) {
  if (!hInstance && IS_INTRESOURCE(lpCursorName))
    return kx2::userres::SystemCursor(static_cast<WORD>(reinterpret_cast<uintptr_t>(lpCursorName)));
  return LoadImageW(hInstance, lpCursorName, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE);
}

HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) {
  return LoadImageW(hInstance, lpIconName, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
}

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  if (fuLoad & LR_LOADFROMFILE) {
    if (type != IMAGE_BITMAP && type != IMAGE_ICON && type != IMAGE_CURSOR) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    try {
      std::vector<uint8_t> bytes;
      if (!ReadWholeFile(name, &bytes)) return nullptr;
      if (type == IMAGE_BITMAP)
        return kx2::gdi::BitmapFromBmpFile(bytes.data(), bytes.size(), cx, cy, (fuLoad & LR_CREATEDIBSECTION) != 0);
      HANDLE icon = IconFromFile(bytes, type == IMAGE_ICON, cx, cy);
      if (!icon) SetLastError(ERROR_INVALID_DATA);
      return icon;
    } catch (...) {
      kx2::RecordCurrentException();
      return nullptr;
    }
  }
  try {
    switch (type) {
      case IMAGE_BITMAP:
        return LoadBitmapW(hInst, name);
      case IMAGE_ICON:
        return LoadIconOrCursor(hInst, name, TRUE, cx, cy);
      case IMAGE_CURSOR:
        return LoadIconOrCursor(hInst, name, FALSE, cx, cy);
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
  } catch (...) {
    kx2::RecordCurrentException();
    return nullptr;
  }
}

int LookupIconIdFromDirectoryEx(PBYTE presbits, BOOL fIcon, int cxDesired, int cyDesired, UINT) {
  // No size is given: the directory's own count bounds the walk.
  return BestEntry(presbits, SIZE_MAX / 2, fIcon, cxDesired, cyDesired);
}

int LookupIconIdFromDirectory(PBYTE presbits, BOOL fIcon) {
  return LookupIconIdFromDirectoryEx(presbits, fIcon, 0, 0, LR_DEFAULTCOLOR);
}

HICON CreateIconFromResourceEx(PBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD, int, int, UINT) {
  try {
    HICON icon = presbits ? MakeIcon(presbits, dwResSize, fIcon) : nullptr;
    if (!icon) SetLastError(ERROR_INVALID_DATA);
    return icon;
  } catch (...) {
    kx2::RecordCurrentException();
    return nullptr;
  }
}

BOOL DestroyIcon(HICON hIcon) {
  if (!kx2::LookupHandleAs<kx2::gdi::IconImage>(hIcon)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  kx2::RemoveHandle(hIcon);
  return TRUE;
}

BOOL DestroyCursor(HCURSOR hCursor) { return DestroyIcon(hCursor); }

BOOL Kx2GetIconSize(HICON hIcon, int* cx, int* cy) {
  auto icon = kx2::LookupHandleAs<kx2::gdi::IconImage>(hIcon);
  if (!icon) return FALSE;
  if (cx) *cx = icon->width;
  if (cy) *cy = icon->height;
  return TRUE;
}
