// Finding and starting the report program.
#include <fennic/Launcher.h>
#include <kx2/Module.h>
#include <kx2/Utf.h>
#include <win/crt.h>
#include <win/kernel.h>
#include <win/module.h>
#include <win/shell.h>
#include <win/shell_execute.h>

#include "launcher_parts.h"

namespace fennic {

namespace {

using GetFolderProc = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

// The user's application-data folder, through the library the system version names.
std::u16string UserAppData() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) return u"";
  HMODULE library = LoadLibraryW(version.dwMajorVersion < 5 ? u"shfolder.dll" : u"shell32.dll");
  GetFolderProc getFolder = library ? kx2::ProcAs<GetFolderProc>(GetProcAddress(library, "SHGetFolderPathW")) : nullptr;
  // The platform carries the call itself where no such library is mapped.
  if (!getFolder) getFolder = SHGetFolderPathW;
  char16_t folder[MAX_PATH] = {};
  HRESULT found = getFolder(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
  if (library) FreeLibrary(library);
  return SUCCEEDED(found) ? std::u16string(kx2::View16(folder)) : u"";
}

std::u16string CommonAppData() {
  char16_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder))) return u"";
  return std::u16string(kx2::View16(folder));
}

}  // namespace

std::u16string ProgramPath(std::u16string_view folder, std::u16string_view product) {
  std::u16string path(folder);
  if (path.empty() || path.back() != u'\\') path += u'\\';
  return path + std::u16string(product) + u"\\Fennic\\" + u"Fennic.exe";
}

bool FileExists(std::u16string_view path) {
  std::u16string bare;
  for (char16_t c : path)
    if (c != u'"') bare += c;
  return !bare.empty() && _waccess(bare.c_str(), 0) == 0;
}

std::u16string QuoteArgument(std::u16string_view argument) {
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled and the quote escaped; elsewhere they stand.
    quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    quoted += c;
  }
  // Backslashes before the closing quote are doubled so that it still closes.
  quoted.append(backslashes * 2, u'\\');
  return quoted + u"\"";
}

std::u16string FindProgram(const std::u16string& product) {
  std::u16string program = ProgramPath(UserAppData(), product);
  if (FileExists(program)) return program;
  program = ProgramPath(CommonAppData(), product);
  return FileExists(program) ? program : u"";
}

void StartProgram(const std::u16string& program, const std::u16string& parameters) {
  if (!FileExists(program)) return;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = u"open";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  // The launcher never waits for the program; the platform reaps it.
  if (ShellExecuteExW(&info) && info.hProcess) CloseHandle(info.hProcess);
}

}  // namespace fennic
