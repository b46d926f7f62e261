#include "ornatex/core/skin_manager.h"
#include "ornatex/schema/resource_file.h"

#include <cstring>
#include <memory>

#include <kx2/Utf.h>
#include <win/fileapi.h>
#include <win/module.h>
#include <win/nls.h>
#include <win/resource.h>

#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_image.h"
#include "ornatex/schema/skin_loader.h"

namespace {

constexpr const char16_t* kTextFile = u"TEXTFILE";
constexpr ULONGLONG kMaxIniFile = 16u << 20;

// The file's bytes when it is a file (not a folder) and not too large; left unfilled
// until read, as the file fills them.
bool ReadFileBytes(const std::u16string& path, std::unique_ptr<uint8_t[]>* out, size_t* count) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  CStdioFile file;
  if (!file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary)) return false;
  const ULONGLONG size = file.GetLength();
  if (size > kMaxIniFile) return false;
  *count = static_cast<size_t>(size);
  *out = std::make_unique_for_overwrite<uint8_t[]>(*count + 1);
  return *count == 0 || file.Read(out->get(), static_cast<UINT>(*count)) == *count;
}

bool IsFile(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) as UTF-16;
// false at the first byte that is not.
bool DecodeUtf8(const uint8_t* p, size_t n, std::u16string* out) {
  // Never more units than bytes: written in place, then cut to what was written.
  out->assign(n, u'\0');
  char16_t* to = out->data();
  for (size_t i = 0; i < n;) {
    const uint8_t b = p[i];
    if (b < 0x80) {
      *to++ = b;
      ++i;
      continue;
    }
    int extra = 0;
    uint32_t cp = 0, min = 0;
    if ((b & 0xE0) == 0xC0)
      extra = 1, cp = b & 0x1F, min = 0x80;
    else if ((b & 0xF0) == 0xE0)
      extra = 2, cp = b & 0x0F, min = 0x800;
    else if ((b & 0xF8) == 0xF0)
      extra = 3, cp = b & 0x07, min = 0x10000;
    else
      return false;
    if (n - i <= static_cast<size_t>(extra)) return false;  // the sequence runs past the end
    for (int k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *to++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *to++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *to++ = static_cast<char16_t>(cp);
    }
    i += static_cast<size_t>(extra) + 1;
  }
  out->resize(static_cast<size_t>(to - out->data()));
  return true;
}

