// Window slots (GWLP_*, extra bytes), class slots (GCLP_*, class extra bytes) and window
// properties.
#include <cstring>

#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "user/Core.h"

namespace kx2::user {
namespace {

template <class T>
bool ReadExtra(const std::vector<BYTE>& bytes, int index, T* out) {
  if (index < 0 || static_cast<size_t>(index) + sizeof(T) > bytes.size()) return false;
  std::memcpy(out, bytes.data() + index, sizeof(T));
  return true;
}

template <class T>
bool WriteExtra(std::vector<BYTE>& bytes, int index, T value, T* old) {
  if (!ReadExtra(bytes, index, old)) return false;
  std::memcpy(bytes.data() + index, &value, sizeof(T));
  return true;
}

// Reads a slot of `size` bytes (8 for the Ptr forms, 4 for the LONG forms, 2 for words).
LONG_PTR GetSlot(HWND hwnd, int index, size_t size) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hwnd);
  if (!w) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  if (index >= 0) {
    bool ok;
    LONG_PTR value = 0;
    if (size == 8) {
      ok = ReadExtra(w->extra, index, &value);
    } else if (size == 4) {
      LONG v = 0;
      ok = ReadExtra(w->extra, index, &v);
      value = v;
    } else {
      WORD v = 0;
      ok = ReadExtra(w->extra, index, &v);
      value = v;
    }
    if (!ok) SetLastError(ERROR_INVALID_INDEX);
    return value;
  }
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc.load());
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? (w->parent ? w->parent->handle : nullptr)
                                                              : (w->owner ? w->owner->handle : nullptr));
    case GWLP_ID:
      return w->id;
    case GWL_STYLE:
      return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(w->exStyle);
    case GWLP_USERDATA:
      return w->userData;
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR SetStyle(HWND hwnd, int index, DWORD value) {
  DWORD old;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hwnd);
    if (!w || !w->parent) {
      SetLastErrorInvalidWindow();
      return 0;
    }
    old = index == GWL_STYLE ? w->style : w->exStyle;
  }
  STYLESTRUCT change{old, value};
  SendTo(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hwnd);
    if (!w) return static_cast<LONG>(old);
    (index == GWL_STYLE ? w->style : w->exStyle) = change.styleNew;
  }
  SendTo(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
  SetLastError(ERROR_SUCCESS);
  return static_cast<LONG>(old);
}

LONG_PTR SetSlot(HWND hwnd, int index, LONG_PTR value, size_t size) {
  if (index == GWL_STYLE || index == GWL_EXSTYLE) return SetStyle(hwnd, index, static_cast<DWORD>(value));
  if (index == GWLP_HWNDPARENT) {
    // Changes the owner of a top-level window (the parent of a child is SetParent's).
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hwnd);
    if (!w || !w->parent) {
      SetLastErrorInvalidWindow();
      return 0;
    }
    LONG_PTR old = reinterpret_cast<LONG_PTR>(w->owner ? w->owner->handle : nullptr);
    if (!(w->style & WS_CHILD)) {
      Window* owner = Find(reinterpret_cast<HWND>(value));
      w->owner = owner && owner != w && owner->parent ? TopLevelOf(owner) : nullptr;
      if (w->owner == w) w->owner = nullptr;
    }
    return old;
  }
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hwnd);
  if (!w || !w->parent) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  LONG_PTR old = 0;
  if (index >= 0) {
    bool ok;
    if (size == 8) {
      ok = WriteExtra(w->extra, index, value, &old);
    } else if (size == 4) {
      LONG o = 0;
      ok = WriteExtra(w->extra, index, static_cast<LONG>(value), &o);
      old = o;
    } else {
      WORD o = 0;
      ok = WriteExtra(w->extra, index, static_cast<WORD>(value), &o);
      old = o;
    }
    if (!ok) SetLastError(ERROR_INVALID_INDEX);
    return old;
  }
  switch (index) {
    case GWLP_WNDPROC:
      old = reinterpret_cast<LONG_PTR>(w->proc.exchange(reinterpret_cast<WNDPROC>(value)));
      break;
    case GWLP_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(w->instance);
      w->instance = reinterpret_cast<HINSTANCE>(value);
      break;
    case GWLP_ID:
      old = w->id;
      w->id = value;
      break;
    case GWLP_USERDATA:
      old = w->userData;
      w->userData = value;
      break;
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return old;
}

WindowClass* ClassOf(HWND hwnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hwnd);
  if (!w) SetLastErrorInvalidWindow();
  return w ? w->cls : nullptr;
}

