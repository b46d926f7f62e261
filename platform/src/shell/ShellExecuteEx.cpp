// ShellExecuteExW: programs started here, everything else through ShellExecuteW.
#include <spawn.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "kx2/KernelObject.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "kx2/Win32Error.h"
#include "shell/ChildProcess.h"
#include "shell/ShellPaths.h"
#include "win/fileapi.h"
#include "win/kernel.h"
#include "win/shell_execute.h"

extern char** environ;

namespace {

constexpr intptr_t kStarted = 42;

// The words of a parameter text, split by the Windows rules.
std::vector<std::string> Words(LPCWSTR parameters) {
  std::vector<std::string> words;
  std::u16string_view text = kx2::View16(parameters);
  if (text.find_first_not_of(u" \t") == std::u16string_view::npos) return words;
  // A stand-in program name, so that the first word is split like the others.
  std::u16string line = u"x " + std::u16string(text);
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
  if (!argv) return words;
  for (int i = 1; i < count; ++i) words.push_back(kx2::Utf16ToUtf8(kx2::View16(argv[i])));
  LocalFree(argv);
  return words;
}

bool IsOpenVerb(LPCWSTR verb) { return !verb || !*verb || kx2::EqualsI16(kx2::View16(verb), u"open"); }

bool EndsWithExe(std::u16string_view file) {
  return file.size() > 4 && kx2::EqualsI16(file.substr(file.size() - 4), u".exe");
}

// The program's POSIX path when the file names a .exe that can be run here.
std::optional<std::string> RunnableProgram(const SHELLEXECUTEINFOW& info) {
  std::u16string_view file = kx2::View16(info.lpFile);
  if (!EndsWithExe(file)) return std::nullopt;
  std::u16string_view directory = kx2::View16(info.lpDirectory);
  bool relative = !(file.size() >= 2 && file[1] == u':') && file[0] != u'\\' && file[0] != u'/';
  std::u16string name = relative && !directory.empty() ? kx2::shell::Join(directory, file) : std::u16string(file);
  DWORD error = 0;
  std::optional<std::u16string> full = kx2::shell::FullPath(name, &error);
  if (!full) return std::nullopt;
  std::optional<std::string> mapped = kx2::ToPosixPath(*full, &error);
  if (!mapped || access(mapped->c_str(), X_OK) != 0) return std::nullopt;
  return mapped;
}

// The child's id, or -1 with errno's value in *error.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const std::string& folder, int* error) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  *error = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return *error ? -1 : child;
}

}  // namespace

KX2_EXPORT BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  try {
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    info->hProcess = nullptr;
    std::optional<std::string> program;
    if (IsOpenVerb(info->lpVerb) && info->lpFile && *info->lpFile) program = RunnableProgram(*info);
    if (!program) {
      info->hInstApp =
          ShellExecuteW(info->hwnd, info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory, info->nShow);
      return reinterpret_cast<intptr_t>(info->hInstApp) > 32 ? TRUE : FALSE;
    }
    std::string folder;
    if (info->lpDirectory && *info->lpDirectory) {
      std::optional<std::string> mapped = kx2::ToPosixPath(kx2::View16(info->lpDirectory));
      if (!mapped) {
        info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(SE_ERR_PNF));
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
      }
      folder = *mapped;
    }
    int error = 0;
    pid_t child = Spawn(*program, Words(info->lpParameters), folder, &error);
    if (child < 0) {
      info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(SE_ERR_NOASSOC));
      SetLastError(kx2::Win32ErrorFromErrno(error));
      return FALSE;
    }
    auto process = kx2::shell::WatchChild(child);
    if (info->fMask & SEE_MASK_NOCLOSEPROCESS) info->hProcess = kx2::InsertHandle(process);
    info->hInstApp = reinterpret_cast<HINSTANCE>(kStarted);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}
