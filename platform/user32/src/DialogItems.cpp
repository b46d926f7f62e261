// The helpers that reach a dialog's control by its id.
#include <algorithm>
#include <string>

#include "DialogState.h"
#include "kx2/ErrorBoundary.h"

namespace {

// Decimal digits between optional spaces; a sign only when signed. False for anything
// else or a value out of range.
bool ParseInteger(const std::u16string& text, bool isSigned, UINT* value) {
  size_t at = 0;
  while (at < text.size() && text[at] == u' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+') && isSigned) {
    negative = text[at] == u'-';
    ++at;
  }
  const size_t digitsStart = at;
  unsigned long long magnitude = 0;
  while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
    magnitude = magnitude * 10 + static_cast<unsigned>(text[at] - u'0');
    if (magnitude > 0xFFFFFFFFull) return false;
    ++at;
  }
  if (at == digitsStart) return false;
  while (at < text.size() && text[at] == u' ') ++at;
  if (at != text.size()) return false;
  if (isSigned) {
    if (negative ? magnitude > 0x80000000ull : magnitude > 0x7FFFFFFFull) return false;
    const long long signedValue = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    *value = static_cast<UINT>(static_cast<INT>(signedValue));
  } else {
    *value = static_cast<UINT>(magnitude);
  }
  return true;
}

std::u16string ItemText(HWND item) {
  const int length = GetWindowTextLengthW(item);
  std::u16string text(static_cast<size_t>(std::max(length, 0)) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

KX2_EXPORT BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SetWindowTextW(item, lpString) : FALSE;
  });
}

KX2_EXPORT UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
  return kx2::Guard(UINT{0}, [&]() -> UINT {
    if (lpString && cchMax > 0) lpString[0] = 0;
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item || !lpString || cchMax <= 0) return 0;
    return static_cast<UINT>(GetWindowTextW(item, lpString, cchMax));
  });
}

KX2_EXPORT BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    const std::string digits =
        bSigned ? std::to_string(static_cast<INT>(uValue)) : std::to_string(static_cast<unsigned>(uValue));
    const std::u16string text(digits.begin(), digits.end());
    return SetDlgItemTextW(hDlg, nIDDlgItem, text.c_str());
  });
}

KX2_EXPORT UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
  return kx2::Guard(UINT{0}, [&]() -> UINT {
    if (lpTranslated) *lpTranslated = FALSE;
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    UINT value = 0;
    if (!item || !ParseInteger(ItemText(item), bSigned != FALSE, &value)) return 0;
    if (lpTranslated) *lpTranslated = TRUE;
    return value;
  });
}

KX2_EXPORT BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    HWND item = GetDlgItem(hDlg, nIDButton);
    if (!item) return FALSE;
    SendMessageW(item, BM_SETCHECK, uCheck, 0);
    return TRUE;
  });
}

KX2_EXPORT UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  return kx2::Guard(UINT{0}, [&]() -> UINT {
    HWND item = GetDlgItem(hDlg, nIDButton);
    return item ? static_cast<UINT>(SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
  });
}

KX2_EXPORT BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsWindow(hDlg)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    // Walks the dialog's controls rather than every id of the range, which may be wide.
    for (HWND c = GetWindow(hDlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      const int id = GetDlgCtrlID(c);
      if (id < nIDFirstButton || id > nIDLastButton) continue;
      SendMessageW(c, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
  });
}

KX2_EXPORT LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SendMessageW(item, Msg, wParam, lParam) : 0;
  });
}
