// _wsetlocale: the layer's own record of the C runtime's locale names. It never calls
// setlocale, so the process's number formatting is never changed behind anyone's back.
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <mutex>
#include <string>

#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "nls/LocaleTable.h"
#include "win/crt.h"
#include "win/nls.h"

using namespace kx2;

namespace {

const int kCategories[] = {LC_COLLATE, LC_CTYPE, LC_MONETARY, LC_NUMERIC, LC_TIME};
const char16_t* const kCategoryNames[] = {u"LC_COLLATE", u"LC_CTYPE", u"LC_MONETARY", u"LC_NUMERIC", u"LC_TIME"};

std::mutex g_lock;
std::u16string g_names[5] = {u"C", u"C", u"C", u"C", u"C"};

int IndexOf(int category) {
  for (int i = 0; i < 5; ++i)
    if (kCategories[i] == category) return i;
  return -1;
}

// The canonical name of a locale request, or empty when it names nothing we know.
std::u16string Canonical(std::u16string_view request) {
  if (request == u"C" || request == u"POSIX") return u"C";
  std::u16string_view language = request, codePage;
  size_t dot = request.find(u'.');
  if (dot != std::u16string_view::npos) language = request.substr(0, dot), codePage = request.substr(dot + 1);
  const LocaleEntry* e = nullptr;
  if (language.empty()) {
    e = FindLocale(UserLcid());
  } else if (!(e = FindLocaleByName(language))) {
    size_t cut = language.find(u'_');
    std::u16string_view country = cut == std::u16string_view::npos ? std::u16string_view() : language.substr(cut + 1);
    e = FindLocaleByEnglishName(language.substr(0, cut), country);
    for (size_t i = 0; !e && LocaleAt(i); ++i)
      if (EqualsI16(LocaleAt(i)->abbrev, language)) e = LocaleAt(i);
  }
  if (!e) return {};
  std::u16string cp;
  if (codePage.empty() || EqualsI16(codePage, u"ACP")) {
    cp = Utf8ToUtf16(std::to_string(e->ansiCodePage));
  } else if (EqualsI16(codePage, u"OCP")) {
    cp = Utf8ToUtf16(std::to_string(e->oemCodePage));
  } else if (EqualsI16(codePage, u"UTF8") || EqualsI16(codePage, u"UTF-8")) {
    cp = u"utf8";
  } else {
    // Digits alone, and a number that fits a code page: a longer one must not wrap round
    // to a code page that exists (".4294968548" is not 1252).
    std::string digits;
    for (char16_t c : codePage) {
      if (c < u'0' || c > u'9') return {};
      digits += static_cast<char>(c);
    }
    uint32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) return {};
    if (!IsValidCodePage(number)) return {};
    cp = codePage;
  }
  return EnglishLanguageName(*e) + u"_" + EnglishCountryName(*e) + u"." + cp;
}

std::u16string Query(int index) {
  if (index >= 0) return g_names[index];
  bool same = true;
  for (int i = 1; i < 5; ++i) same = same && g_names[i] == g_names[0];
  if (same) return g_names[0];
  std::u16string all;
  for (int i = 0; i < 5; ++i) {
    if (i) all += u";";
    all += kCategoryNames[i];
    all += u"=";
    all += g_names[i];
  }
  return all;
}

}  // namespace

char16_t* _wsetlocale(int category, const char16_t* locale) {
  return kx2::Guard(static_cast<char16_t*>(nullptr), [&]() -> char16_t* {
    int index = category == LC_ALL ? -1 : IndexOf(category);
    if (category != LC_ALL && index < 0) {
      errno = EINVAL;
      return nullptr;
    }
    thread_local std::u16string result;
    std::lock_guard<std::mutex> guard(g_lock);
    if (locale) {
      std::u16string name = Canonical(View16(locale));
      if (name.empty()) return nullptr;
      if (index < 0) {
        for (auto& n : g_names) n = name;
      } else {
        g_names[index] = name;
      }
    }
    result = Query(index);
    return result.data();
  });
}
