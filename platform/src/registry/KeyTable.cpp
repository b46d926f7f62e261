// The hives of this process and the key handles handed out to callers.
#include "registry/KeyTable.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "kx2/Registry.h"
#include "shell/ShellFolders.h"

// A handle we give out; the pointer itself is the HKEY.
struct Kx2RegKey {
  kx2::reg::HiveKind kind;
  int64_t id;
  REGSAM access;
};

namespace kx2::reg {
namespace {

constexpr const char* kHiveFiles[kHiveCount] = {"HKCU.db", "HKLM.db", "HKU.db"};
constexpr char16_t kShellFoldersKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kClassesKey[] = u"SOFTWARE\\Classes";

struct State {
  std::mutex mutex;
  std::string folder;  // resolved on first use after start or reset
  std::array<std::shared_ptr<Hive>, kHiveCount> hives;
  int64_t classesRoot = 0;  // HKEY_CLASSES_ROOT's key in the machine hive
  std::unordered_map<Kx2RegKey*, std::unique_ptr<Kx2RegKey>> handles;
};

State& TheState() {
  static State* s = new State;  // never destroyed: handles may be closed from late destructors
  return *s;
}

std::string RegistryFolder() {
  if (const char* v = getenv("KX2_REGISTRY"); v && *v) return v;
  if (const char* v = getenv("XDG_CONFIG_HOME"); v && *v) return std::string(v) + "/kx2/registry";
  const char* home = getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/kx2/registry";
}

bool MakeFolders(const std::string& path) {
  std::string at;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    at = path.substr(0, pos);
    if (at.empty()) continue;
    if (mkdir(at.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writes the shell-folder values this process's environment gives, leaving values that
// already hold the same text untouched so that starting processes do not contend. Runs
// while the hive is being opened, before any other thread can reach it.
void FillShellFolders(Hive& hive, bool machine) {
  auto values = kx2::shell::ShellFolderValues(machine);
  if (values.empty()) return;
  bool same = true;
  hive.TransactUnshared(false, [&] {
    auto key = hive.Walk(Hive::kRootId, kShellFoldersKey);
    for (auto& v : values) {
      auto have = key ? hive.GetValue(*key, v.name) : std::nullopt;
      std::u16string text = v.path + u'\0';
      if (!have || have->type != REG_SZ || have->data.size() != text.size() * 2 ||
          memcmp(have->data.data(), text.data(), text.size() * 2) != 0)
        same = false;
    }
    return ERROR_SUCCESS;
  });
  if (same) return;
  hive.TransactUnshared(true, [&] {
    int64_t key = hive.CreatePath(Hive::kRootId, kShellFoldersKey, u"", nullptr);
    for (auto& v : values) {
      std::u16string text = v.path + u'\0';
      hive.SetValue(key, v.name, REG_SZ, reinterpret_cast<const BYTE*>(text.data()), text.size() * 2);
    }
    return ERROR_SUCCESS;
  });
}

// Opens a hive on first use; the caller holds the state's lock.
LONG OpenHive(State& st, HiveKind kind, std::shared_ptr<Hive>* out) {
  auto& slot = st.hives[static_cast<int>(kind)];
  if (!slot) {
    if (st.folder.empty()) st.folder = RegistryFolder();
    if (!MakeFolders(st.folder)) return ERROR_PATH_NOT_FOUND;
    try {
      auto hive = std::make_shared<Hive>(st.folder + "/" + kHiveFiles[static_cast<int>(kind)]);
      if (kind == HiveKind::Machine) {
        // Look before taking the write lock: the key nearly always exists already.
        hive->TransactUnshared(false, [&] {
          st.classesRoot = hive->Walk(Hive::kRootId, kClassesKey).value_or(0);
          return ERROR_SUCCESS;
        });
        LONG r = st.classesRoot ? ERROR_SUCCESS : hive->TransactUnshared(true, [&] {
          st.classesRoot = hive->CreatePath(Hive::kRootId, kClassesKey, u"", nullptr);
          return ERROR_SUCCESS;
        });
        if (r != ERROR_SUCCESS) return r;
      }
      if (kind != HiveKind::Users) FillShellFolders(*hive, kind == HiveKind::Machine);
      slot = std::move(hive);
    } catch (const RegError& e) {
      return e.code;
    } catch (const std::bad_alloc&) {
      return ERROR_OUTOFMEMORY;
    }
  }
  *out = slot;
  return ERROR_SUCCESS;
}

}  // namespace

LONG Resolve(HKEY key, OpenKey* out) {
  State& st = TheState();
  std::lock_guard lock(st.mutex);
  HiveKind kind;
  if (key == HKEY_CURRENT_USER)
    kind = HiveKind::User;
  else if (key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT)
    kind = HiveKind::Machine;
  else if (key == HKEY_USERS)
    kind = HiveKind::Users;
  else {
    auto it = st.handles.find(key);
    if (it == st.handles.end()) return ERROR_INVALID_HANDLE;
    LONG r = OpenHive(st, it->second->kind, &out->hive);
    if (r != ERROR_SUCCESS) return r;
    out->kind = it->second->kind;
    out->id = it->second->id;
    out->access = it->second->access;
    out->predefined = false;
    return ERROR_SUCCESS;
  }
  LONG r = OpenHive(st, kind, &out->hive);
  if (r != ERROR_SUCCESS) return r;
  out->kind = kind;
  out->id = key == HKEY_CLASSES_ROOT ? st.classesRoot : Hive::kRootId;
  out->access = KEY_ALL_ACCESS;
  out->predefined = true;
  return ERROR_SUCCESS;
}

HKEY NewHandle(const OpenKey& where, int64_t id, REGSAM access) {
  State& st = TheState();
  auto record = std::make_unique<Kx2RegKey>(Kx2RegKey{where.kind, id, access});
  Kx2RegKey* h = record.get();
  std::lock_guard lock(st.mutex);
  st.handles.emplace(h, std::move(record));
  return h;
}

bool CloseHandle(HKEY key) {
  State& st = TheState();
  std::lock_guard lock(st.mutex);
  return st.handles.erase(key) != 0;
}

}  // namespace kx2::reg

KX2_EXPORT void Kx2RegistryReset() {
  auto& st = kx2::reg::TheState();
  std::lock_guard lock(st.mutex);
  st.handles.clear();
  for (auto& h : st.hives) h.reset();
  st.folder.clear();
  st.classesRoot = 0;
}
