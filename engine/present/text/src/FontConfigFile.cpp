// Reading the font configuration files.
#include <plastrum/present/text/FontConfigFile.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <utility>

#include <basalt/error.h>
#include <basalt/file_io.h>
#include <basalt/string_util.h>

namespace Present::Text {
namespace {

using Basalt::Util::StringUtil;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Upper(std::u16string s) {
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return s;
}

// Line index of the line after each section header found, by (path, section name).
std::map<std::pair<std::u16string, std::u16string>, size_t>& SectionCache() {
  static auto* cache = new std::map<std::pair<std::u16string, std::u16string>, size_t>();
  return *cache;
}

// The section name of a header line (already without leading blanks), or false.
bool SectionName(const std::u16string& line, std::u16string* name) {
  if (line.empty() || line[0] != u'[') return false;
  const size_t close = line.find(u']');
  if (close == std::u16string::npos) return false;
  size_t b = 1, e = close;
  while (b < e && IsBlank(line[b])) ++b;
  while (e > b && IsBlank(line[e - 1])) --e;
  *name = line.substr(b, e - b);
  return true;
}

}  // namespace

bool FontConfigFile::Load(const uint8_t* bytes, size_t size, const char16_t* header) {
  lines_.clear();
  if (!bytes || size < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) return false;
  std::vector<std::u16string> lines;
  std::u16string line;
  bool cut = false;
  const size_t units = (size - 2) / 2;
  for (size_t i = 0; i < units; ++i) {
    const char16_t c = static_cast<char16_t>(bytes[2 + 2 * i] | bytes[3 + 2 * i] << 8);
    if (c == u'\n') {
      if (!cut && !line.empty() && line.back() == u'\r') line.pop_back();
      lines.push_back(std::move(line));
      line.clear();
      cut = false;
      continue;
    }
    // The tail of a line longer than a line buffer is skipped up to its end.
    if (line.size() >= kConfigLineUnits) {
      cut = true;
      continue;
    }
    line.push_back(c);
  }
  if (!line.empty() || cut) {
    if (!cut && !line.empty() && line.back() == u'\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  const std::u16string want(header ? header : u"");
  if (lines.empty() || lines[0].compare(0, want.size(), want) != 0) return false;
  lines_ = std::move(lines);
  return true;
}

bool FontConfigFile::Open(const WCHAR* path, const char16_t* header) {
  lines_.clear();
  path_ = path ? path : u"";
  FILE* file = Basalt::Util::StreamIOUtil::_FileOpen(path, u"rb");
  if (!file) {
    Basalt::Error::BaseError::_SetFileError(static_cast<uint32_t>(errno) + 0x40000000u, path);
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t chunk[16384];
  size_t n = 0;
  bool failed = false;
  try {
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  } catch (...) {
    failed = true;
  }
  if (std::ferror(file)) failed = true;
  std::fclose(file);
  if (failed) {
    Basalt::Error::BaseError::_SetFileError(static_cast<uint32_t>(EIO) + 0x40000000u, path);
    return false;
  }
  return Load(bytes.data(), bytes.size(), header);
}

bool FontConfigFile::ReadSection(const WCHAR* name, std::vector<std::u16string>* lines) const {
  if (!name || !lines) return false;
  lines->clear();
  const auto key = std::make_pair(path_, Upper(name));
  size_t start = 0;
  auto& cache = SectionCache();
  const auto hit = path_.empty() ? cache.end() : cache.find(key);
  if (hit != cache.end() && hit->second <= lines_.size()) {
    start = hit->second;
  } else {
    bool found = false;
    for (size_t i = 0; i < lines_.size() && !found; ++i) {
      const std::u16string& raw = lines_[i];
      size_t b = 0;
      while (b < raw.size() && IsBlank(raw[b])) ++b;
      std::u16string section;
      if (SectionName(raw.substr(b), &section) && StringUtil::Ustricmp(section.c_str(), name) == 0) {
        start = i + 1;
        found = true;
      }
    }
    if (!found) return false;
    if (!path_.empty()) cache[key] = start;
  }
  for (size_t i = start; i < lines_.size(); ++i) {
    const std::u16string& raw = lines_[i];
    size_t b = 0;
    while (b < raw.size() && IsBlank(raw[b])) ++b;
    if (b == raw.size() || raw[b] == u'[') break;
    if (raw[b] == u';') continue;
    lines->push_back(raw.substr(b));
  }
  return true;
}

bool FontConfigFile::SplitLine(const std::u16string& line, std::u16string* key, std::u16string* value) {
  const size_t eq = line.find(u'=');
  if (eq == std::u16string::npos) return false;
  if (key) *key = line.substr(0, eq);
  if (value) *value = line.substr(eq + 1);
  return true;
}

bool FontConfigFile::FindValue(const std::vector<std::u16string>& lines, const char16_t* wanted,
                               std::u16string* value) {
  if (!wanted) return false;
  for (const auto& line : lines) {
    std::u16string key, v;
    if (!SplitLine(line, &key, &v)) continue;
    if (StringUtil::Ustrnicmp(key.c_str(), wanted, static_cast<unsigned>(key.size())) == 0) {
      if (value) *value = std::move(v);
      return true;
    }
  }
  return false;
}

std::vector<std::u16string> FontConfigFile::SplitList(const std::u16string& value) {
  std::vector<std::u16string> items;
  size_t at = 0;
  while (at <= value.size()) {
    size_t comma = value.find(u',', at);
    if (comma == std::u16string::npos) comma = value.size();
    std::u16string item = value.substr(at, comma - at);
    if (item.size() > 63) item.resize(63);
    if (!item.empty()) items.push_back(std::move(item));
    at = comma + 1;
  }
  return items;
}

void FontConfigFile::ClearSectionCache() { SectionCache().clear(); }

}  // namespace Present::Text
