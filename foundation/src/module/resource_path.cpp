// Finding a module's language resource file: "${Languages}\<ABBR>\<Name>.<ABBR>" for the
// user's language, its primary language, then US English, each falling back to "ENU".
#include <string>

#include <basalt/error.h>
#include <basalt/module.h>
#include <basalt/path_util.h>
#include <basalt/resource.h>
#include <win/crt.h>
#include <win/module.h>
#include <win/nls.h>

#include "common/text16.h"
#include "module/language_module.h"

namespace Basalt::Base {
namespace {

// The last language whose abbreviation was asked, and the answer.
struct AbbreviationCache {
  bool valid = false;
  DWORD language = 0;
  char16_t text[4] = {};
} g_abbreviation;

bool LanguageAbbreviation(DWORD language, char16_t (&out)[4]) {
  if (g_abbreviation.valid && g_abbreviation.language == language) {
    Text16::Copy(out, 4, g_abbreviation.text);
    return true;
  }
  char16_t text[4] = {};
  if (GetLocaleInfoW(language, LOCALE_SABBREVLANGNAME, text, 4) <= 0) return false;
  text[3] = 0;
  g_abbreviation = {true, language, {}};
  Text16::Copy(g_abbreviation.text, 4, text);
  Text16::Copy(out, 4, text);
  return true;
}

// "%s\%s\%s.%s" of (folder, abbreviation, name, abbreviation) when it names an existing
// file and fits MAX_PATH.
bool TryFile(std::u16string_view folder, std::u16string_view abbreviation, std::u16string_view name, char16_t* path) {
  std::u16string candidate(folder);
  candidate += u'\\';
  candidate += abbreviation;
  candidate += u'\\';
  candidate += name;
  candidate += u'.';
  candidate += abbreviation;
  if (candidate.size() >= MAX_PATH) return false;
  if (_waccess(candidate.c_str(), 0) != 0) return false;
  Text16::Copy(path, MAX_PATH, candidate);
  return true;
}

bool Probe(DWORD language, std::u16string_view name, char16_t* path) {
  char16_t folder[MAX_PATH];
  Util::PathUtil::_PathToAbsolute(u"${Languages}", folder);
  char16_t abbreviation[4];
  if (LanguageAbbreviation(language, abbreviation) && TryFile(folder, abbreviation, name, path)) return true;
  Module::_GetResourceExt(static_cast<unsigned short>(language), abbreviation);
  return TryFile(folder, abbreviation, name, path);
}

}  // namespace

void detail::SetResourceMissing(HINSTANCE instance) {
  char16_t fileName[MAX_PATH] = {};
  GetModuleFileNameW(instance, fileName, MAX_PATH);
  fileName[MAX_PATH - 1] = 0;
  Error::BaseError::_SetErrorEx(Error::kErrorResourceMissing, Error::kErrorKindText,
                                reinterpret_cast<const unsigned char*>(fileName),
                                static_cast<unsigned>((Text16::StrLen16(fileName) + 1) * sizeof(char16_t)));
}

int Module::_GetResourcePath(HINSTANCE module, char16_t* path) {
  if (!path) return 0;
  const std::u16string name(Text16::View16(path));
  const DWORD language = Util::Resource::_GetUserLCID();
  if (Probe(language, name, path)) return 1;
  if ((language & 0xFC00) != 0x400 && Probe((language & 0x3FF) | 0x400, name, path)) return 1;
  if (Probe(0x409, name, path)) return 1;

  detail::SetResourceMissing(module);
  return 0;
}

}  // namespace Basalt::Base
