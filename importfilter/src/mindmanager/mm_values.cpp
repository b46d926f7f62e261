#include "mindmanager/mm_values.h"

#include <cmath>
#include <vector>

#include <foliant/time_value.h>
#include <foliant/common/hex_digits.h>
#include <foliant/common/xml_walk.h>
#include <win/crt.h>
#include <win/nls.h>

namespace foliant::mindmanager {
namespace {

// The largest length, in tenths of a millimetre, whose hundredths of a point still fit a
// 32-bit host value.
constexpr double kMaxTenths = 7.0e6;

}  // namespace

std::optional<DWORD> ParseArgbColor(std::u16string_view text) {
  if (text.size() != 8) return std::nullopt;
  size_t digits = 0;
  const DWORD value = ReadHexDigits(text, &digits);
  if (digits != 8) return std::nullopt;
  return value;
}

DWORD ColorWord(DWORD argb) { return 0xFF000000u | (argb & 0x00FFFFFFu); }

LONG TransparencyOf(DWORD argb) { return static_cast<LONG>((255 - (argb >> 24)) * 1000 / 255); }

LONG MillimetresToHundredths(double millimetres) {
  double tenths = millimetres * 10;
  if (!std::isfinite(tenths)) tenths = 0;
  if (tenths > kMaxTenths) tenths = kMaxTenths;
  if (tenths < -kMaxTenths) tenths = -kMaxTenths;
  return MulDiv(static_cast<int>(tenths), 283465, 1000) / 10;
}

std::optional<LONG> HundredthsOf(std::u16string_view text) {
  if (text.empty()) return std::nullopt;
  const double value = _wtof(std::u16string(text).c_str()) * 100;
  if (!std::isfinite(value) || value > 2.0e9 || value < -2.0e9) return std::nullopt;
  return static_cast<LONG>(value);
}

std::optional<LONG> LengthAttribute(IKX2XMLElement* element, LPCWSTR name) {
  LPCWSTR text = element ? element->GetAttribute(name) : nullptr;
  if (!text || !*text) return std::nullopt;
  const double value = _wtof(text);
  if (!std::isfinite(value)) return std::nullopt;
  return MillimetresToHundredths(value);
}

std::optional<int64_t> ParseDateTime(std::u16string_view text) {
  std::vector<int> numbers;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] < u'0' || text[i] > u'9') {
      ++i;
      continue;
    }
    int value = 0, digits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits)
      if (digits < 9) value = value * 10 + (text[i] - u'0');
    if (digits > 9 || numbers.size() == 6) return std::nullopt;
    numbers.push_back(value);
  }
  if (numbers.size() != 6) return std::nullopt;
  const int year = numbers[0], month = numbers[1], day = numbers[2];
  const int hour = numbers[3], minute = numbers[4], second = numbers[5];
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
      second > 60)
    return std::nullopt;
  const TimeValue time(year, month, day, hour, minute, second, -1);
  if (time.GetTime() == -1) return std::nullopt;
  return time.GetTime();
}

std::optional<bool> ParseFlag(std::u16string_view text) {
  if (text == u"true" || text == u"TRUE") return true;
  if (text == u"false" || text == u"FALSE") return false;
  if (text.empty() || text.size() > 16) return std::nullopt;
  bool set = false;
  for (char16_t c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    set = set || digit != 0;
  }
  return set;
}

std::u16string PackageEntryOf(std::u16string_view uri) {
  if (const size_t scheme = uri.find(u"://"); scheme != std::u16string_view::npos) uri.remove_prefix(scheme + 3);
  std::u16string entry(uri);
  for (char16_t& c : entry)
    if (c == u'/') c = u'\\';
  const size_t start = entry.find_first_not_of(u'\\');
  return start == std::u16string::npos ? std::u16string() : entry.substr(start);
}

IKX2XMLElement* FindDescendant(IKX2XMLElement* element, std::u16string_view tag, int depth) {
  if (!element || depth <= 0) return nullptr;
  IKX2XMLElement* found = nullptr;
  ForEachChildElement(element, [&](IKX2XMLElement* child) {
    if (TagIsNoCase(child, tag)) {
      child->AddRef();
      found = child;
      return false;
    }
    found = FindDescendant(child, tag, depth - 1);
    return found == nullptr;
  });
  return found;
}

std::u16string DescendantText(IKX2XMLElement* element, std::u16string_view tag, int depth) {
  IKX2XMLElement* found = FindDescendant(element, tag, depth);
  if (!found) return {};
  LPCWSTR text = found->GetText();
  std::u16string out = text ? text : u"";
  found->Release();
  return out;
}

}  // namespace foliant::mindmanager
