// INI text: decoding, lines, lookups and edits.
#include "profile/IniFile.h"

#include "kx2/Utf.h"
#if __has_include("win/nls.h")
#include "win/nls.h"
#define KX2_PROFILE_HAS_CODE_PAGES 1
#endif

namespace kx2::profile {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r'; }

bool IsUtf8(const std::vector<uint8_t>& b, size_t from) {
  for (size_t i = from; i < b.size();) {
    uint8_t c = b[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (!len || i + len > b.size()) return false;
    uint32_t cp = c & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
      if ((b[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (b[i + k] & 0x3F);
    }
    static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

std::u16string DecodeAnsi(const std::vector<uint8_t>& b) {
#ifdef KX2_PROFILE_HAS_CODE_PAGES
  if (b.empty()) return {};
  int n =
      MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()), nullptr, 0);
  if (n > 0) {
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()), out.data(), n);
    return out;
  }
#endif
  return std::u16string(b.begin(), b.end());  // Latin-1 when no code page is at hand
}

}  // namespace

std::u16string Trim(std::u16string_view s) {
  size_t a = 0, e = s.size();
  while (a < e && IsBlank(s[a])) ++a;
  while (e > a && IsBlank(s[e - 1])) --e;
  return std::u16string(s.substr(a, e - a));
}

bool EqualNames(std::u16string_view a, std::u16string_view b) { return EqualsI16(a, b); }

IniFile IniFile::Parse(const std::vector<uint8_t>& b) {
  IniFile f;
  std::u16string text;
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
    f.encoding_ = Encoding::Utf16Le;
    for (size_t i = 2; i + 1 < b.size(); i += 2) text.push_back(static_cast<char16_t>(b[i] | (b[i + 1] << 8)));
  } else if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
    f.encoding_ = Encoding::Utf16Be;
    for (size_t i = 2; i + 1 < b.size(); i += 2) text.push_back(static_cast<char16_t>((b[i] << 8) | b[i + 1]));
  } else if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    f.encoding_ = Encoding::Utf8Bom;
    text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(b.data()) + 3, b.size() - 3));
  } else if (IsUtf8(b, 0)) {
    text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
  } else {
    text = DecodeAnsi(b);  // written back as UTF-8, which keeps every character
  }
  size_t firstBreak = text.find(u'\n');
  if (firstBreak != std::u16string::npos) f.eol_ = firstBreak > 0 && text[firstBreak - 1] == u'\r' ? u"\r\n" : u"\n";
  f.finalEol_ = text.empty() || text.back() == u'\n';
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    size_t cut = end > start && text[end - 1] == u'\r' ? end - 1 : end;
    f.lines_.push_back(ParseLine(text.substr(start, cut - start)));
    start = end + 1;
  }
  return f;
}

IniFile::Line IniFile::ParseLine(std::u16string text) {
  Line l;
  std::u16string t = Trim(text);
  if (!t.empty() && t[0] == u'[') {
    size_t close = t.find(u']');
    l.kind = Kind::Section;
    l.name = Trim(std::u16string_view(t).substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1));
  } else if (!t.empty() && t[0] != u';') {
    l.kind = Kind::Entry;
    size_t eq = t.find(u'=');
    if (eq == std::u16string::npos) {
      l.name = t;
    } else {
      l.name = Trim(std::u16string_view(t).substr(0, eq));
      l.value = Trim(std::u16string_view(t).substr(eq + 1));
      l.hasValue = true;
    }
  }
  l.text = std::move(text);
  return l;
}

std::vector<uint8_t> IniFile::Serialize() const {
  std::u16string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i].text;
    if (i + 1 < lines_.size() || finalEol_) text += eol_;
  }
  std::vector<uint8_t> out;
  switch (encoding_) {
    case Encoding::Utf16Le:
      out = {0xFF, 0xFE};
      for (char16_t c : text) out.push_back(static_cast<uint8_t>(c)), out.push_back(static_cast<uint8_t>(c >> 8));
      return out;
    case Encoding::Utf16Be:
      out = {0xFE, 0xFF};
      for (char16_t c : text) out.push_back(static_cast<uint8_t>(c >> 8)), out.push_back(static_cast<uint8_t>(c));
      return out;
    case Encoding::Utf8Bom:
      out = {0xEF, 0xBB, 0xBF};
      break;
    case Encoding::Utf8:
      break;
  }
  std::string utf8 = Utf16ToUtf8(text);
  out.insert(out.end(), utf8.begin(), utf8.end());
  return out;
}

