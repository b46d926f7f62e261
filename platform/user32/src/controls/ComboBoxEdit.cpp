// The edit field of a combo box: an "Edit" window whose procedure the box replaces, so that
// the arrows, the page keys, F4 and Alt+Down/Up go to the box, Enter and Esc close a dropped
// list rather than reach the dialog, and the focus coming and going is the box's.
#include "ComboBox.h"
#include "win/nls.h"

namespace kx2::user32 {

ComboBox* ComboBox::OfEdit(HWND edit) {
  HWND box = GetParent(edit);
  WCHAR name[16] = {};
  if (!box || GetClassNameW(box, name, 16) <= 0 || CompareStringOrdinal(name, -1, WC_COMBOBOXW, -1, TRUE) != CSTR_EQUAL)
    return nullptr;
  auto* state = reinterpret_cast<ComboBox*>(GetWindowLongPtrW(box, 0));
  return state && state->edit_ == edit ? state : nullptr;
}

LRESULT ComboBox::EditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC previous = editProc_;
  auto pass = [&] { return CallWindowProcW(previous, edit, message, wParam, lParam); };
  switch (message) {
    case WM_GETDLGCODE:
      return pass() | (WantsKey(reinterpret_cast<const MSG*>(lParam)) ? DLGC_WANTMESSAGE : 0);
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_F4:
          Key(static_cast<UINT>(wParam), false);
          return 0;
        case VK_RETURN:
        case VK_ESCAPE:
          if (dropped_) {
            Key(static_cast<UINT>(wParam), false);
            return 0;
          }
          return pass();
        default:
          return pass();
      }
    case WM_SYSKEYDOWN:
      if (wParam == VK_UP || wParam == VK_DOWN) {
        Key(static_cast<UINT>(wParam), true);
        return 0;
      }
      return pass();
    case WM_CHAR:
      // The Enter and Esc whose keys closed the list.
      if (wParam == u'\r' || wParam == 0x1B) return 0;
      return pass();
    case WM_SETFOCUS: {
      HWND box = hwnd_;
      const LRESULT r = pass();
      if (ComboBox* self = OfEdit(edit); self && IsWindow(box)) self->GotFocus();
      return r;
    }
    case WM_KILLFOCUS: {
      const LRESULT r = pass();
      if (ComboBox* self = OfEdit(edit)) self->LostFocus(reinterpret_cast<HWND>(wParam));
      return r;
    }
    default:
      return pass();
  }
}

LRESULT CALLBACK ComboEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    if (ComboBox* box = ComboBox::OfEdit(edit)) return box->EditMessage(edit, message, wParam, lParam);
    // The box is gone (or never was): the edit field goes on as a plain edit.
    WNDCLASSW wc{};
    if (GetClassInfoW(nullptr, u"Edit", &wc) && wc.lpfnWndProc)
      return CallWindowProcW(wc.lpfnWndProc, edit, message, wParam, lParam);
    return DefWindowProcW(edit, message, wParam, lParam);
  });
}

}  // namespace kx2::user32
