// Window classes: a registry per module plus the global ones (see win/user.h).
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "user/Classes.h"
#include "win/module.h"
#include "win/user.h"

namespace {

constexpr size_t kMaxClassName = 256;
constexpr ATOM kFirstAtom = 0xC000;

using kx2::user::WindowClass;

// Class names become atoms, one per name (compared without regard to case) for as long
// as some class carries it.
class ClassTable {
 public:
  std::mutex& lock = kx2::user::ClassLock();

  // The atom a name or MAKEINTATOM value stands for; 0 when none is known.
  ATOM AtomOf(LPCWSTR name) const {
    if (IS_INTRESOURCE(name)) {
      ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
      return names_.count(atom) ? atom : 0;
    }
    auto it = atoms_.find(Key(name));
    return it == atoms_.end() ? 0 : it->second;
  }

  // The atom for a new class's name, made when needed; 0 when the table is full.
  ATOM AddName(LPCWSTR name) {
    if (ATOM known = AtomOf(name)) return known;
    for (unsigned tries = 0; tries <= 0xFFFFu - kFirstAtom; ++tries) {
      ATOM candidate = next_;
      next_ = next_ == 0xFFFF ? kFirstAtom : static_cast<ATOM>(next_ + 1);
      if (names_.count(candidate)) continue;
      std::u16string key = Key(name);
      names_[candidate] = key;
      atoms_[key] = candidate;
      shown_[candidate] = std::u16string(kx2::View16(name));
      return candidate;
    }
    return 0;
  }

  // Drops the atom once no class carries it.
  void ReleaseName(ATOM atom) {
    for (auto& c : classes)
      if (c->atom == atom) return;
    auto it = names_.find(atom);
    if (it == names_.end()) return;
    atoms_.erase(it->second);
    names_.erase(it);
    shown_.erase(atom);
  }

  // The name as first registered ("#49152" for an atom without one).
  std::u16string NameOf(ATOM atom) const {
    auto it = shown_.find(atom);
    return it != shown_.end() ? it->second : u"#" + kx2::Utf8ToUtf16(std::to_string(atom));
  }

  WindowClass* Find(ATOM atom, HINSTANCE owner, bool globalToo) {
    for (auto& c : classes)
      if (c->atom == atom && c->owner == owner) return c.get();
    if (globalToo)
      for (auto& c : classes)
        if (c->atom == atom && (c->record.style & CS_GLOBALCLASS)) return c.get();
    return nullptr;
  }

  std::vector<std::unique_ptr<WindowClass>> classes;

 private:
  static std::u16string Key(LPCWSTR name) {
    std::u16string key(kx2::View16(name));
    for (char16_t& c : key) c = kx2::FoldLower16(c);
    return key;
  }

