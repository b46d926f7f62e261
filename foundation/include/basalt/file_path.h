// A file path held both whole and split into drive, directory, name and extension, the two
// forms kept in step. Paths follow Windows rules ("C:\dir\name.ext").
#pragma once

#include <basalt/export.h>

namespace Basalt::Util {

class BASALT_API FilePath {
 public:
  static constexpr unsigned kDriveUnits = 3;
  static constexpr unsigned kComponentUnits = 256;
  static constexpr unsigned kFullPathUnits = MAX_PATH;

  FilePath();
  explicit FilePath(const char16_t* path);
  FilePath(const FilePath& other);
  FilePath& operator=(const FilePath& other);
  virtual ~FilePath();

  const FilePath& SetFullPath(const char16_t* path);
  // null: no change; empty: clears that component. A change whose joined path would not fit
  // in MAX_PATH - 1 units is refused and leaves the path as it was.
  FilePath& SetDrive(const char16_t* drive);
  FilePath& SetDirectory(const char16_t* directory);
  FilePath& SetFileName(const char16_t* fileName);
  FilePath& SetExt(const char16_t* ext);
  const FilePath& SetComponents(const char16_t* drive, const char16_t* directory, const char16_t* fileName,
                                const char16_t* ext);
  const FilePath& AddPathSeparator();
  const FilePath& DeletePathSeparator();

  // Copy a part into buf[size]: 1 when it fitted whole, 0 when cut or size is 0.
  int CopyDrive(char16_t* buf, unsigned size) const;
  int CopyDirectory(char16_t* buf, unsigned size) const;
  int CopyFileName(char16_t* buf, unsigned size, int withExt) const;
  int CopyExt(char16_t* buf, unsigned size) const;
  int CopyFullPath(char16_t* buf, unsigned size) const;
  int CopyPartialPath(char16_t* buf, unsigned size) const;

  const char16_t* _GetFullPath() const;
  void _ResetFullPath();
  void _ResetComponents();

 protected:
  void _MakeComponents(const char16_t* path);
  void _ClearComponents();

 private:
  bool JoinInto(char16_t* out) const;
  bool SplitFrom(const char16_t* path);

  char16_t drive_[kDriveUnits];
  char16_t directory_[kComponentUnits];
  char16_t fileName_[kComponentUnits];
  char16_t ext_[kComponentUnits];
  char16_t fullPath_[kFullPathUnits];
};

}  // namespace Basalt::Util