ULONG_PTR ClassSlot(HWND hwnd, int index, bool set, LONG_PTR value, size_t size) {
  WindowClass* cls = ClassOf(hwnd);
  if (!cls) {
    if (IsWindow(hwnd)) SetLastError(ERROR_INVALID_INDEX);  // the desktop has no class record
    return 0;
  }
  std::lock_guard<std::mutex> guard(ClassLock());
  if (index >= 0) {
    LONG_PTR old = 0;
    bool ok;
    if (size == 8) {
      ok = set ? WriteExtra(cls->extra, index, value, &old) : ReadExtra(cls->extra, index, &old);
    } else {
      LONG o = 0;
      ok = set ? WriteExtra(cls->extra, index, static_cast<LONG>(value), &o) : ReadExtra(cls->extra, index, &o);
      old = o;
    }
    if (!ok) SetLastError(ERROR_INVALID_INDEX);
    return static_cast<ULONG_PTR>(old);
  }
  WNDCLASSEXW& r = cls->record;
  auto swap = [&](auto& field) {
    using T = std::remove_reference_t<decltype(field)>;
    ULONG_PTR old;
    if constexpr (std::is_pointer_v<T>) {
      old = reinterpret_cast<ULONG_PTR>(field);
      if (set) field = reinterpret_cast<T>(value);
    } else {
      old = static_cast<ULONG_PTR>(field);
      if (set) field = static_cast<T>(value);
    }
    return old;
  };
  switch (index) {
    case GCLP_MENUNAME:
      return cls->menuIsText ? reinterpret_cast<ULONG_PTR>(cls->menuName.c_str())
                             : reinterpret_cast<ULONG_PTR>(r.lpszMenuName);
    case GCLP_HBRBACKGROUND:
      return swap(r.hbrBackground);
    case GCLP_HCURSOR:
      return swap(r.hCursor);
    case GCLP_HICON:
      return swap(r.hIcon);
    case GCLP_HICONSM:
      return swap(r.hIconSm);
    case GCLP_HMODULE:
      return reinterpret_cast<ULONG_PTR>(r.hInstance);
    case GCL_CBWNDEXTRA:
      return static_cast<ULONG_PTR>(r.cbWndExtra);
    case GCL_CBCLSEXTRA:
      return static_cast<ULONG_PTR>(r.cbClsExtra);
    case GCLP_WNDPROC:
      return swap(r.lpfnWndProc);
    case GCL_STYLE:
      return swap(r.style);
    case GCW_ATOM:
      return cls->atom;
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

std::u16string PropKey(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return u"#" + kx2::Utf8ToUtf16(std::to_string(reinterpret_cast<ULONG_PTR>(name)));
  std::u16string key(kx2::View16(name));
  for (char16_t& c : key) c = kx2::FoldLower16(c);
  return key;
}

}  // namespace
}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) {
  return kx2::Guard(LONG_PTR{0}, [&] { return GetSlot(hWnd, nIndex, 8); });
}
KX2_EXPORT LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return kx2::Guard(LONG_PTR{0}, [&] { return SetSlot(hWnd, nIndex, dwNewLong, 8); });
}
KX2_EXPORT LONG GetWindowLongW(HWND hWnd, int nIndex) {
  return kx2::Guard(LONG{0}, [&] { return static_cast<LONG>(GetSlot(hWnd, nIndex, 4)); });
}
KX2_EXPORT LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
  return kx2::Guard(LONG{0}, [&] { return static_cast<LONG>(SetSlot(hWnd, nIndex, dwNewLong, 4)); });
}
KX2_EXPORT WORD GetWindowWord(HWND hWnd, int nIndex) {
  return kx2::Guard(WORD{0}, [&] { return static_cast<WORD>(GetSlot(hWnd, nIndex, 2)); });
}
KX2_EXPORT WORD SetWindowWord(HWND hWnd, int nIndex, WORD wNewWord) {
  return kx2::Guard(WORD{0}, [&] { return static_cast<WORD>(SetSlot(hWnd, nIndex, wNewWord, 2)); });
}

KX2_EXPORT ULONG_PTR GetClassLongPtrW(HWND hWnd, int nIndex) {
  return kx2::Guard(ULONG_PTR{0}, [&] { return ClassSlot(hWnd, nIndex, false, 0, 8); });
}
KX2_EXPORT ULONG_PTR SetClassLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return kx2::Guard(ULONG_PTR{0}, [&] { return ClassSlot(hWnd, nIndex, true, dwNewLong, 8); });
}
KX2_EXPORT DWORD GetClassLongW(HWND hWnd, int nIndex) {
  return kx2::Guard(DWORD{0}, [&] { return static_cast<DWORD>(ClassSlot(hWnd, nIndex, false, 0, 4)); });
}
KX2_EXPORT DWORD SetClassLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
  return kx2::Guard(DWORD{0}, [&] { return static_cast<DWORD>(ClassSlot(hWnd, nIndex, true, dwNewLong, 4)); });
}
KX2_EXPORT WORD GetClassWord(HWND hWnd, int nIndex) {
  return kx2::Guard(WORD{0}, [&] { return static_cast<WORD>(ClassSlot(hWnd, nIndex, false, 0, 4)); });
}

KX2_EXPORT BOOL SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpString) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::u16string key = PropKey(lpString);
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w) {
      SetLastErrorInvalidWindow();
      return FALSE;
    }
    for (auto& [name, value] : w->props) {
      if (name == key) {
        value = hData;
        return TRUE;
      }
    }
    w->props.emplace_back(std::move(key), hData);
    return TRUE;
  });
}

KX2_EXPORT HANDLE GetPropW(HWND hWnd, LPCWSTR lpString) {
  return kx2::Guard(HANDLE{nullptr}, [&]() -> HANDLE {
    if (!lpString) return nullptr;
    std::u16string key = PropKey(lpString);
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w) return nullptr;
    for (auto& [name, value] : w->props)
      if (name == key) return value;
    return nullptr;
  });
}

KX2_EXPORT HANDLE RemovePropW(HWND hWnd, LPCWSTR lpString) {
  return kx2::Guard(HANDLE{nullptr}, [&]() -> HANDLE {
    if (!lpString) return nullptr;
    std::u16string key = PropKey(lpString);
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w) return nullptr;
    for (auto it = w->props.begin(); it != w->props.end(); ++it) {
      if (it->first != key) continue;
      HANDLE value = it->second;
      w->props.erase(it);
      return value;
    }
    return nullptr;
  });
}
