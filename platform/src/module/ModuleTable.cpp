// Module records over dlopen and dladdr (see win/module.h).
#include "kx2/ErrorBoundary.h"
#include "module/ModuleTable.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "kx2/Module.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "win/kernel.h"
#include "win/module.h"

// One loaded module. Code modules are keyed by their link map, data files by path.
struct Kx2Module {
  std::string path;    // POSIX path of the file
  void* dl = nullptr;  // dlopen handle; null for a data file
  const link_map* map = nullptr;
  int loads = 0;        // LoadLibrary references not yet freed
  bool pinned = false;  // stays until the process ends
  bool resourcesRead = false;
  std::unique_ptr<kx2::rsrc::Container> resources;
  bool ordinalsRead = false;
  const Kx2Ordinal* ordinals = nullptr;
  bool systemLibrary = false;  // a Windows system library of its own: the platform's exports too
};

namespace {

using kx2::rsrc::Container;

// Windows libraries whose functions the platform library itself provides.
constexpr const char16_t* kSystemLibraries[] = {
    u"kernel32", u"kernelbase", u"user32",   u"gdi32",    u"advapi32", u"shell32", u"shfolder",
    u"shlwapi",  u"ole32",      u"oleaut32", u"comctl32", u"comdlg32", u"version", u"psapi",
    u"imm32",    u"msimg32",    u"uxtheme",  u"dwmapi",   u"winmm",    u"msvcrt",
};

// System libraries that are libraries of their own beside the platform library, so that
// an address can be told to lie inside them. They are loaded on first use and stay.
struct OwnSystemLibrary {
  const char16_t* name;
  const char* file;
};
constexpr OwnSystemLibrary kOwnSystemLibraries[] = {
    {u"user32", "libKx2User32.so"},
    {u"comctl32", "libKx2ComCtl32.so"},
};

struct Table {
  std::mutex mutex;
  std::unordered_set<Kx2Module*> all;
  std::unordered_map<const link_map*, Kx2Module*> byMap;
  std::unordered_map<std::string, Kx2Module*> dataFiles;  // by path
  Kx2Module* main = nullptr;
  Kx2Module* platform = nullptr;
  // Test switches (kx2/Module.h), by lower-case base name without ".dll".
  std::unordered_set<std::u16string> absentLibraries;
  std::unordered_map<std::string, DWORD> absentExports;     // refused lookups so far
  std::unordered_map<std::u16string, Kx2Module*> standIns;  // reloaded or second copies
};

// Counts changes to what module names lead to (kx2/Module.h).
std::atomic<DWORD> g_generation{1};
void Changed() { g_generation.fetch_add(1, std::memory_order_release); }

Table& TheTable() {
  static Table* t = new Table;  // records outlive every static destructor that may free a library
  return *t;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Canonical(const std::string& path) {
  char buf[PATH_MAX];
  return realpath(path.c_str(), buf) ? std::string(buf) : path;
}

std::string ProgramPath() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string Folder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::u16string BaseName16(std::u16string_view name) {
  size_t cut = name.find_last_of(u"\\/:");
  return std::u16string(cut == std::u16string_view::npos ? name : name.substr(cut + 1));
}

std::u16string Lower(std::u16string s) {
  for (auto& c : s) c = kx2::FoldLower16(c);
  return s;
}

std::u16string SystemBaseName(std::u16string_view name) {
  std::u16string base = Lower(BaseName16(name));
  if (base.size() > 4 && base.compare(base.size() - 4, 4, u".dll") == 0) base.resize(base.size() - 4);
  return base;
}

bool IsSystemLibrary(std::u16string_view name) {
  std::u16string base = SystemBaseName(name);
  for (auto* s : kSystemLibraries)
    if (base == s) return true;
  return false;
}

// The file of a system library that is a library of its own; null for other names.
const char* OwnSystemLibraryFile(std::u16string_view name) {
  std::u16string base = SystemBaseName(name);
  for (auto& own : kOwnSystemLibraries)
    if (base == own.name) return own.file;
  return nullptr;
}

// The file names a library name may stand for here: as given, and for "Name.dll" or a
// name without extension also "libName.so" and "Name.so".
std::vector<std::u16string> FileNameCandidates(const std::u16string& base) {
  std::vector<std::u16string> out{base};
  size_t dot = base.find_last_of(u'.');
  std::u16string ext = dot == std::u16string::npos ? u"" : Lower(base.substr(dot));
  if (ext.empty() || ext == u".dll") {
    std::u16string stem = dot == std::u16string::npos ? base : base.substr(0, dot);
    out.push_back(u"lib" + stem + u".so");
    out.push_back(stem + u".so");
  }
  return out;
}

// Where a library name leads in the file system: a path names one file; a bare name is
// looked for beside the program, then in the current directory. nullopt when nothing
// exists (a bare name may still be found by dlopen's own search).
std::optional<std::string> FindLibraryFile(std::u16string_view name) {
  bool hasPath = name.find_first_of(u"\\/:") != std::u16string_view::npos;
  std::u16string base = BaseName16(name);
  std::vector<std::u16string> folders;
  if (hasPath) {
    folders.push_back(std::u16string(name.substr(0, name.size() - base.size())));
  } else {
    folders.push_back(kx2::ToWindowsPath(Folder(ProgramPath())) + u"\\");
    folders.push_back(kx2::CurrentDirectory() + u"\\");
  }
  for (const auto& folder : folders) {
    for (const auto& candidate : FileNameCandidates(base)) {
      auto posix = kx2::ToPosixPath(folder + candidate);
      if (posix && IsFile(*posix)) return Canonical(*posix);
    }
  }
  return std::nullopt;
}

const link_map* MapOf(void* dl) {
  link_map* lm = nullptr;
  return dlinfo(dl, RTLD_DI_LINKMAP, &lm) == 0 ? lm : nullptr;
}

const link_map* MapOfAddress(const void* address) {
  // The loader's own index finds the object without the symbol search dladdr makes (which
  // walks the whole symbol table of a large library for the nearest name).
  dl_find_object found{};
  if (_dl_find_object(const_cast<void*>(address), &found) == 0 && found.dlfo_link_map) return found.dlfo_link_map;
  Dl_info info{};
  link_map* lm = nullptr;
  if (!dladdr1(address, &info, reinterpret_cast<void**>(&lm), RTLD_DL_LINKMAP)) return nullptr;
  return lm;
}

// The record of a code module already in the process; made (pinned) when missing.
// Caller holds the table's lock.
Kx2Module* RecordForMap(Table& t, const link_map* lm) {
  if (auto it = t.byMap.find(lm); it != t.byMap.end()) return it->second;
  auto* rec = new Kx2Module;
  rec->map = lm;
  rec->pinned = true;
  bool isMain = lm->l_name == nullptr || lm->l_name[0] == '\0';
  rec->path = isMain ? ProgramPath() : Canonical(lm->l_name);
  rec->dl = isMain ? dlopen(nullptr, RTLD_LAZY) : dlopen(lm->l_name, RTLD_LAZY | RTLD_NOLOAD);
  t.all.insert(rec);
  t.byMap.emplace(lm, rec);
  return rec;
}

Kx2Module* MainModule(Table& t) {
  if (!t.main) {
    void* self = dlopen(nullptr, RTLD_LAZY);
    t.main = RecordForMap(t, MapOf(self));
    dlclose(self);
  }
  return t.main;
}

Kx2Module* PlatformModule(Table& t) {
  if (!t.platform) t.platform = RecordForMap(t, MapOfAddress(reinterpret_cast<const void*>(&GetProcAddress)));
  return t.platform;
}

bool IsElf(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char head[4] = {};
  bool yes = read(fd, head, 4) == 4 && std::memcmp(head,
                                                   "\x7f"
                                                   "ELF",
                                                   4) == 0;
  close(fd);
  return yes;
}

// "<folder>/<name without its last extension>.rsrc"
std::string CompanionContainer(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  std::string stem =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
  return stem + ".rsrc";
}

// Reads a module's companion container; a missing one means no resources.
std::unique_ptr<Container> ReadCompanion(const std::string& modulePath, DWORD* error) {
  std::string file = CompanionContainer(modulePath);
  *error = ERROR_SUCCESS;
  if (!IsFile(file)) return nullptr;
  return Container::Load(file, error);
}

HMODULE LoadDataFile(const std::string& path) {
  Table& t = TheTable();
  {
    std::lock_guard lock(t.mutex);
    if (auto it = t.dataFiles.find(path); it != t.dataFiles.end()) {
      ++it->second->loads;
      return it->second;
    }
  }
  DWORD error = ERROR_SUCCESS;
  std::unique_ptr<Container> resources;
  if (Container::LooksLikeContainer(path)) {
    resources = Container::Load(path, &error);
    if (!resources) {
      SetLastError(error);
      return nullptr;
    }
  } else if (IsElf(path)) {
    resources = ReadCompanion(path, &error);
    if (error != ERROR_SUCCESS) {
      SetLastError(ERROR_BAD_EXE_FORMAT);
      return nullptr;
    }
  } else {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  std::lock_guard lock(t.mutex);
  if (auto it = t.dataFiles.find(path); it != t.dataFiles.end()) {  // another thread was quicker
    ++it->second->loads;
    return it->second;
  }
  auto* rec = new Kx2Module;
  rec->path = path;
  rec->loads = 1;
  rec->resourcesRead = true;
  rec->resources = std::move(resources);
  t.all.insert(rec);
  t.dataFiles.emplace(path, rec);
  return rec;
}

HMODULE LoadCode(const std::string& target, bool searched) {
  // No lock while dlopen runs: the library's start-up code may load modules itself.
  void* dl = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!dl) {
    // A file we found that does not load is not a library, unless a library it needs
    // is missing; a name dlopen searched for was simply not there.
    const char* why = dlerror();
    bool missing = !searched || (why && std::strstr(why, "cannot open shared object file"));
    SetLastError(missing ? ERROR_MOD_NOT_FOUND : ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  Table& t = TheTable();
  std::unique_lock lock(t.mutex);
  const link_map* lm = MapOf(dl);
  if (auto it = t.byMap.find(lm); it != t.byMap.end()) {
    ++it->second->loads;
    lock.unlock();
    dlclose(dl);  // the record keeps its own reference
    return it->second;
  }
  auto* rec = new Kx2Module;
  rec->path = Canonical(lm->l_name && lm->l_name[0] ? lm->l_name : target);
  rec->dl = dl;
  rec->map = lm;
  rec->loads = 1;
  t.all.insert(rec);
  t.byMap.emplace(lm, rec);
  Changed();
  return rec;
}

// Loads a system library of its own from the platform library's folder, pinned.
HMODULE LoadOwnSystemLibrary(const char* file) {
  Table& t = TheTable();
  std::string path;
  {
    std::lock_guard lock(t.mutex);
    path = Folder(PlatformModule(t)->path) + "/" + file;
  }
  HMODULE h = LoadCode(path, true);
  if (!h) return nullptr;
  std::lock_guard lock(t.mutex);
  h->pinned = true;
  h->systemLibrary = true;
  return h;
}

// The record behind a handle (null = the main program); nullptr when it is not ours.
Kx2Module* Lookup(Table& t, HMODULE h) {
  if (!h) return MainModule(t);
  return t.all.count(h) ? h : nullptr;
}

// A symbol of the module itself, not of a library it depends on.
void* OwnSymbol(Kx2Module* rec, const char* name) {
  if (!rec->dl) return nullptr;
  void* p = dlsym(rec->dl, name);
  if (!p || MapOfAddress(p) != rec->map) return nullptr;
  return p;
}

// What a test switch makes of a system library's name: absent (sets the error and gives
// true with null), or a stand-in record. False when no switch applies.
bool SwitchedSystemLibrary(std::u16string_view name, HMODULE* out) {
  if (!IsSystemLibrary(name)) return false;
  std::u16string base = SystemBaseName(name);
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  if (t.absentLibraries.count(base)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    *out = nullptr;
    return true;
  }
  if (auto it = t.standIns.find(base); it != t.standIns.end()) {
    *out = it->second;
    return true;
  }
  return false;
}

HMODULE FindLoaded(std::u16string_view name) {
  Table& t = TheTable();
  if (HMODULE h = nullptr; SwitchedSystemLibrary(name, &h)) return h;
  if (const char* file = OwnSystemLibraryFile(name)) return LoadOwnSystemLibrary(file);
  if (IsSystemLibrary(name)) {
    std::lock_guard lock(t.mutex);
    return PlatformModule(t);
  }
  bool hasPath = name.find_first_of(u"\\/:") != std::u16string_view::npos;
  std::optional<std::string> wanted;
  if (hasPath) {
    wanted = FindLibraryFile(name);
    if (!wanted) return nullptr;
  }
  std::vector<std::u16string> bases;
  for (auto& b : FileNameCandidates(BaseName16(name))) bases.push_back(Lower(b));
  auto matches = [&](const std::string& path) {
    if (wanted) return Canonical(path) == *wanted;
    std::u16string base = Lower(BaseName16(kx2::Utf8ToUtf16(path)));
    for (auto& b : bases)
      if (base == b) return true;
    return false;
  };
  std::lock_guard lock(t.mutex);
  for (auto* rec : t.all)
    if (rec->map && matches(rec->path)) return rec;  // files loaded as data do not count
  // Libraries the dynamic linker loaded with the program have no record until asked for.
  for (const link_map* lm = MapOf(MainModule(t)->dl); lm; lm = lm->l_next)
    if (lm->l_name && lm->l_name[0] && matches(lm->l_name)) return RecordForMap(t, lm);
  if (matches(MainModule(t)->path)) return MainModule(t);
  return nullptr;
}

}  // namespace

namespace kx2::module {

const Container* Resources(HMODULE module, DWORD* error) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  Kx2Module* rec = Lookup(t, module);
  if (!rec) {
    *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (!rec->resourcesRead) {
    DWORD ignored = 0;
    rec->resources = ReadCompanion(rec->path, &ignored);
    rec->resourcesRead = true;
  }
  if (!rec->resources) *error = ERROR_RESOURCE_DATA_NOT_FOUND;
  return rec->resources.get();
}

}  // namespace kx2::module

KX2_EXPORT HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE, DWORD dwFlags) {
  try {
    std::u16string_view name = kx2::View16(lpLibFileName);
    if (name.empty()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    Table& t = TheTable();
    if (HMODULE h = nullptr; SwitchedSystemLibrary(name, &h)) {
      if (h) {
        std::lock_guard lock(t.mutex);
        ++h->loads;
      }
      return h;
    }
    if (const char* file = OwnSystemLibraryFile(name)) return LoadOwnSystemLibrary(file);
    if (IsSystemLibrary(name)) {
      std::lock_guard lock(t.mutex);
      Kx2Module* rec = PlatformModule(t);
      ++rec->loads;
      return rec;
    }
    auto file = FindLibraryFile(name);
    if (dwFlags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
      if (!file) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
      }
      return LoadDataFile(*file);
    }
    if (file) return LoadCode(*file, true);
    // A bare name nobody has yet: perhaps a module already loaded, else dlopen's search.
    if (name.find_first_of(u"\\/:") == std::u16string_view::npos) {
      if (HMODULE h = FindLoaded(name)) {
        std::lock_guard lock(t.mutex);
        ++h->loads;
        return h;
      }
      for (const auto& candidate : FileNameCandidates(std::u16string(name))) {
        if (HMODULE h = LoadCode(kx2::Utf16ToUtf8(candidate), false)) return h;
      }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  } catch (...) {
    kx2::RecordCurrentException();
    return nullptr;
  }
}

KX2_EXPORT HMODULE LoadLibraryW(LPCWSTR lpLibFileName) { return LoadLibraryExW(lpLibFileName, nullptr, 0); }

KX2_EXPORT BOOL FreeLibrary(HMODULE hLibModule) {
  Table& t = TheTable();
  Kx2Module* doomed = nullptr;
  {
    std::lock_guard lock(t.mutex);
    if (!hLibModule || !t.all.count(hLibModule)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    Kx2Module* rec = hLibModule;
    if (rec->loads > 0) --rec->loads;
    if (rec->loads > 0 || rec->pinned) return TRUE;
    t.all.erase(rec);
    if (rec->map)
      t.byMap.erase(rec->map);
    else
      t.dataFiles.erase(rec->path);
    doomed = rec;
  }
  Changed();
  // Outside the lock: the library's stop code may free modules of its own.
  if (doomed->dl) dlclose(doomed->dl);
  delete doomed;
  return TRUE;
}

KX2_EXPORT FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  Kx2Module* rec = Lookup(t, hModule);
  if (!rec) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const char* name = lpProcName;
  if (!IS_INTRESOURCE(lpProcName) && lpProcName && !t.absentExports.empty()) {
    if (auto it = t.absentExports.find(lpProcName); it != t.absentExports.end()) {
      ++it->second;
      SetLastError(ERROR_PROC_NOT_FOUND);
      return nullptr;
    }
  }
  if (IS_INTRESOURCE(lpProcName)) {
    WORD ordinal = LOWORD(lpProcName);
    if (!rec->ordinalsRead) {
      rec->ordinals = static_cast<const Kx2Ordinal*>(OwnSymbol(rec, KX2_ORDINAL_TABLE_SYMBOL));
      rec->ordinalsRead = true;
    }
    name = nullptr;
    for (const Kx2Ordinal* o = rec->ordinals; ordinal && o && o->name; ++o)
      if (o->ordinal == ordinal) name = o->name;
  }
  void* p = name ? OwnSymbol(rec, name) : nullptr;
  // The Windows system libraries that are libraries of their own also answer for what
  // the platform library provides under their name.
  if (!p && name && rec->systemLibrary) p = OwnSymbol(PlatformModule(t), name);
  if (!p) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(p);
}

KX2_EXPORT DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  std::u16string path;
  try {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    Kx2Module* rec = Lookup(t, hModule);
    if (!rec) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = kx2::ToWindowsPath(rec->path);
  } catch (...) {
    kx2::RecordCurrentException();
    return 0;
  }
  if (!lpFilename || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= nSize) {
    std::memcpy(lpFilename, path.data(), (nSize - 1) * sizeof(char16_t));
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.data(), path.size() * sizeof(char16_t));
  lpFilename[path.size()] = 0;
  return static_cast<DWORD>(path.size());
}

KX2_EXPORT HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
  try {
    Table& t = TheTable();
    if (!lpModuleName) {
      std::lock_guard lock(t.mutex);
      return MainModule(t);
    }
    if (HMODULE h = FindLoaded(kx2::View16(lpModuleName))) return h;
  } catch (...) {}
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

KX2_EXPORT BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule) {
  if (!phModule) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phModule = nullptr;
  Table& t = TheTable();
  HMODULE h = nullptr;
  if (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
    const link_map* lm = MapOfAddress(lpModuleName);
    std::lock_guard lock(t.mutex);
    if (lm) {
      // The program's own map has an empty name, whichever way it was reached.
      h = (lm->l_name == nullptr || lm->l_name[0] == '\0') ? MainModule(t) : RecordForMap(t, lm);
    }
  } else {
    h = GetModuleHandleW(lpModuleName);
  }
  if (!h) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  if (!(dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)) {
    std::lock_guard lock(t.mutex);
    if (dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN)
      h->pinned = true;
    else
      ++h->loads;
  }
  *phModule = h;
  return TRUE;
}

KX2_EXPORT HMODULE Kx2ModuleFromAddress(const void* address) {
  HMODULE h = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(address), &h);
  return h;
}