// Whether the bytes are strict UTF-8, as DecodeUtf8 reads them.
bool ValidUtf8(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n;) {
    // Runs of ASCII, the bulk of a skin's text, eight bytes at a time.
    while (n - i >= 8) {
      uint64_t word;
      std::memcpy(&word, p + i, 8);
      if (word & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= n) break;
    const uint8_t b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    int extra = 0;
    uint32_t cp = 0, min = 0;
    if ((b & 0xE0) == 0xC0)
      extra = 1, cp = b & 0x1F, min = 0x80;
    else if ((b & 0xF0) == 0xE0)
      extra = 2, cp = b & 0x0F, min = 0x800;
    else if ((b & 0xF8) == 0xF0)
      extra = 3, cp = b & 0x07, min = 0x10000;
    else
      return false;
    if (n - i <= static_cast<size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

// How a folder INI's bytes are text: UTF-16LE after its byte-order mark, UTF-8 after its
// mark or when valid, else code page 1252; `start` is where the text begins.
enum TextForm { kUtf16 = 1, kUtf8, kCp1252 };

TextForm FormOf(const uint8_t* p, size_t n, size_t* start) {
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    *start = 2;
    return kUtf16;
  }
  *start = n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF ? 3 : 0;
  return ValidUtf8(p + *start, n - *start) ? kUtf8 : kCp1252;
}

// Bytes of one form as UTF-16 (UTF-16 bytes in whole units).
void DecodeBytes(TextForm form, const uint8_t* p, size_t n, std::u16string* out) {
  out->clear();
  if (form == kUtf16) {
    out->resize(n / 2);
    for (size_t i = 0; i < out->size(); ++i) (*out)[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  } else if (form == kUtf8) {
    // ASCII, the usual line, unit for byte; anything else through the full decoder.
    out->resize(n);
    for (size_t i = 0; i < n; ++i) {
      if (p[i] >= 0x80) {
        DecodeUtf8(p, n, out);
        return;
      }
      (*out)[i] = p[i];
    }
  } else if (n > 0) {
    const char* data = reinterpret_cast<const char*>(p);
    const int length = static_cast<int>(n);
    const int units = MultiByteToWideChar(1252, 0, data, length, nullptr, 0);
    if (units <= 0) return;
    out->resize(static_cast<size_t>(units));
    MultiByteToWideChar(1252, 0, data, length, out->data(), units);
  }
}

// A module package must be a resource container: anything else (a library among them)
// is not opened at all.
bool IsResourceContainer(const std::u16string& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char magic[4] = {};
  DWORD got = 0;
  const bool ok = ReadFile(file, magic, 4, &got, nullptr) && got == 4 && std::memcmp(magic, "KX2R", 4) == 0;
  CloseHandle(file);
  return ok;
}

// A resource's UTF-16 text: its size rounded down to whole units, a leading mark skipped.
bool ResourceText(HMODULE module, const std::u16string& name, std::u16string* out) {
  HRSRC resource = FindResourceW(module, name.c_str(), kTextFile);
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (!bytes) return false;
  const size_t units = SizeofResource(module, resource) / 2;
  out->assign(units, u'\0');
  for (size_t i = 0; i < units; ++i) (*out)[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  if (!out->empty() && (*out)[0] == 0xFEFF) out->erase(0, 1);
  return true;
}

// A file name inside the package: no climbing out of it.
bool StaysInside(std::u16string_view name) {
  if (name.empty() || name[0] == u'\\' || name[0] == u'/') return false;
  if (name.size() >= 2 && name[1] == u':') return false;
  if (name.find(u"${") != std::u16string_view::npos) return false;
  size_t start = 0;
  for (;;) {
    const size_t cut = name.find_first_of(u"\\/", start);
    const std::u16string_view part = name.substr(start, cut == std::u16string_view::npos ? cut : cut - start);
    if (part == u"..") return false;
    if (cut == std::u16string_view::npos) return true;
    start = cut + 1;
  }
}

}  // namespace

std::u16string KtkDecodeSkinText(const std::vector<uint8_t>& bytes) {
  size_t start = 0;
  const TextForm form = FormOf(bytes.data(), bytes.size(), &start);
  std::u16string text;
  DecodeBytes(form, bytes.data() + start, bytes.size() - start, &text);
  return text;
}

std::u16string KtkSkinResourceName(std::u16string_view fileName) {
  std::u16string name(fileName);
  for (char16_t& c : name)
    if (c == u'.' || c == u'\\') c = u'_';
  return name;
}

CKtkSkinManagerResourceFile::CKtkSkinManagerResourceFile(CKtkSkinManager* manager)
    : m_pManager(manager ? manager : KtkSkinManager()) {}

void CKtkSkinManagerResourceFile::Close() {
  if (m_hModule) FreeLibrary(m_hModule);
  m_hModule = nullptr;
  folderForm_ = false;
  bytes_.reset();
  byteCount_ = 0;
  text_.clear();
  position_ = 0;
}

BOOL CKtkSkinManagerResourceFile::Open(LPCWSTR packagePath, LPCWSTR iniName) {
  Close();
  m_path = packagePath ? packagePath : u"";
  m_iniName = iniName ? iniName : u"";
  if (m_path.empty()) return 0;
  if (!m_iniName.empty()) {
    const std::u16string iniPath = m_path + u"\\" + m_iniName;
    if (IsFile(iniPath)) {
      if (!ReadFileBytes(iniPath, &bytes_, &byteCount_)) {
        Close();
        return 0;
      }
      byteForm_ = FormOf(bytes_.get(), byteCount_, &position_);
      folderForm_ = true;
      return 1;
    }
  }
  if (!IsResourceContainer(m_path)) return 0;
  m_hModule = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!m_hModule) return 0;
  if (m_iniName.empty()) m_iniName = GetDefaultIniName();
  if (m_iniName.empty() || !ResourceText(m_hModule, KtkSkinResourceName(m_iniName), &text_)) {
    text_.clear();
    return 0;
  }
  return 1;
}

std::u16string CKtkSkinManagerResourceFile::GetDefaultIniName() const {
  std::u16string themes;
  if (!m_hModule || !ResourceText(m_hModule, u"THEMES_INI", &themes)) return u"";
  static const std::u16string kMarker = u"[File.";
  const size_t at = themes.find(kMarker);
  if (at == std::u16string::npos) return u"";
  const size_t start = at + kMarker.size();
  const size_t end = themes.find(u']', start);
  if (end == std::u16string::npos) return u"";  // a marker without its bracket names nothing
  return themes.substr(start, end - start) + u"_ini";
}

BOOL CKtkSkinManagerResourceFile::ReadFolderLine(std::u16string& line) {
  // Line ends and the zero unit are found in the bytes: in UTF-8 and code page 1252 they
  // are single bytes that no other character contains.
  const uint8_t* p = bytes_.get();
  const size_t unit = byteForm_ == kUtf16 ? 2 : 1;
  auto at = [&](size_t i) -> char16_t { return unit == 2 ? static_cast<char16_t>(p[i] | (p[i + 1] << 8)) : p[i]; };
  const size_t end = byteCount_ - (byteCount_ - position_) % unit;  // whole units only
  if (position_ >= end) return 0;
  size_t stop = position_;
  if (unit == 1) {
    while (stop < end && (p[stop] > u'\r' || (p[stop] != u'\r' && p[stop] != u'\n' && p[stop] != 0))) ++stop;
  } else {
    while (stop < end && at(stop) != u'\r' && at(stop) != u'\n' && at(stop) != 0) stop += unit;
  }
  DecodeBytes(static_cast<TextForm>(byteForm_), p + position_, stop - position_, &line);
  if (stop < end && at(stop) == 0) {
    position_ = end;  // the text ends at a zero unit
    return line.empty() ? 0 : 1;
  }
  position_ = stop;
  if (position_ < end && at(position_) == u'\r') {
    position_ += unit;
    if (position_ < end && at(position_) == u'\n') position_ += unit;
  } else if (position_ < end && at(position_) == u'\n') {
    position_ += unit;
  }
  return 1;
}

BOOL CKtkSkinManagerResourceFile::ReadLine(std::u16string& line) {
  if (folderForm_) return ReadFolderLine(line);
  line.clear();
  if (position_ >= text_.size()) return 0;
  size_t end = position_;
  while (end < text_.size() && text_[end] != u'\r' && text_[end] != u'\n' && text_[end] != 0) ++end;
  line.assign(text_, position_, end - position_);
  if (end < text_.size() && text_[end] == 0) {
    position_ = text_.size();  // the text ends at a zero unit
    return line.empty() ? 0 : 1;
  }
  position_ = end;
  if (position_ < text_.size() && text_[position_] == u'\r') {
    ++position_;
    if (position_ < text_.size() && text_[position_] == u'\n') ++position_;
  } else if (position_ < text_.size() && text_[position_] == u'\n') {
    ++position_;
  }
  return 1;
}

CKtkSkinImage* CKtkSkinManagerResourceFile::LoadSkinImage(LPCWSTR fileName) {
  if (!fileName || !*fileName || (!folderForm_ && !m_hModule)) return nullptr;
  auto image = std::make_unique<CKtkSkinImage>();
  BOOL loaded = 0;
  if (folderForm_) {
    if (!StaysInside(fileName)) return nullptr;
    const std::u16string path = m_path + u"\\" + fileName;
    if (!IsFile(path)) return nullptr;
    loaded = image->LoadFromFile(path.c_str());
  } else {
    loaded = image->LoadFromResource(m_hModule, KtkSkinResourceName(fileName).c_str());
  }
  if (!loaded) return nullptr;
  image->m_pManager = m_pManager;
  return image.release();
}

CKtkSkinManagerSchema* CKtkSkinManagerResourceFile::CreateSchema() {
  try {
    return new CKtkSkinManagerSchema(this);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CKtkSkinManagerSchema* KtkLoadSkinSchema(CKtkSkinManagerResourceFile& reader) {
  if (!reader.IsFolderForm() && !reader.m_hModule) return nullptr;
  CKtkSkinManagerSchema* schema = reader.CreateSchema();
  if (!schema) return nullptr;
  CKtkSkinPropertyLoader loader(*schema);
  for (std::u16string line; reader.ReadLine(line);) loader.LoadLine(line);
  return schema;
}
