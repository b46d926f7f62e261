// Splitting follows the runtime's _wsplitpath rules and joining its _wmakepath rules, but
// bounded: a path whose parts do not fit the fields, or parts whose join does not fit
// MAX_PATH, is refused instead of written past the buffers.
#include <basalt/file_path.h>

#include <cstring>
#include <string>
#include <string_view>

#include "common/text16.h"

namespace Basalt::Util {
namespace {

using std::u16string_view;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

struct Parts {
  u16string_view drive, directory, fileName, ext;
};

Parts Split(u16string_view path) {
  Parts p;
  if (path.size() >= 2 && path[1] == u':') {
    p.drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  size_t lastSep = u16string_view::npos;
  for (size_t i = 0; i < path.size(); ++i)
    if (IsSeparator(path[i])) lastSep = i;
  if (lastSep != u16string_view::npos) {
    p.directory = path.substr(0, lastSep + 1);
    path.remove_prefix(lastSep + 1);
  }
  size_t dot = path.rfind(u'.');
  if (dot != u16string_view::npos) {
    p.ext = path.substr(dot);
    path = path.substr(0, dot);
  }
  p.fileName = path;
  return p;
}

std::u16string Join(u16string_view drive, u16string_view directory, u16string_view fileName, u16string_view ext) {
  std::u16string out;
  if (!drive.empty()) {
    out += drive[0];
    out += u':';
  }
  if (!directory.empty()) {
    out += directory;
    if (!IsSeparator(directory.back())) out += u'\\';
  }
  out += fileName;
  if (!ext.empty()) {
    if (ext[0] != u'.') out += u'.';
    out += ext;
  }
  return out;
}

int CopyResult(char16_t* buf, unsigned size, u16string_view text) {
  if (!buf || size == 0) return 0;
  return Text16::Copy(buf, size, text) ? 1 : 0;
}

}  // namespace

FilePath::FilePath() { _ClearComponents(); }

FilePath::FilePath(const char16_t* path) {
  _ClearComponents();
  _MakeComponents(path);
}

FilePath::FilePath(const FilePath& other) {
  _ClearComponents();
  _MakeComponents(other.fullPath_);
}

FilePath& FilePath::operator=(const FilePath& other) {
  if (this != &other) {
    std::memcpy(drive_, other.drive_, sizeof(drive_));
    std::memcpy(directory_, other.directory_, sizeof(directory_));
    std::memcpy(fileName_, other.fileName_, sizeof(fileName_));
    std::memcpy(ext_, other.ext_, sizeof(ext_));
    std::memcpy(fullPath_, other.fullPath_, sizeof(fullPath_));
  }
  return *this;
}

FilePath::~FilePath() = default;

const FilePath& FilePath::SetFullPath(const char16_t* path) {
  _ClearComponents();
  _MakeComponents(path);
  return *this;
}

bool FilePath::JoinInto(char16_t* out) const {
  std::u16string joined = Join(drive_, directory_, fileName_, ext_);
  if (joined.size() >= kFullPathUnits) return false;
  Text16::Copy(out, kFullPathUnits, joined);
  return true;
}

bool FilePath::SplitFrom(const char16_t* path) {
  Parts p = Split(Text16::View16(path));
  if (p.directory.size() >= kComponentUnits || p.fileName.size() >= kComponentUnits || p.ext.size() >= kComponentUnits)
    return false;
  Text16::Copy(drive_, kDriveUnits, p.drive);
  Text16::Copy(directory_, kComponentUnits, p.directory);
  Text16::Copy(fileName_, kComponentUnits, p.fileName);
  Text16::Copy(ext_, kComponentUnits, p.ext);
  return true;
}

// Setting one part is setting the parts with the others left as they are.
FilePath& FilePath::SetDrive(const char16_t* drive) {
  SetComponents(drive, nullptr, nullptr, nullptr);
  return *this;
}
FilePath& FilePath::SetDirectory(const char16_t* directory) {
  SetComponents(nullptr, directory, nullptr, nullptr);
  return *this;
}
FilePath& FilePath::SetFileName(const char16_t* fileName) {
  SetComponents(nullptr, nullptr, fileName, nullptr);
  return *this;
}
FilePath& FilePath::SetExt(const char16_t* ext) {
  SetComponents(nullptr, nullptr, nullptr, ext);
  return *this;
}

const FilePath& FilePath::SetComponents(const char16_t* drive, const char16_t* directory, const char16_t* fileName,
                                        const char16_t* ext) {
  FilePath candidate;
  candidate = *this;
  auto set = [](char16_t* field, unsigned units, const char16_t* value, unsigned maxUnits) {
    if (!value) return;
    std::u16string_view v = Text16::View16(value);
    Text16::Copy(field, units, v.substr(0, v.size() < maxUnits ? v.size() : maxUnits));
  };
  set(candidate.drive_, kDriveUnits, drive, 2);
  set(candidate.directory_, kComponentUnits, directory, 255);
  set(candidate.fileName_, kComponentUnits, fileName, 255);
  set(candidate.ext_, kComponentUnits, ext, 255);
  if (!candidate.JoinInto(candidate.fullPath_)) return *this;
  if (candidate.fullPath_[0])
    candidate._ResetComponents();
  else
    candidate._ClearComponents();
  *this = candidate;
  return *this;
}

const FilePath& FilePath::AddPathSeparator() {
  size_t len = Text16::StrLen16(fullPath_);
  if ((len == 0 || fullPath_[len - 1] != u'\\') && len + 1 < kFullPathUnits) {
    fullPath_[len] = u'\\';
    fullPath_[len + 1] = 0;
    _ResetComponents();
  }
  return *this;
}

const FilePath& FilePath::DeletePathSeparator() {
  size_t len = Text16::StrLen16(fullPath_);
  if (len > 0 && fullPath_[len - 1] == u'\\') {
    fullPath_[len - 1] = 0;
    _ResetComponents();
  }
  return *this;
}

int FilePath::CopyDrive(char16_t* buf, unsigned size) const { return CopyResult(buf, size, drive_); }
int FilePath::CopyDirectory(char16_t* buf, unsigned size) const { return CopyResult(buf, size, directory_); }
int FilePath::CopyExt(char16_t* buf, unsigned size) const { return CopyResult(buf, size, ext_); }
int FilePath::CopyFullPath(char16_t* buf, unsigned size) const { return CopyResult(buf, size, fullPath_); }

int FilePath::CopyFileName(char16_t* buf, unsigned size, int withExt) const {
  if (!withExt) return CopyResult(buf, size, fileName_);
  std::u16string_view full = fullPath_;
  size_t folder = Text16::StrLen16(drive_) + Text16::StrLen16(directory_);
  return CopyResult(buf, size, full.substr(folder < full.size() ? folder : full.size()));
}

int FilePath::CopyPartialPath(char16_t* buf, unsigned size) const {
  std::u16string_view full = fullPath_;
  size_t folder = Text16::StrLen16(drive_) + Text16::StrLen16(directory_);
  return CopyResult(buf, size, full.substr(0, folder < full.size() ? folder : full.size()));
}

const char16_t* FilePath::_GetFullPath() const { return fullPath_; }

void FilePath::_ResetFullPath() {
  if (!JoinInto(fullPath_)) _ClearComponents();
}

void FilePath::_ResetComponents() {
  if (!fullPath_[0] || !SplitFrom(fullPath_)) _ClearComponents();
}

void FilePath::_MakeComponents(const char16_t* path) {
  if (!path) return;
  char16_t copy[kFullPathUnits];
  std::u16string_view v = Text16::View16(path);
  Text16::Copy(copy, kFullPathUnits, v.substr(0, v.size() < kFullPathUnits - 1 ? v.size() : kFullPathUnits - 1));
  if (!SplitFrom(copy) || !JoinInto(fullPath_)) _ClearComponents();
}

void FilePath::_ClearComponents() {
  drive_[0] = 0;
  directory_[0] = 0;
  fileName_[0] = 0;
  ext_[0] = 0;
  fullPath_[0] = 0;
}

}  // namespace Basalt::Util