  std::unordered_map<std::u16string, ATOM> atoms_;
  std::unordered_map<ATOM, std::u16string> names_;
  std::unordered_map<ATOM, std::u16string> shown_;
  ATOM next_ = kFirstAtom;
};

ClassTable& Classes() {
  static auto* table = new ClassTable;
  return *table;
}

HINSTANCE OwnerOf(HINSTANCE instance) { return instance ? instance : GetModuleHandleW(nullptr); }

bool ValidName(LPCWSTR name) {
  if (!name) return false;
  if (IS_INTRESOURCE(name)) return reinterpret_cast<ULONG_PTR>(name) != 0;
  size_t length = kx2::StrLen16(name);
  return length > 0 && length <= kMaxClassName;
}

ATOM Register(const WNDCLASSEXW& record) {
  if (!ValidName(record.lpszClassName) || record.cbClsExtra < 0 || record.cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  HINSTANCE owner = OwnerOf(record.hInstance);
  ClassTable& table = Classes();
  std::lock_guard<std::mutex> guard(table.lock);
  if (IS_INTRESOURCE(record.lpszClassName) && !table.AtomOf(record.lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);  // an atom nobody made
    return 0;
  }
  if (ATOM known = table.AtomOf(record.lpszClassName); known && table.Find(known, owner, true)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto added = std::make_unique<WindowClass>();
  added->owner = owner;
  added->record = record;
  added->record.hInstance = owner;
  added->record.lpszClassName = nullptr;
  if (record.lpszMenuName && !IS_INTRESOURCE(record.lpszMenuName)) {
    added->menuName = kx2::View16(record.lpszMenuName);
    added->menuIsText = true;
    added->record.lpszMenuName = nullptr;  // pointed at menuName when reported
  }
  added->extra.assign(static_cast<size_t>(record.cbClsExtra), 0);
  added->atom = table.AddName(record.lpszClassName);
  added->name = table.NameOf(added->atom);
  if (!added->atom) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  table.classes.push_back(std::move(added));
  return table.classes.back()->atom;
}

// Copies the class into out (lpszClassName as the caller named it); the atom, or 0.
ATOM Lookup(HINSTANCE instance, LPCWSTR name, WNDCLASSEXW* out) {
  if (!ValidName(name) || !out) {
    SetLastError(!out ? ERROR_INVALID_PARAMETER : ERROR_CLASS_DOES_NOT_EXIST);
    return 0;
  }
  ClassTable& table = Classes();
  std::lock_guard<std::mutex> guard(table.lock);
  ATOM atom = table.AtomOf(name);
  WindowClass* found = atom ? table.Find(atom, OwnerOf(instance), true) : nullptr;
  if (!found) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return 0;
  }
  UINT size = out->cbSize;
  *out = found->record;
  out->cbSize = size;
  out->lpszClassName = name;
  if (found->menuIsText) out->lpszMenuName = found->menuName.c_str();
  return atom;
}

WNDCLASSEXW Widen(const WNDCLASSW& c) {
  return WNDCLASSEXW{sizeof(WNDCLASSEXW), c.style,        c.lpfnWndProc,   c.cbClsExtra,
                     c.cbWndExtra,        c.hInstance,    c.hIcon,         c.hCursor,
                     c.hbrBackground,     c.lpszMenuName, c.lpszClassName, nullptr};
}

}  // namespace

namespace kx2::user {

std::mutex& ClassLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

WindowClass* AcquireClass(HINSTANCE instance, LPCWSTR name) {
  ClassTable& table = Classes();
  std::lock_guard<std::mutex> guard(table.lock);
  ATOM atom = ValidName(name) ? table.AtomOf(name) : 0;
  WindowClass* found = atom ? table.Find(atom, OwnerOf(instance), true) : nullptr;
  if (!found) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  ++found->windows;
  return found;
}

ATOM ClassAtom(LPCWSTR name) {
  ClassTable& table = Classes();
  std::lock_guard<std::mutex> guard(table.lock);
  return ValidName(name) ? table.AtomOf(name) : 0;
}

void ReleaseClass(WindowClass* windowClass) {
  std::lock_guard<std::mutex> guard(ClassLock());
  --windowClass->windows;
}

}  // namespace kx2::user

KX2_EXPORT ATOM RegisterClassW(const WNDCLASSW* lpWndClass) {
  try {
    if (!lpWndClass) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return Register(Widen(*lpWndClass));
  } catch (...) {
    kx2::RecordCurrentException();
    return 0;
  }
}

KX2_EXPORT ATOM RegisterClassExW(const WNDCLASSEXW* lpWndClass) {
  try {
    if (!lpWndClass || lpWndClass->cbSize != sizeof(WNDCLASSEXW)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return Register(*lpWndClass);
  } catch (...) {
    kx2::RecordCurrentException();
    return 0;
  }
}

KX2_EXPORT BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance) {
  ClassTable& table = Classes();
  std::lock_guard<std::mutex> guard(table.lock);
  ATOM atom = ValidName(lpClassName) ? table.AtomOf(lpClassName) : 0;
  HINSTANCE owner = OwnerOf(hInstance);
  for (auto it = table.classes.begin(); atom && it != table.classes.end(); ++it) {
    if ((*it)->atom != atom || (*it)->owner != owner) continue;
    if ((*it)->windows > 0) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
    table.classes.erase(it);
    table.ReleaseName(atom);
    return TRUE;
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

KX2_EXPORT BOOL GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, LPWNDCLASSEXW lpwcx) {
  try {
    if (!lpwcx || lpwcx->cbSize != sizeof(WNDCLASSEXW)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    return Lookup(hInstance, lpszClass, lpwcx);
  } catch (...) {
    kx2::RecordCurrentException();
    return FALSE;
  }
}

KX2_EXPORT BOOL GetClassInfoW(HINSTANCE hInstance, LPCWSTR lpClassName, LPWNDCLASSW lpWndClass) {
  try {
    if (!lpWndClass) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    WNDCLASSEXW found{};
    found.cbSize = sizeof(found);
    ATOM atom = Lookup(hInstance, lpClassName, &found);
    if (!atom) return FALSE;
    *lpWndClass =
        WNDCLASSW{found.style, found.lpfnWndProc, found.cbClsExtra,    found.cbWndExtra,   found.hInstance,
                  found.hIcon, found.hCursor,     found.hbrBackground, found.lpszMenuName, found.lpszClassName};
    return atom;
  } catch (...) {
    kx2::RecordCurrentException();
    return FALSE;
  }
}
