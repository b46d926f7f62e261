#include <plastrum/Kx2OptionList.h>

#include <plastrum/FormatWideString.h>

#include <string_view>

#include <basalt/string_util.h>
#include <win/crt.h>

using Basalt::Util::StringUtil;

namespace {

constexpr int kUnits = CKx2OptionList::kTextUnits;

std::u16string_view View(const char16_t* s) { return s ? std::u16string_view(s) : std::u16string_view(); }

std::u16string_view KeyOf(std::u16string_view entry) { return entry.substr(0, entry.find(u':')); }

// Calls visit(entry) for each non-empty ";"-separated entry of text until it returns true.
template <class Visit>
void ForEachEntry(std::u16string_view text, Visit visit) {
  while (!text.empty()) {
    const size_t cut = text.find(u';');
    const std::u16string_view entry = text.substr(0, cut);
    if (!entry.empty() && visit(entry)) return;
    if (cut == std::u16string_view::npos) return;
    text.remove_prefix(cut + 1);
  }
}

// The first entry whose key is `key`, looked up in a bounded copy of the text; the value
// (after "key:") goes to value[260]. False when no entry matches.
bool Lookup(const char16_t* text, const char16_t* key, char16_t* value) {
  char16_t copy[kUnits];
  StringUtil::Ustrlcpy(copy, text, kUnits);
  const std::u16string_view wanted = View(key);
  bool found = false;
  ForEachEntry(copy, [&](std::u16string_view entry) {
    if (KeyOf(entry) != wanted) return false;
    std::u16string_view rest = entry.substr(wanted.size());
    if (!rest.empty() && rest.front() == u':') rest.remove_prefix(1);
    const size_t n = rest.size() < static_cast<size_t>(kUnits) ? rest.size() : kUnits - 1;
    rest.copy(value, n);
    value[n] = 0;
    found = true;
    return true;
  });
  return found;
}

}  // namespace

int CKx2OptionList::Has(const char16_t* key) const {
  if (!text_) return 0;
  char16_t value[kUnits];
  return Lookup(text_, key, value) ? 1 : 0;
}

int CKx2OptionList::Get(const char16_t* key, char16_t* out) const {
  if (!text_) return 0;
  char16_t value[kUnits];
  if (!Lookup(text_, key, value)) return 0;
  if (out) StringUtil::Ustrlcpy(out, value, kUnits);
  return 1;
}

int CKx2OptionList::GetBool(const char16_t* key, int defaultValue) const {
  if (!text_) return 0;
  char16_t value[kUnits];
  if (!Lookup(text_, key, value)) return defaultValue;
  return value[0] == 0 || StringUtil::Ustricmp(value, u"true") == 0 ? 1 : 0;
}

int CKx2OptionList::GetInt(const char16_t* key, int defaultValue) const {
  if (!text_) return 0;
  char16_t value[kUnits];
  if (!Lookup(text_, key, value)) return defaultValue;
  return _wtoi(value);
}

int CKx2OptionList::GetString(const char16_t* key, char16_t* out, const char16_t* defaultValue) const {
  if (!text_) return 0;
  char16_t value[kUnits];
  if (Lookup(text_, key, value)) {
    if (out) StringUtil::Ustrlcpy(out, value, kUnits);
    return 1;
  }
  if (!out) return 0;
  return StringUtil::Ustrlcpy(out, defaultValue ? defaultValue : u"", kUnits);
}

int CKx2OptionList::Remove(const char16_t* key) {
  if (!text_) return 0;
  char16_t copy[kUnits];
  StringUtil::Ustrlcpy(copy, text_, kUnits);
  const std::u16string_view wanted = View(key);
  size_t length = 0;
  ForEachEntry(copy, [&](std::u16string_view entry) {
    if (KeyOf(entry) == wanted) return false;
    if (length) text_[length++] = u';';
    entry.copy(text_ + length, entry.size());
    length += entry.size();
    return false;
  });
  text_[length] = 0;
  return 1;
}

int CKx2OptionList::SetString(const char16_t* key, const char16_t* value) {
  if (!text_) return 0;
  const std::u16string_view k = View(key);
  const std::u16string_view v = View(value);
  if (k.find_first_of(u":;") != std::u16string_view::npos || v.find(u';') != std::u16string_view::npos) return 0;
  Remove(key);
  char16_t pair[kUnits];
  if (FormatWideString(pair, kUnits, u"%s:%s", key ? key : u"", value ? value : u"") < 0) return 0;
  const size_t present = View(text_).size();
  const size_t separator = present ? 1 : 0;
  const size_t pairLength = View(pair).size();
  if (present + separator + pairLength >= static_cast<size_t>(kUnits)) return 0;
  if (separator) text_[present] = u';';
  std::u16string_view(pair, pairLength).copy(text_ + present + separator, pairLength);
  text_[present + separator + pairLength] = 0;
  return 1;
}

int CKx2OptionList::SetBool(const char16_t* key, int flag) { return SetString(key, flag ? u"true" : u"false"); }

int CKx2OptionList::SetInt(const char16_t* key, int value) {
  char16_t digits[34];
  _itow(value, digits, 10);
  return SetString(key, digits);
}
