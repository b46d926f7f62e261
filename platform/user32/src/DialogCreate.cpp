// Making dialogs from templates, by pointer or from a module's RT_DIALOG resource: the
// window, its font and controls, WM_INITDIALOG and the first focus.
#include <algorithm>
#include <string>

#include "DialogCreate.h"
#include "DialogState.h"
#include "kx2/ErrorBoundary.h"
#include "win/menu.h"
#include "win/resource.h"

namespace kx2::user32 {
namespace {

HFONT MakeFont(const DialogSpec& spec, bool* owned) {
  *owned = false;
  if (spec.pointSize == 0x7FFF) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(spec.pointSize, dpi, 72);
  lf.lfWeight = spec.extended ? spec.weight : FW_NORMAL;
  lf.lfItalic = spec.extended ? spec.italic : 0;
  lf.lfCharSet = spec.extended ? spec.charSet : DEFAULT_CHARSET;
  const size_t length = std::min<size_t>(spec.face.size(), LF_FACESIZE - 1);
  spec.face.copy(lf.lfFaceName, length);
  HFONT font = CreateFontIndirectW(&lf);
  *owned = font != nullptr;
  return font;
}

// Where a top-level dialog goes: its own position from the owner's client origin (the
// screen's with DS_ABSALIGN), centred with DS_CENTER or on the pointer with
// DS_CENTERMOUSE, and kept inside the work area.
void PlaceTopLevel(const DialogSpec& spec, HWND owner, RECT* window) {
  const int width = window->right - window->left, height = window->bottom - window->top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  POINT at{window->left, window->top};
  if (spec.style & DS_CENTER) {
    at = POINT{work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2};
  } else if (spec.style & DS_CENTERMOUSE) {
    POINT cursor{};
    GetCursorPos(&cursor);
    at = POINT{cursor.x - width / 2, cursor.y - height / 2};
  } else if (owner && !(spec.style & DS_ABSALIGN)) {
    POINT origin{0, 0};
    ClientToScreen(owner, &origin);
    at = POINT{at.x + origin.x, at.y + origin.y};
  }
  if (at.x + width > work.right) at.x = work.right - width;
  if (at.y + height > work.bottom) at.y = work.bottom - height;
  if (at.x < work.left) at.x = work.left;
  if (at.y < work.top) at.y = work.top;
  *window = RECT{at.x, at.y, at.x + width, at.y + height};
}

std::u16string ControlTitle(const NameOrOrdinal& title) {
  if (!title.present) return {};
  if (!title.isOrdinal) return title.text;
  // A resource id (an icon or bitmap of a static control) as the control reads it.
  return std::u16string{u'\xFFFF', static_cast<char16_t>(title.ordinal)};
}

// The extended form's 32-bit id is signed (IDC_STATIC, -1, stays -1 for GetDlgItem and
// GetDlgCtrlID); the classic form's 16-bit id is not.
HMENU ControlId(const DialogSpec& spec, const DialogItemSpec& item) {
  const INT_PTR id = spec.extended ? static_cast<INT_PTR>(static_cast<INT>(item.id)) : static_cast<INT_PTR>(item.id);
  return reinterpret_cast<HMENU>(id);
}

bool MakeControls(HWND dlg, const DialogSpec& spec, HINSTANCE instance, HFONT font, SIZE base) {
  for (const DialogItemSpec& item : spec.items) {
    LPCWSTR className =
        item.className.isOrdinal ? PredefinedClassName(item.className.ordinal) : item.className.text.c_str();
    const std::u16string title = ControlTitle(item.title);
    const DWORD style = (item.style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD;
    HWND control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, className, title.c_str(), style,
                                   DluToPixelsX(item.x, base), DluToPixelsY(item.y, base), DluToPixelsX(item.cx, base),
                                   DluToPixelsY(item.cy, base), dlg, ControlId(spec, item), instance,
                                   item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data()));
    if (!control) {
      if (spec.style & DS_NOFAILCREATE) continue;
      return false;
    }
    if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (DialogCode(control) & DLGC_DEFPUSHBUTTON) {
      if (DialogState* state = DialogOf(dlg)) state->defaultId = item.id;
    }
  }
  return true;
}

}  // namespace

