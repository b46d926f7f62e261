// Private: the names of a locale that come from ICU (days, months, markers, symbols).
#pragma once

#include <map>
#include <string>

#include "nls/LocaleTable.h"

namespace kx2 {

struct LocaleNames {
  std::u16string days[7];  // [0] Sunday
  std::u16string abbrevDays[7];
  std::u16string months[12];  // as used inside a date (genitive where the language has one)
  std::u16string standaloneMonths[12];
  std::u16string abbrevMonths[12];
  std::u16string am = u"AM", pm = u"PM", era = u"A.D.";
  std::u16string decimal = u".", thousand = u",", currency = u"$", intlCurrency = u"USD";
  std::u16string nativeLanguage, nativeCountry;
};

LocaleNames NamesOf(const LocaleEntry& e);

}  // namespace kx2