// Test switches (kx2/Module.h).

KX2_EXPORT void Kx2ModuleSetAbsent(LPCWSTR library, BOOL absent) {
  if (!library) return;
  std::u16string base = SystemBaseName(kx2::View16(library));
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  if (absent)
    t.absentLibraries.insert(base);
  else
    t.absentLibraries.erase(base);
  Changed();
}

KX2_EXPORT void Kx2ModuleSetExportAbsent(LPCSTR exportName, BOOL absent) {
  if (!exportName) return;
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  if (absent)
    t.absentExports.emplace(exportName, 0);
  else
    t.absentExports.erase(exportName);
}

KX2_EXPORT DWORD Kx2ModuleAbsentLookups(LPCSTR exportName) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  auto it = exportName ? t.absentExports.find(exportName) : t.absentExports.end();
  return it == t.absentExports.end() ? 0 : it->second;
}

KX2_EXPORT HMODULE Kx2ModuleReloadSystemLibrary(LPCWSTR library) {
  try {
    if (!library || !IsSystemLibrary(kx2::View16(library)) || OwnSystemLibraryFile(kx2::View16(library))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    std::u16string base = SystemBaseName(kx2::View16(library));
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    // The earlier record stays valid (a caller may still hold it); it is simply no
    // longer the one the name finds.
    auto* rec = new Kx2Module;
    rec->path = PlatformModule(t)->path;
    rec->pinned = true;
    rec->resourcesRead = true;
    rec->systemLibrary = true;
    t.all.insert(rec);
    t.standIns[base] = rec;
    Changed();
    return rec;
  } catch (...) {
    kx2::RecordCurrentException();
    return nullptr;
  }
}

KX2_EXPORT HMODULE Kx2ModuleLoadSecondCopy(LPCWSTR library) {
  try {
    const char* file = library ? OwnSystemLibraryFile(kx2::View16(library)) : nullptr;
    if (!file) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (!LoadOwnSystemLibrary(file)) return nullptr;  // the first copy stays loaded
    Table& t = TheTable();
    std::string source;
    size_t serial = 0;
    {
      std::lock_guard lock(t.mutex);
      source = Folder(PlatformModule(t)->path) + "/" + file;
      serial = t.all.size();
    }
    // The dynamic linker loads a file once; a copy under another name is a second object.
    const char* tmp = std::getenv("TMPDIR");
    std::string copy = std::string(tmp && *tmp ? tmp : "/tmp") + "/kx2-copy-" + std::to_string(getpid()) + "-" +
                       std::to_string(serial) + "-" + file;
    {
      int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
      int out = in >= 0 ? open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0700) : -1;
      bool ok = in >= 0 && out >= 0;
      char buf[65536];
      for (ssize_t n; ok && (n = read(in, buf, sizeof buf)) > 0;) ok = write(out, buf, static_cast<size_t>(n)) == n;
      if (in >= 0) close(in);
      if (out >= 0) close(out);
      if (!ok) {
        unlink(copy.c_str());
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
      }
    }
    HMODULE h = LoadCode(copy, true);
    unlink(copy.c_str());  // the mapping stays; the file is not needed again
    if (!h) return nullptr;
    std::lock_guard lock(t.mutex);
    h->pinned = true;
    h->systemLibrary = true;
    t.standIns[SystemBaseName(kx2::View16(library))] = h;
    Changed();
    return h;
  } catch (...) {
    kx2::RecordCurrentException();
    return nullptr;
  }
}

KX2_EXPORT void Kx2ModuleResetSwitches() {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  t.absentLibraries.clear();
  t.absentExports.clear();
  t.standIns.clear();  // the records stay: handles given out remain valid
  Changed();
}

KX2_EXPORT DWORD Kx2ModuleGeneration() { return g_generation.load(std::memory_order_acquire); }