HWND CreateFromSpec(const DialogSpec& spec, HINSTANCE instance, HWND parent, DLGPROC proc, LPARAM param, bool modal) {
  if (parent && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  bool ownsFont = false;
  HFONT font = spec.hasFont ? MakeFont(spec, &ownsFont) : nullptr;
  const SIZE base = FontBaseUnits(font);

  DWORD style = spec.style;
  DWORD exStyle = spec.exStyle;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  if (style & DS_CONTROL) {
    style &= ~static_cast<DWORD>(WS_CAPTION | WS_SYSMENU);
    exStyle |= WS_EX_CONTROLPARENT;
  }
  const bool visible = (style & WS_VISIBLE) != 0;
  const bool child = (style & WS_CHILD) != 0;
  style &= ~static_cast<DWORD>(WS_VISIBLE);

  HMENU menu = nullptr;
  if (spec.menu.present && !child) {
    menu = LoadMenuW(instance, spec.menu.isOrdinal ? MAKEINTRESOURCEW(spec.menu.ordinal) : spec.menu.text.c_str());
    if (!menu) {
      if (ownsFont) DeleteObject(font);
      return nullptr;
    }
  }

  RECT window{0, 0, DluToPixelsX(spec.cx, base), DluToPixelsY(spec.cy, base)};
  AdjustWindowRectEx(&window, style, menu != nullptr, exStyle);
  if (!child) {
    // A template may ask for any size; a top-level window is never larger than the
    // system lets one be tracked (its pixels are made at that size).
    window.right = std::min<LONG>(window.right, window.left + GetSystemMetrics(SM_CXMAXTRACK));
    window.bottom = std::min<LONG>(window.bottom, window.top + GetSystemMetrics(SM_CYMAXTRACK));
  }
  OffsetRect(&window, DluToPixelsX(spec.x, base) - window.left, DluToPixelsY(spec.y, base) - window.top);
  if (!child) PlaceTopLevel(spec, parent ? GetAncestor(parent, GA_ROOT) : nullptr, &window);

  LPCWSTR className = spec.className.present ? spec.className.text.c_str() : WC_DIALOG;
  HWND dlg = CreateWindowExW(exStyle, className, spec.title.c_str(), style, window.left, window.top,
                             window.right - window.left, window.bottom - window.top, parent, menu, instance, nullptr);
  if (!dlg) {
    if (menu) DestroyMenu(menu);
    if (ownsFont) DeleteObject(font);
    return nullptr;
  }
  DialogState* state = AttachDialogState(dlg);
  if (state) {
    state->modal = modal;
    state->font = font;
    state->ownsFont = ownsFont;
    state->baseUnits = base;
  } else if (ownsFont) {
    DeleteObject(font);
    font = nullptr;
  }
  SetWindowLongPtrW(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (font) SendMessageW(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  if (!MakeControls(dlg, spec, instance, font, base)) {
    const DWORD error = GetLastError();
    DestroyWindow(dlg);
    SetLastError(error);
    return nullptr;
  }

  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
  const LRESULT focusFirst = SendMessageW(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(dlg)) return nullptr;  // the procedure destroyed its dialog
  if (focusFirst && first && IsWindow(first)) {
    if (IsWindowVisible(dlg)) {
      SetDialogFocus(dlg, first);
    } else if (DialogState* now = DialogOf(dlg)) {
      // Hidden still: the focus goes there when the dialog is first activated.
      now->savedFocus = first;
      UpdateDefaultButton(dlg, first);
      if (DialogCode(first) & DLGC_HASSETSEL) SendMessageW(first, EM_SETSEL, 0, -1);
    }
  }
  if (visible && IsWindow(dlg) && !(DialogOf(dlg) && DialogOf(dlg)->ended)) {
    ShowWindow(dlg, SW_SHOWNORMAL);  // painted as messages are read, as any window
  }
  return IsWindow(dlg) ? dlg : nullptr;
}

// The template of a named RT_DIALOG resource, read within its size.
bool ReadResourceTemplate(HINSTANCE instance, LPCWSTR name, DialogSpec* spec) {
  HRSRC found = FindResourceW(instance, name, RT_DIALOG);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(instance, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  if (!ReadDialogTemplate(data, SizeofResource(instance, found), spec)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

bool ReadPointerTemplate(LPCDLGTEMPLATEW dialogTemplate, DialogSpec* spec) {
  if (!dialogTemplate || !ReadDialogTemplate(dialogTemplate, SIZE_MAX, spec)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

}  // namespace kx2::user32

using kx2::user32::DialogSpec;

KX2_EXPORT HWND CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent,
                                           DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  return kx2::Guard(static_cast<HWND>(nullptr), [&]() -> HWND {
    DialogSpec spec;
    if (!kx2::user32::ReadPointerTemplate(lpTemplate, &spec)) return nullptr;
    return kx2::user32::CreateFromSpec(spec, hInstance, hWndParent, lpDialogFunc, dwInitParam, false);
  });
}

KX2_EXPORT HWND CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                                   LPARAM dwInitParam) {
  return kx2::Guard(static_cast<HWND>(nullptr), [&]() -> HWND {
    DialogSpec spec;
    if (!kx2::user32::ReadResourceTemplate(hInstance, lpTemplateName, &spec)) return nullptr;
    return kx2::user32::CreateFromSpec(spec, hInstance, hWndParent, lpDialogFunc, dwInitParam, false);
  });
}