std::optional<size_t> IniFile::FindSection(std::u16string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section && EqualNames(lines_[i].name, section)) return i;
  return std::nullopt;
}

size_t IniFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
  return i;
}

std::optional<size_t> IniFile::FindEntry(size_t header, std::u16string_view key) const {
  for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
    if (lines_[i].kind == Kind::Entry && EqualNames(lines_[i].name, key)) return i;
  return std::nullopt;
}

std::vector<std::u16string> IniFile::SectionNames() const {
  std::vector<std::u16string> out;
  for (const auto& l : lines_)
    if (l.kind == Kind::Section) out.push_back(l.name);
  return out;
}

bool IniFile::HasSection(std::u16string_view section) const { return FindSection(section).has_value(); }

std::vector<std::u16string> IniFile::KeyNames(std::u16string_view section) const {
  std::vector<std::u16string> out;
  if (auto h = FindSection(section))
    for (size_t i = *h + 1, end = SectionEnd(*h); i < end; ++i)
      if (lines_[i].kind == Kind::Entry) out.push_back(lines_[i].name);
  return out;
}

std::vector<std::u16string> IniFile::SectionLines(std::u16string_view section) const {
  std::vector<std::u16string> out;
  if (auto h = FindSection(section))
    for (size_t i = *h + 1, end = SectionEnd(*h); i < end; ++i)
      if (lines_[i].kind == Kind::Entry)
        out.push_back(lines_[i].hasValue ? lines_[i].name + u"=" + lines_[i].value : lines_[i].name);
  return out;
}

std::optional<std::u16string> IniFile::Value(std::u16string_view section, std::u16string_view key) const {
  auto h = FindSection(section);
  if (!h) return std::nullopt;
  auto e = FindEntry(*h, key);
  if (!e) return std::nullopt;
  return lines_[*e].value;
}

void IniFile::AppendSection(std::u16string_view section) {
  if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(ParseLine(u""));
  lines_.push_back(ParseLine(u"[" + std::u16string(section) + u"]"));
  finalEol_ = true;
}

void IniFile::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  std::u16string text = std::u16string(key) + u"=" + std::u16string(value);
  auto h = FindSection(section);
  if (!h) {
    AppendSection(section);
    lines_.push_back(ParseLine(text));
    return;
  }
  if (auto e = FindEntry(*h, key)) {
    // Keep the key as the file spells it.
    lines_[*e] = ParseLine(lines_[*e].name + u"=" + std::u16string(value));
    return;
  }
  // After the section's last non-blank line, so blank lines before the next section stay there.
  size_t at = SectionEnd(*h);
  while (at > *h + 1 && Trim(lines_[at - 1].text).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<long>(at), ParseLine(text));
  if (at == lines_.size() - 1) finalEol_ = true;
}

void IniFile::DeleteKey(std::u16string_view section, std::u16string_view key) {
  auto h = FindSection(section);
  if (!h) return;
  if (auto e = FindEntry(*h, key)) lines_.erase(lines_.begin() + static_cast<long>(*e));
}

void IniFile::DeleteSection(std::u16string_view section) {
  auto h = FindSection(section);
  if (!h) return;
  lines_.erase(lines_.begin() + static_cast<long>(*h), lines_.begin() + static_cast<long>(SectionEnd(*h)));
}

void IniFile::ReplaceSection(std::u16string_view section, const std::vector<std::u16string>& lines) {
  auto h = FindSection(section);
  if (!h) {
    AppendSection(section);
    h = lines_.size() - 1;
  }
  // Drop the entries and comments; blank lines (before the next section) stay.
  size_t end = SectionEnd(*h);
  std::vector<Line> kept;
  for (size_t i = *h + 1; i < end; ++i)
    if (Trim(lines_[i].text).empty()) kept.push_back(lines_[i]);
  std::vector<Line> fresh;
  for (const auto& l : lines) fresh.push_back(ParseLine(l));
  fresh.insert(fresh.end(), kept.begin(), kept.end());
  lines_.erase(lines_.begin() + static_cast<long>(*h) + 1, lines_.begin() + static_cast<long>(end));
  lines_.insert(lines_.begin() + static_cast<long>(*h) + 1, fresh.begin(), fresh.end());
  if (*h + 1 + fresh.size() == lines_.size()) finalEol_ = true;
}

}  // namespace kx2::profile
