// The usage-report launcher: counts a run of the host and starts the report program.
#pragma once

#include <string>

#include <win/types.h>

#define FENNIC_API __attribute__((visibility("default")))

namespace fennic {

// The registry key of one product, version, language and type (under HKEY_CURRENT_USER).
FENNIC_API std::u16string RunKeyName(LPCWSTR product, LPCWSTR version, LPCWSTR language, LPCWSTR type);
// One argument quoted by the Windows rules, so that blanks, quotes and trailing
// backslashes reach the program as they are.
FENNIC_API std::u16string QuoteArgument(std::u16string_view argument);
// "<folder>\<product>\Fennic\Fennic.exe", with one backslash after the folder.
FENNIC_API std::u16string ProgramPath(std::u16string_view folder, std::u16string_view product);
// The file exists (double quotes in the path are ignored); the wide path is tested as it is.
FENNIC_API bool FileExists(std::u16string_view path);

FENNIC_API BOOL FennicProcessAttach();
FENNIC_API void FennicProcessDetach();

}  // namespace fennic

// No result; failures are silent.
extern "C" FENNIC_API void WINAPI Fennic_Run(LPCWSTR product, LPCWSTR version, LPCWSTR language, LPCWSTR type,
                                             LPCWSTR endpoint);
