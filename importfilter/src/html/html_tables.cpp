// The parser's fixed tables: the sixteen HTML colour names and the font sizes.
#include <foliant/common/color_text.h>
#include <foliant/html/html_parser.h>

namespace HTML {
namespace {

struct NamedColorEntry {
  std::u16string_view name;
  DWORD value;
};

constexpr NamedColorEntry kColors[] = {
    {u"aqua", 0xFF00FFFF},   {u"black", 0xFF000000}, {u"blue", 0xFF0000FF},   {u"fuchsia", 0xFFFF00FF},
    {u"gray", 0xFF808080},   {u"green", 0xFF008000}, {u"lime", 0xFF00FF00},   {u"maroon", 0xFF800000},
    {u"navy", 0xFF000080},   {u"olive", 0xFF808000}, {u"purple", 0xFF800080}, {u"red", 0xFFFF0000},
    {u"silver", 0xFFC0C0C0}, {u"teal", 0xFF008080},  {u"white", 0xFFFFFFFF},  {u"yellow", 0xFFFFFF00},
};

constexpr LONG kSizePoints[] = {8, 10, 12, 14, 18, 24};

}  // namespace

std::optional<DWORD> NamedColor(std::u16string_view name) {
  for (const NamedColorEntry& entry : kColors)
    if (entry.name == name) return entry.value;
  return std::nullopt;
}

std::optional<LONG> FontSizePoints(LONG htmlSize) {
  if (htmlSize < 1 || htmlSize > 6) return std::nullopt;
  return kSizePoints[htmlSize - 1];
}

std::optional<DWORD> ParseHtmlColor(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  if (auto named = NamedColor(lower)) return named;
  return foliant::ParseHashColor(lower);
}

}  // namespace HTML
