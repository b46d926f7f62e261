// Dialog templates and the dialog manager (libKx2User32.so): dialogs made from templates,
// their procedure DefDlgProcW, the modal loop, keyboard navigation and the item helpers.
//
// A template is either a DLGTEMPLATE record or the extended form (DLGTEMPLATEEX: dlgVer
// 1 and signature 0xFFFF, then help id, extended style, style, item count and the
// rectangle), followed by the menu, class and title (each 0x0000 for none, 0xFFFF and an
// ordinal, or a terminated text), the font when DS_SETFONT is set (point size; the
// extended form adds weight, italic and character set; then the face name) and the
// items, each starting on a 4-byte boundary: style, extended style, rectangle and id (the
// extended form: help id, extended style, style, rectangle and a 32-bit id), class and
// title in the same form as the dialog's, and a word counting creation data bytes that
// follow. Class ordinals 0x80 to 0x85 are Button, Edit, Static, ListBox, ScrollBar and
// ComboBox. A template passed by pointer is trusted as on Win32; one read from a module's
// RT_DIALOG resource is read within the resource's size, and a malformed one fails with
// ERROR_INVALID_PARAMETER.
//
// Positions and sizes are dialog units: x * base width / 4 and y * base height / 8
// pixels, where the base width is the average width of the font's 52 Latin letters and
// the base height the font's height (the system font's without DS_SETFONT).
#pragma once

#include "win/types.h"

#define DS_ABSALIGN 0x01L
#define DS_SYSMODAL 0x02L
#define DS_LOCALEDIT 0x20L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_NOIDLEMSG 0x100L
#define DS_SETFOREGROUND 0x200L
#define DS_FIXEDSYS 0x0008L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

#pragma pack(push, 2)
struct DLGTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  SHORT x;
  SHORT y;
  SHORT cx;
  SHORT cy;
};
struct DLGITEMTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  SHORT x;
  SHORT y;
  SHORT cx;
  SHORT cy;
  WORD id;
};
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18 && sizeof(DLGITEMTEMPLATE) == 18, "dialog template records");
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;

#define DS_3DLOOK 0x04L
#define DS_NOFAILCREATE 0x10L
#define DS_CENTERMOUSE 0x1000L
#define DS_CONTEXTHELP 0x2000L

// The class of dialogs made without a class of their own in the template.
#define WC_DIALOG (u"#32770")

#define DM_GETDEFID (0x0400 + 0)
#define DM_SETDEFID (0x0400 + 1)
#define DM_REPOSITION (0x0400 + 2)
#define DC_HASDEFID 0x534B

// What a control answers to WM_GETDLGCODE.
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

// WM_ENTERIDLE's wParam while a dialog's modal loop waits.
#define MSGF_DIALOGBOX 0

// The button messages the dialog manager sends (the button control answers them).
#ifndef BM_GETCHECK
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5
#endif
#ifndef BST_UNCHECKED
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#endif
#ifndef BS_PUSHBUTTON
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#endif
#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif
#ifndef EM_SETSEL
#define EM_SETSEL 0x00B1
#endif

// The list-box questions a dialog answers -1 to by default.
#ifndef WM_VKEYTOITEM
#define WM_VKEYTOITEM 0x002E
#define WM_CHARTOITEM 0x002F
#endif

struct MSG;
typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// Makes the dialog and its controls, sends WM_SETFONT (with DS_SETFONT) and WM_INITDIALOG
// (wParam the first tab stop, which gets the focus when the procedure answers TRUE) and
// shows it when the template says WS_VISIBLE. hWndParent is the parent of a WS_CHILD
// dialog, else the owner. A control whose class does not exist fails the dialog
// (ERROR_CANNOT_FIND_WND_CLASS) unless the template has DS_NOFAILCREATE. A named menu
// is loaded from hInstance. Null on failure.
KX2_EXPORT HWND CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent,
                                           DLGPROC lpDialogFunc, LPARAM dwInitParam);
