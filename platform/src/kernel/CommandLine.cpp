// The process command line in Windows form, and splitting one by the Windows rules.
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "win/kernel.h"

namespace {

std::mutex g_lock;
std::u16string* g_commandLine = nullptr;

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::u16string Quote(std::u16string_view arg) {
  if (!arg.empty() && arg.find_first_of(u" \t\n\v\"") == std::u16string_view::npos) return std::u16string(arg);
  std::u16string out = u"\"";
  size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    if (c == u'"')
      out.append(backslashes * 2 + 1, u'\\');
    else
      out.append(backslashes, u'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, u'\\');
  out.push_back(u'"');
  return out;
}

std::u16string BuildFromProc() {
  std::string raw;
  if (FILE* f = fopen("/proc/self/cmdline", "rb")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) raw.append(buf, n);
    fclose(f);
  }
  std::vector<std::string> args;
  size_t start = 0;
  for (size_t i = 0; i < raw.size(); ++i)
    if (raw[i] == '\0') args.push_back(raw.substr(start, i - start)), start = i + 1;
  std::u16string line;
  for (size_t k = 0; k < args.size(); ++k) {
    if (k) line.push_back(u' ');
    // The program itself is named as Windows names it; arguments stay as given.
    std::u16string arg =
        k == 0 && args[0].find('/') != std::string::npos ? kx2::ToWindowsPath(args[0]) : kx2::Utf8ToUtf16(args[k]);
    line += Quote(arg);
  }
  return line;
}

}  // namespace

KX2_EXPORT LPWSTR GetCommandLineW() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!g_commandLine) g_commandLine = new std::u16string(BuildFromProc());
  return g_commandLine->data();
}

KX2_EXPORT void Kx2SetCommandLine(LPCWSTR commandLine) {
  std::lock_guard<std::mutex> guard(g_lock);
  // The old text is kept alive: callers may still hold the pointer GetCommandLineW gave.
  static auto* retired = new std::vector<std::u16string*>;
  if (g_commandLine) retired->push_back(g_commandLine);
  g_commandLine = new std::u16string(kx2::View16(commandLine));
}

KX2_EXPORT LPWSTR* CommandLineToArgvW(LPCWSTR lpCmdLine, int* pNumArgs) {
  if (!pNumArgs) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<std::u16string> args;
  std::u16string_view s = kx2::View16(lpCmdLine);
  if (s.empty()) {
    // An empty line yields the program's own name.
    int n = 0;
    LPWSTR* self = CommandLineToArgvW(GetCommandLineW(), &n);
    if (self && n > 0) args.emplace_back(self[0]);
    LocalFree(self);
    if (args.empty()) args.emplace_back();
  } else {
    size_t i = 0;
    // The program name: up to the next blank, or between quotes, with no escapes.
    std::u16string first;
    if (s[0] == u'"') {
      for (i = 1; i < s.size() && s[i] != u'"'; ++i) first.push_back(s[i]);
      if (i < s.size()) ++i;
    } else {
      for (; i < s.size() && s[i] != u' ' && s[i] != u'\t'; ++i) first.push_back(s[i]);
    }
    args.push_back(first);
    for (;;) {
      while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
      if (i >= s.size()) break;
      std::u16string arg;
      bool quoted = false;
      while (i < s.size()) {
        char16_t c = s[i];
        if (!quoted && (c == u' ' || c == u'\t')) break;
        if (c == u'\\') {
          size_t n = 0;
          while (i < s.size() && s[i] == u'\\') ++n, ++i;
          if (i < s.size() && s[i] == u'"') {
            arg.append(n / 2, u'\\');
            if (n % 2) {
              arg.push_back(u'"');
              ++i;
            }
          } else {
            arg.append(n, u'\\');
          }
          continue;
        }
        if (c == u'"') {
          // Inside quotes, "" is one literal quote and quoting goes on.
          if (quoted && i + 1 < s.size() && s[i + 1] == u'"') {
            arg.push_back(u'"');
            i += 2;
            continue;
          }
          quoted = !quoted;
          ++i;
          continue;
        }
        arg.push_back(c);
        ++i;
      }
      args.push_back(std::move(arg));
    }
  }
  size_t bytes = (args.size() + 1) * sizeof(LPWSTR);
  for (auto& a : args) bytes += (a.size() + 1) * sizeof(WCHAR);
  auto** argv = static_cast<LPWSTR*>(LocalAlloc(LMEM_FIXED, bytes));
  if (!argv) return nullptr;
  auto* text = reinterpret_cast<WCHAR*>(argv + args.size() + 1);
  for (size_t k = 0; k < args.size(); ++k) {
    argv[k] = text;
    for (char16_t c : args[k]) *text++ = c;
    *text++ = 0;
  }
  argv[args.size()] = nullptr;
  *pNumArgs = static_cast<int>(args.size());
  return argv;
}
