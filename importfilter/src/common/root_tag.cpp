#include <foliant/common/root_tag.h>

#include <cstdio>
#include <memory>

#include <win/crt.h>

namespace foliant {
namespace {

// A root tag further in than this is no map's.
constexpr size_t kHeadBytes = 64 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsNameEnd(char c) { return IsBlank(c) || c == '>' || c == '/' || c == '='; }

bool StartsWith(std::string_view text, size_t at, std::string_view prefix) {
  return text.size() >= at + prefix.size() && text.substr(at, prefix.size()) == prefix;
}

// UTF-16 to bytes, keeping ASCII and turning the rest into one non-ASCII byte each: only
// the markup's ASCII names matter here.
std::string NarrowUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const unsigned hi = static_cast<unsigned char>(bytes[at + (bigEndian ? 0 : 1)]);
    const unsigned lo = static_cast<unsigned char>(bytes[at + (bigEndian ? 1 : 0)]);
    out += hi == 0 && lo < 0x80 ? static_cast<char>(lo) : '\x80';
  }
  return out;
}

// Skips a document type declaration, with its internal subset.
size_t SkipDoctype(std::string_view text, size_t at) {
  int brackets = 0;
  char quote = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      --brackets;
    } else if (c == '>' && brackets <= 0) {
      return at + 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace

bool RootTag::HasAttribute(std::string_view attribute) const {
  for (const std::string& a : attributes)
    if (a == attribute) return true;
  return false;
}

std::optional<RootTag> ReadRootTag(std::string_view head) {
  std::string converted;
  if (StartsWith(head, 0, "\xFF\xFE") || StartsWith(head, 0, "\xFE\xFF")) {
    converted = NarrowUtf16(head.substr(2), head[0] == '\xFE');
    head = converted;
  } else if (StartsWith(head, 0, "\xEF\xBB\xBF")) {
    head.remove_prefix(3);
  }
  size_t at = 0;
  while (at < head.size()) {
    if (IsBlank(head[at])) {
      ++at;
    } else if (StartsWith(head, at, "<?")) {
      const size_t end = head.find("?>", at + 2);
      if (end == head.npos) return std::nullopt;
      at = end + 2;
    } else if (StartsWith(head, at, "<!--")) {
      const size_t end = head.find("-->", at + 4);
      if (end == head.npos) return std::nullopt;
      at = end + 3;
    } else if (StartsWith(head, at, "<!DOCTYPE")) {
      at = SkipDoctype(head, at + 9);
      if (at == head.npos) return std::nullopt;
    } else {
      break;
    }
  }
  if (at >= head.size() || head[at] != '<') return std::nullopt;
  ++at;
  RootTag tag;
  while (at < head.size() && !IsNameEnd(head[at])) tag.name += head[at++];
  if (tag.name.empty()) return std::nullopt;
  for (;;) {
    while (at < head.size() && IsBlank(head[at])) ++at;
    if (at >= head.size()) return std::nullopt;
    if (head[at] == '>' || StartsWith(head, at, "/>")) return tag;
    std::string attribute;
    while (at < head.size() && !IsNameEnd(head[at])) attribute += head[at++];
    while (at < head.size() && IsBlank(head[at])) ++at;
    if (attribute.empty() || at >= head.size() || head[at] != '=') return std::nullopt;
    ++at;
    while (at < head.size() && IsBlank(head[at])) ++at;
    if (at >= head.size() || (head[at] != '"' && head[at] != '\'')) return std::nullopt;
    const size_t end = head.find(head[at], at + 1);
    if (end == head.npos) return std::nullopt;
    at = end + 1;
    tag.attributes.push_back(std::move(attribute));
  }
}

std::optional<RootTag> ReadRootTagOfFile(LPCWSTR path) {
  if (!path) return std::nullopt;
  std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path, u"rb"), &fclose);
  if (!file) return std::nullopt;
  std::string head(kHeadBytes, '\0');
  head.resize(fread(head.data(), 1, head.size(), file.get()));
  return ReadRootTag(head);
}

}  // namespace foliant