// The template is the RT_DIALOG resource lpTemplateName of hInstance.
KX2_EXPORT HWND CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                                   LPARAM dwInitParam);
// The modal form: the owner (the top-level window of hWndParent) is disabled while the
// dialog runs; the loop shows the dialog when its queue first runs dry, sends the owner
// WM_ENTERIDLE (MSGF_DIALOGBOX, the dialog) each time it does (not with DS_NOIDLEMSG),
// waits through GetMessageW (so the thread's idle handler runs), passes messages through
// IsDialogMessageW and ends at EndDialog. Returns EndDialog's result, -1 when the dialog
// could not be made or the loop ended at WM_QUIT (which is posted again).
KX2_EXPORT INT_PTR DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                           DLGPROC lpDialogFunc, LPARAM dwInitParam);
KX2_EXPORT INT_PTR DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                                   LPARAM dwInitParam);
inline HWND CreateDialogIndirectW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent, DLGPROC proc) {
  return CreateDialogIndirectParamW(instance, dialogTemplate, parent, proc, 0);
}
inline HWND CreateDialogW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc) {
  return CreateDialogParamW(instance, name, parent, proc, 0);
}
inline INT_PTR DialogBoxIndirectW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent, DLGPROC proc) {
  return DialogBoxIndirectParamW(instance, dialogTemplate, parent, proc, 0);
}
inline INT_PTR DialogBoxW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc) {
  return DialogBoxParamW(instance, name, parent, proc, 0);
}

// Ends a modal dialog's loop with the result (the dialog is hidden and its owner enabled
// again; the loop destroys it). For a modeless dialog it only hides it. FALSE with
// ERROR_INVALID_WINDOW_HANDLE for a window that is not a dialog.
KX2_EXPORT BOOL EndDialog(HWND hDlg, INT_PTR nResult);

// The procedure of dialog windows: calls the dialog procedure (DWLP_DLGPROC) first; when
// it answers TRUE the result is DWLP_MSGRESULT (or the answer itself for WM_INITDIALOG,
// WM_CTLCOLOR*, WM_COMPAREITEM, WM_VKEYTOITEM, WM_CHARTOITEM and WM_QUERYDRAGICON).
// Otherwise: the background with the brush WM_CTLCOLORDLG answers (a hollow brush leaves
// it unpainted), WM_CTLCOLOR* of a child dialog passed to its parent, focus saved on
// deactivation and put back on activation, WM_CLOSE as IDCANCEL, DM_GETDEFID,
// DM_SETDEFID, DM_REPOSITION (a top-level dialog moved back inside the work area),
// WM_NEXTDLGCTL, WM_GETFONT; the rest as DefWindowProcW.
KX2_EXPORT LRESULT DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);

// Keyboard navigation for a message meant for the dialog or one of its controls: Tab and
// Shift+Tab over WS_TABSTOP controls, arrows within a WS_GROUP group, Enter as the
// default button (IDOK when none), Esc as IDCANCEL, Alt+letter and plain letters as
// mnemonics ("&Name"); a control's WM_GETDLGCODE answer keeps the keys it wants. TRUE when
// the message was handled (it is then dispatched or consumed here).
KX2_EXPORT BOOL IsDialogMessageW(HWND hDlg, MSG* lpMsg);
// The next (or previous) visible, enabled WS_TABSTOP control after hCtl, wrapping; the
// controls of WS_EX_CONTROLPARENT children count as the dialog's own.
KX2_EXPORT HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
// The next (or previous) visible, enabled control of hCtl's WS_GROUP group, wrapping.
KX2_EXPORT HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious);

// The system font's base units: width in the low word, height in the high word.
KX2_EXPORT LONG GetDialogBaseUnits();
// Dialog units to pixels with the dialog's font. FALSE for a window that is not a dialog.
KX2_EXPORT BOOL MapDialogRect(HWND hDlg, LPRECT lpRect);

// The item helpers: each finds the control with GetDlgItem and fails (FALSE, 0 or an
// empty text) when there is none.
KX2_EXPORT BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString);
KX2_EXPORT UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax);
KX2_EXPORT BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
// Leading and trailing spaces are allowed, anything else (or a value out of range) gives
// 0 with *lpTranslated FALSE.
KX2_EXPORT UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
KX2_EXPORT BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
KX2_EXPORT UINT IsDlgButtonChecked(HWND hDlg, int nIDButton);
// Checks nIDCheckButton and clears every other button of the range.
KX2_EXPORT BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
KX2_EXPORT LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
