// ShellExecuteW: documents, folders and URLs handed to the desktop's opener.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "kx2/Win32Error.h"
#include "shell/ShellPaths.h"
#include "win/kernel.h"
#include "win/shell.h"

extern char** environ;

namespace {

constexpr intptr_t kStarted = 42;  // any value above 32 means success

HINSTANCE Result(intptr_t code, DWORD error) {
  SetLastError(error);
  return reinterpret_cast<HINSTANCE>(code);
}

// "https://...", "mailto:..." and the like: a scheme of two or more letters, so that a
// drive letter ("C:") never counts as one.
bool IsUrl(std::u16string_view text) {
  size_t colon = text.find(u':');
  if (colon == std::u16string_view::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    char16_t c = text[i];
    bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    if (!letter && !(i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'))) return false;
  }
  return true;
}

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

class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
    // The opener starts with no signal blocked and every signal at its default.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  void ChangeFolder(const std::string& folder) { posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str()); }

  // The child's id, or -1 with errno's value in *error.
  pid_t Start(const std::string& program, const std::vector<std::string>& args, int* error) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    bool searchPath = program.find('/') == std::string::npos;
    *error = searchPath ? posix_spawnp(&child, program.c_str(), &actions_, &attributes_, argv.data(), environ)
                        : posix_spawn(&child, program.c_str(), &actions_, &attributes_, argv.data(), environ);
    return *error ? -1 : child;
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

// The opener is not waited for, but its exit is collected so that it leaves no zombie.
void ReapLater(pid_t child) {
  try {
    std::thread([child] {
      int status = 0;
      while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    }).detach();
  } catch (...) {
    // Without a thread the exit is collected with the process's own.
  }
}

}  // namespace

KX2_EXPORT HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                                   INT) {
  try {
    if (lpOperation && *lpOperation && !kx2::EqualsI16(kx2::View16(lpOperation), u"open"))
      return Result(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    if (!lpFile || !*lpFile) return Result(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);

    std::string folder;
    std::u16string_view directory = kx2::View16(lpDirectory);
    if (!directory.empty()) {
      std::optional<std::string> mapped = kx2::ToPosixPath(directory);
      struct stat st;
      if (!mapped || stat(mapped->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Result(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
      folder = *mapped;
    }

    std::u16string_view file = kx2::View16(lpFile);
    std::string target;
    if (IsUrl(file)) {
      target = kx2::Utf16ToUtf8(file);
    } else {
      // A relative name is looked for in the working folder when one is given.
      bool relative = !(file.size() >= 2 && file[1] == u':') && file[0] != u'\\' && file[0] != u'/';
      std::u16string name = relative && !directory.empty() ? kx2::shell::Join(directory, file) : std::u16string(file);
      DWORD error = ERROR_FILE_NOT_FOUND;
      std::optional<std::u16string> full = kx2::shell::FullPath(name, &error);
      std::optional<std::string> mapped;
      if (full) {
        if (GetFileAttributesW(full->c_str()) == INVALID_FILE_ATTRIBUTES)
          error = GetLastError();
        else
          mapped = kx2::ToPosixPath(*full, &error);
      }
      if (!mapped) return Result(error == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF, error);
      target = std::move(*mapped);
    }

    const char* opener = getenv("KX2_SHELL_OPENER");
    if (!opener || !*opener) return Result(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    std::vector<std::string> args{target};
    for (std::string& word : Words(lpParameters)) args.push_back(std::move(word));
    SpawnSetup setup;
    if (!folder.empty()) setup.ChangeFolder(folder);
    int error = 0;
    pid_t child = setup.Start(opener, args, &error);
    if (child < 0) return Result(SE_ERR_NOASSOC, kx2::Win32ErrorFromErrno(error));
    ReapLater(child);
    return Result(kStarted, ERROR_SUCCESS);
  } catch (...) {
    return Result(SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY);
  }
}
