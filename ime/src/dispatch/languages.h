// The bridge's language codes, their indexes into the window block, the per-language
// records and the language set the Hangul key switches among.
#pragma once

#include <cstdint>

#include "quel_internal.h"

namespace quel {

constexpr uint32_t kEnglish = 1033, kKorean = 1042, kJapanese = 1041, kSimplifiedChinese = 2052,
                   kTraditionalChinese = 1028, kNoLanguage = 0, kUserDefault = 1024, kSystemMethod = 2048,
                   kSimplifiedChinese2 = 2078;
constexpr uint32_t kDefaultMode = 0x20;

// The block index of a language code (0 to 7, or 38), -1 for a code without one.
int LanguageIndex(uint32_t code);
// Japanese and the Chinese codes.
bool IsCjkCode(uint32_t code);

struct tagImeLangRecord {
  int32_t values[7];  // the mode (32) first; the fifth is sub-code 0x000B's value
};
// The record of a language index, made on first use; null for -1.
const tagImeLangRecord* LanguageRecord(int index);

struct tagImeLangSet {
  int32_t values[12];  // the four words the Hangul key switches among, then 0, 1, 0 ...
};
static_assert(sizeof(tagImeLangSet) == 48);
// Computed once from the system's default language.
const tagImeLangSet& LanguageSet();

QUEL_TEST_API void ResetLanguages();

}  // namespace quel
