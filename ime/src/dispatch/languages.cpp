// Language codes, records and the language set.
#include "dispatch/languages.h"

#include <array>
#include <optional>

#include <win/nls.h>

namespace quel {
namespace {

constexpr int kIndexCount = 39;

std::array<std::optional<tagImeLangRecord>, kIndexCount>& Records() {
  static std::array<std::optional<tagImeLangRecord>, kIndexCount> records;
  return records;
}

std::optional<tagImeLangSet>& Set() {
  static std::optional<tagImeLangSet> set;
  return set;
}

}  // namespace

int LanguageIndex(uint32_t code) {
  switch (code) {
    case kEnglish:
      return 0;
    case kKorean:
      return 1;
    case kJapanese:
      return 2;
    case kSimplifiedChinese:
      return 3;
    case kTraditionalChinese:
      return 4;
    case kNoLanguage:
      return 5;
    case kUserDefault:
      return 6;
    case kSystemMethod:
      return 7;
    case kSimplifiedChinese2:
      return 38;
    default:
      return -1;
  }
}

bool IsCjkCode(uint32_t code) {
  return code == kJapanese || code == kSimplifiedChinese || code == kSimplifiedChinese2 || code == kTraditionalChinese;
}

const tagImeLangRecord* LanguageRecord(int index) {
  if (index < 0 || index >= kIndexCount) return nullptr;
  auto& record = Records()[static_cast<size_t>(index)];
  if (!record) record = tagImeLangRecord{{static_cast<int32_t>(kDefaultMode), 0, 0, 0, 0, 0, 0}};
  return &*record;
}

const tagImeLangSet& LanguageSet() {
  if (!Set()) {
    const LANGID system = GetSystemDefaultLangID();
    tagImeLangSet set{};
    set.values[0] = 0x200800;
    switch (system) {
      case 1028:
      case 2052:
        set.values[1] = 1033, set.values[2] = 1042, set.values[3] = 0x20411;
        break;
      case 1041:
        set.values[1] = 1033, set.values[2] = 1042, set.values[3] = 0x10400;
        break;
      case 1042:
        set.values[1] = 1033, set.values[2] = 0x20411, set.values[3] = 0x10400;
        break;
      default:
        set.values[1] = 1042, set.values[2] = 0x20411, set.values[3] = 0x10400;
        break;
    }
    set.values[5] = 1;
    Set() = set;
  }
  return *Set();
}

void ResetLanguages() {
  Records() = {};
  Set().reset();
}

}  // namespace quel
