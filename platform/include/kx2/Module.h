// Conventions between the platform's module loader and the libraries it loads.
#pragma once

#include <type_traits>

#include "win/module.h"

// One ordinal of a library's export table: the ordinal and the name of the export it
// stands for (an extern "C" function with default visibility).
struct KX2_API Kx2Ordinal {
  WORD ordinal;
  const char* name;
};

// The symbol a library's ordinal table is exported under; the table ends with {0, nullptr}.
#define KX2_ORDINAL_TABLE_SYMBOL "kx2_ordinal_table"

// Declares a library's ordinals, once, in one source file of the library:
//   KX2_EXPORT_ORDINALS({5, "VtlGetApplication"}, {6, "VtlCreateObject"});
// GetProcAddress(module, MAKEINTRESOURCEA(5)) then gives what GetProcAddress(module,
// "VtlGetApplication") gives.
// Every library exports a table under the same name; a section of its own keeps
// AddressSanitizer from instrumenting it as a global, which would report the second
// library's table as a one-definition-rule violation.
#define KX2_EXPORT_ORDINALS(...)                                                   \
  extern "C" __attribute__((visibility("default"), used, section("kx2_ordinals"))) \
  const Kx2Ordinal kx2_ordinal_table[] = {__VA_ARGS__, {0, nullptr}}

// The module (library or program) that holds an address; null when none does.
KX2_EXPORT HMODULE Kx2ModuleFromAddress(const void* address);

// The handle of the module this is compiled into: each library gets its own copy of the
// anchor, so the call answers for the library that makes it.
[[maybe_unused]] static HMODULE Kx2ThisModule() {
  static const char anchor = 0;
  return Kx2ModuleFromAddress(&anchor);
}

// A number that changes whenever a module is loaded or unloaded or a switch below changes
// what a name leads to: code that keeps what it learnt from module names reads it again
// only when this moved.
KX2_EXPORT DWORD Kx2ModuleGeneration();

// Test switches of the module layer, so that tests can show how code copes with a
// system that lacks a library or a function, or whose libraries changed under it.
//
// A system library made absent ("psapi", "msimg32.dll" ...: a name the platform stands
// for) neither loads nor is found loaded: ERROR_MOD_NOT_FOUND.
KX2_EXPORT void Kx2ModuleSetAbsent(LPCWSTR library, BOOL absent);
// An export made absent is found in no module (ERROR_PROC_NOT_FOUND); each refused
// lookup is counted, so a test can tell how often code looked.
KX2_EXPORT void Kx2ModuleSetExportAbsent(LPCSTR exportName, BOOL absent);
KX2_EXPORT DWORD Kx2ModuleAbsentLookups(LPCSTR exportName);
// A system library the platform stands for ("uxtheme") gets a new handle, as if it had
// been unloaded and loaded again; the earlier handle stays valid.
KX2_EXPORT HMODULE Kx2ModuleReloadSystemLibrary(LPCWSTR library);
// "user32" or "comctl32" names a second loaded copy of its library from now on (the
// first stays loaded); returns the copy.
KX2_EXPORT HMODULE Kx2ModuleLoadSecondCopy(LPCWSTR library);
// Every switch off; handles given out stay valid.
KX2_EXPORT void Kx2ModuleResetSwitches();

namespace kx2 {

// GetProcAddress gives every export as FARPROC; this makes it the export's own function
// pointer type. The cast goes through void (*)(), which both compilers take as "a function
// of any type", so the conversion says what it means and warns about nothing.
template <class F>
F ProcAs(FARPROC proc) {
  static_assert(std::is_pointer_v<F> && std::is_function_v<std::remove_pointer_t<F>>, "F is a function pointer type");
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace kx2
