// _wsplitpath and _wmakepath with the Microsoft runtime's rules.
#include <cerrno>
#include <string>

#include "kx2/Utf.h"
#include "win/crt.h"

namespace {

struct Parts {
  std::u16string_view drive, dir, fname, ext;
};

Parts Split(std::u16string_view path) {
  Parts p;
  if (path.size() >= 2 && path[1] == u':') {
    p.drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  size_t slash = path.find_last_of(u"\\/");
  if (slash != std::u16string_view::npos) {
    p.dir = path.substr(0, slash + 1);
    path.remove_prefix(slash + 1);
  }
  size_t dot = path.find_last_of(u'.');
  if (dot != std::u16string_view::npos) {
    p.fname = path.substr(0, dot);
    p.ext = path.substr(dot);
  } else {
    p.fname = path;
  }
  return p;
}

void CopyCut(char16_t* dst, size_t size, std::u16string_view src) {
  if (dst) kx2::CopyTo16(dst, size, src);
}

std::u16string Make(const char16_t* drive, const char16_t* dir, const char16_t* fname, const char16_t* ext) {
  std::u16string out;
  if (drive && *drive) {
    out.push_back(drive[0]);
    out.push_back(u':');
  }
  if (dir && *dir) {
    out += dir;
    if (out.back() != u'\\' && out.back() != u'/') out.push_back(u'\\');
  }
  if (fname) out += fname;
  if (ext && *ext) {
    if (*ext != u'.') out.push_back(u'.');
    out += ext;
  }
  return out;
}

}  // namespace

void _wsplitpath(const char16_t* path, char16_t* drive, char16_t* dir, char16_t* fname, char16_t* ext) {
  if (!path) {
    errno = EINVAL;
    return;
  }
  Parts p = Split(kx2::View16(path));
  CopyCut(drive, _MAX_DRIVE, p.drive);
  CopyCut(dir, _MAX_DIR, p.dir);
  CopyCut(fname, _MAX_FNAME, p.fname);
  CopyCut(ext, _MAX_EXT, p.ext);
}

errno_t _wsplitpath_s(const char16_t* path, char16_t* drive, size_t driveSize, char16_t* dir, size_t dirSize,
                      char16_t* fname, size_t fnameSize, char16_t* ext, size_t extSize) {
  auto badPair = [](char16_t* b, size_t n) { return (b && n == 0) || (!b && n != 0); };
  auto clear = [&] {
    if (drive && driveSize) drive[0] = 0;
    if (dir && dirSize) dir[0] = 0;
    if (fname && fnameSize) fname[0] = 0;
    if (ext && extSize) ext[0] = 0;
  };
  if (!path || badPair(drive, driveSize) || badPair(dir, dirSize) || badPair(fname, fnameSize) ||
      badPair(ext, extSize)) {
    clear();
    return errno = EINVAL;
  }
  Parts p = Split(kx2::View16(path));
  if ((drive && p.drive.size() >= driveSize) || (dir && p.dir.size() >= dirSize) ||
      (fname && p.fname.size() >= fnameSize) || (ext && p.ext.size() >= extSize)) {
    clear();
    return errno = ERANGE;
  }
  CopyCut(drive, driveSize, p.drive);
  CopyCut(dir, dirSize, p.dir);
  CopyCut(fname, fnameSize, p.fname);
  CopyCut(ext, extSize, p.ext);
  return 0;
}

void _wmakepath(char16_t* path, const char16_t* drive, const char16_t* dir, const char16_t* fname,
                const char16_t* ext) {
  if (path) kx2::CopyTo16(path, _MAX_PATH, Make(drive, dir, fname, ext));
}

errno_t _wmakepath_s(char16_t* path, size_t size, const char16_t* drive, const char16_t* dir, const char16_t* fname,
                     const char16_t* ext) {
  if (!path || size == 0) return errno = EINVAL;
  std::u16string made = Make(drive, dir, fname, ext);
  if (made.size() >= size) {
    path[0] = 0;
    return errno = ERANGE;
  }
  kx2::CopyTo16(path, size, made);
  return 0;
}
