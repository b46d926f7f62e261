// A skin package in one of two forms: a module (our resource container) whose INI texts
// are "TEXTFILE" resources and whose bitmaps are RT_BITMAP or "PNG" resources, or a folder
// holding the INI file and the bitmap files it names. The reader hands out the INI text a
// line at a time, loads the images the text names and makes the schema.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <win/afx.h>

#include "ornatex/export.h"

class CKtkSkinImage;
class CKtkSkinManager;
class CKtkSkinManagerSchema;

class ORNATEX_API CKtkSkinManagerResourceFile : public CCmdTarget {
 public:
  // A reader of the given manager; without one, of the process's manager.
  explicit CKtkSkinManagerResourceFile(CKtkSkinManager* manager = nullptr);
  ~CKtkSkinManagerResourceFile() override { Close(); }

  // 1 when the package opened. A folder holding the INI file gives the folder form;
  // otherwise the path must be a resource container, opened as data only (a library's
  // code never runs), whose INI text (the default one for an empty name) gives the
  // module form.
  virtual BOOL Open(LPCWSTR packagePath, LPCWSTR iniName);
  // 1 and the next line without its end (CR LF, CR or LF); 0 after the last one. A last
  // line without a line end is returned too.
  virtual BOOL ReadLine(std::u16string& line);
  virtual void Close();
  // A new image the caller owns, or null. Folder names may not climb out of the package:
  // a ".." part, a leading "\", a drive letter or a "${" variable is refused.
  virtual CKtkSkinImage* LoadSkinImage(LPCWSTR fileName);
  // A new, empty schema over this reader.
  virtual CKtkSkinManagerSchema* CreateSchema();

  // "[File.<name>]" of the module's THEMES_INI text, as "<name>_ini"; empty without one.
  std::u16string GetDefaultIniName() const;
  bool IsFolderForm() const { return folderForm_; }

  std::u16string m_path;
  std::u16string m_iniName;
  HMODULE m_hModule = nullptr;
  CKtkSkinManager* m_pManager;

 private:
  // Folder form: the file's bytes, decoded a line at a time as they are read (its
  // encoding, found when it opened, in `byteForm_`).
  BOOL ReadFolderLine(std::u16string& line);

  bool folderForm_ = false;
  std::unique_ptr<uint8_t[]> bytes_;
  size_t byteCount_ = 0;
  int byteForm_ = 0;
  std::u16string text_;  // module form: the INI text
  size_t position_ = 0;  // in the bytes (folder form) or the text (module form)
};

// Reads every line of the open package into a new schema (loader syntax in
// skin_loader.h); null when nothing is open. Refused lines are skipped.
ORNATEX_API CKtkSkinManagerSchema* KtkLoadSkinSchema(CKtkSkinManagerResourceFile& reader);

// A folder INI file's text: UTF-16LE after its byte-order mark, UTF-8 after its mark or
// when valid, else code page 1252.
ORNATEX_API std::u16string KtkDecodeSkinText(const std::vector<uint8_t>& bytes);

// A file name as a flat resource name: every "." and "\" becomes "_".
ORNATEX_API std::u16string KtkSkinResourceName(std::u16string_view fileName);
