// The Common Item Dialog: the open and save dialogs made by CoCreateInstance
// (CLSID_FileOpenDialog, CLSID_FileSaveDialog), their shell items, the custom controls of
// IFileDialogCustomize and the event sinks the dialog calls, with the shell's table-driven
// QueryInterface helper QISearch.
//
// Show makes a real dialog window ("#32770") on the calling thread and runs its modal loop,
// which plays the user's steps from a script (kx2/FileDialogScript.h); without a script the
// dialog answers Cancel at once. Items are files and folders of the platform's file layer,
// named by Windows paths.
#pragma once

#include "win/errors.h"
#include "win/ole.h"
#include "win/shell.h"
#include "win/types.h"

#ifndef MK_E_NOOBJECT
#define MK_E_NOOBJECT static_cast<HRESULT>(0x800401E5L)
#endif

struct IBindCtx;
struct IPropertyStore;
struct IPropertyDescriptionList;
struct IFileOperationProgressSink;
struct IShellItemFilter;
struct IEnumShellItems;

// ---- Classes and interface identifiers -----------------------------------------------------
inline constexpr CLSID CLSID_FileOpenDialog = {
    0xDC1C5A9C, 0xE88A, 0x4DDE, {0xA5, 0xA1, 0x60, 0xF8, 0x2A, 0x20, 0xAE, 0xF7}};
inline constexpr CLSID CLSID_FileSaveDialog = {
    0xC0B4E2F3, 0xBA21, 0x4773, {0x8D, 0xBA, 0x33, 0x5E, 0xC9, 0x46, 0xEB, 0x8B}};
inline constexpr IID IID_IOleWindow = {0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IShellItem = {0x43826D1E, 0xE718, 0x42EE, {0xBC, 0x55, 0xA1, 0xE2, 0x61, 0xC3, 0x7B, 0xFE}};
inline constexpr IID IID_IShellItemArray = {
    0xB63EA76D, 0x1F85, 0x456F, {0xA1, 0x9C, 0x48, 0x15, 0x9E, 0xFA, 0x85, 0x8B}};
inline constexpr IID IID_IModalWindow = {0xB4DB1657, 0x70D7, 0x485E, {0x8E, 0x3E, 0x6F, 0xCB, 0x5A, 0x5C, 0x18, 0x02}};
inline constexpr IID IID_IFileDialog = {0x42F85136, 0xDB7E, 0x439C, {0x85, 0xF1, 0xE4, 0x07, 0x5D, 0x13, 0x5F, 0xC8}};
inline constexpr IID IID_IFileOpenDialog = {
    0xD57C7288, 0xD4AD, 0x4768, {0xBE, 0x02, 0x9D, 0x96, 0x95, 0x32, 0xD9, 0x60}};
inline constexpr IID IID_IFileSaveDialog = {
    0x84BCCD23, 0x5FDE, 0x4CDB, {0xAE, 0xA4, 0xAF, 0x64, 0xB8, 0x3D, 0x78, 0xAB}};
inline constexpr IID IID_IFileDialogEvents = {
    0x973510DB, 0x7D7F, 0x452B, {0x89, 0x75, 0x74, 0xA8, 0x58, 0x28, 0xD3, 0x54}};
inline constexpr IID IID_IFileDialogControlEvents = {
    0x36116642, 0xD713, 0x4B97, {0x9B, 0x83, 0x74, 0x84, 0xA9, 0xD0, 0x04, 0x33}};
inline constexpr IID IID_IFileDialogCustomize = {
    0xE6FDD21A, 0x163F, 0x4975, {0x9C, 0x8C, 0xA6, 0x9F, 0x1B, 0xA3, 0x70, 0x34}};

// ---- Shell items -------------------------------------------------------------------------------
enum SIGDN : DWORD {
  SIGDN_NORMALDISPLAY = 0x00000000,                // the name as shown: "report.txt"
  SIGDN_PARENTRELATIVEPARSING = 0x80018001,        // the name within its folder
  SIGDN_DESKTOPABSOLUTEPARSING = 0x80028000,       // the full path
  SIGDN_PARENTRELATIVEEDITING = 0x80031001,        // the name within its folder
  SIGDN_DESKTOPABSOLUTEEDITING = 0x8004C000,       // the full path
  SIGDN_FILESYSPATH = 0x80058000,                  // the full path
  SIGDN_URL = 0x80068000,                          // "file:///Z:/..."
  SIGDN_PARENTRELATIVEFORADDRESSBAR = 0x8007C001,  // the name within its folder
  SIGDN_PARENTRELATIVE = 0x80080001,               // the name within its folder
};
typedef DWORD SICHINTF;
#define SICHINT_DISPLAY 0x00000000
#define SICHINT_ALLFIELDS 0x80000000
#define SICHINT_CANONICAL 0x10000000

// One file or folder, by its full Windows path. Items need not exist (a save dialog's
// result names a file about to be written); the attributes are read when asked for.
struct IShellItem : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx* pbc, REFGUID bhid, REFIID riid, void** ppv) = 0;
  // The folder holding the item; MK_E_NOOBJECT for a drive root.
  virtual HRESULT STDMETHODCALLTYPE GetParent(IShellItem** ppsi) = 0;
  // A CoTaskMemAlloc'd copy of the name in the asked form; the caller frees it.
  virtual HRESULT STDMETHODCALLTYPE GetDisplayName(SIGDN sigdnName, LPWSTR* ppszName) = 0;
  // *psfgaoAttribs = the item's SFGAO_ bits within sfgaoMask; S_OK when they are all of
  // the mask, S_FALSE otherwise.
  virtual HRESULT STDMETHODCALLTYPE GetAttributes(SFGAOF sfgaoMask, SFGAOF* psfgaoAttribs) = 0;
  // *piOrder: 0 for the same path (without regard to case), else its order; S_OK when
  // equal, S_FALSE otherwise.
  virtual HRESULT STDMETHODCALLTYPE Compare(IShellItem* psi, SICHINTF hint, int* piOrder) = 0;
};

enum SIATTRIBFLAGS : DWORD { SIATTRIBFLAGS_AND = 0x1, SIATTRIBFLAGS_OR = 0x2, SIATTRIBFLAGS_APPCOMPAT = 0x3 };

struct IShellItemArray : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx* pbc, REFGUID bhid, REFIID riid, void** ppvOut) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPropertyStore(DWORD flags, REFIID riid, void** ppv) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPropertyDescriptionList(const void* keyType, REFIID riid, void** ppv) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttributes(SIATTRIBFLAGS dwAttribFlags, SFGAOF sfgaoMask,
                                                  SFGAOF* psfgaoAttribs) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCount(DWORD* pdwNumItems) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetItemAt(DWORD dwIndex, IShellItem** ppsi) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumItems(IEnumShellItems** ppenumShellItems) = 0;
};

// An item for an existing file or folder (a relative path is made absolute);
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when it does not exist.
KX2_EXPORT HRESULT SHCreateItemFromParsingName(LPCWSTR pszPath, IBindCtx* pbc, REFIID riid, void** ppv);

// ---- The window of an object ---------------------------------------------------------------
struct IOleWindow : IUnknown {
  // The dialog's window while it is shown; E_FAIL otherwise.
  virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) = 0;
  virtual HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) = 0;
};

struct IModalWindow : IUnknown {
  // S_OK when the user confirmed an item, HRESULT_FROM_WIN32(ERROR_CANCELLED) otherwise.
  virtual HRESULT STDMETHODCALLTYPE Show(HWND hwndOwner) = 0;
};

// ---- The dialog ---------------------------------------------------------------------------------
struct COMDLG_FILTERSPEC {
  LPCWSTR pszName;  // "Text files (*.txt)"
  LPCWSTR pszSpec;  // "*.txt;*.text"
};

typedef DWORD FILEOPENDIALOGOPTIONS;
#define FOS_OVERWRITEPROMPT 0x00000002
#define FOS_STRICTFILETYPES 0x00000004
#define FOS_NOCHANGEDIR 0x00000008
#define FOS_PICKFOLDERS 0x00000020
#define FOS_FORCEFILESYSTEM 0x00000040
#define FOS_ALLNONSTORAGEITEMS 0x00000080
#define FOS_NOVALIDATE 0x00000100
#define FOS_ALLOWMULTISELECT 0x00000200
#define FOS_PATHMUSTEXIST 0x00000800
#define FOS_FILEMUSTEXIST 0x00001000
#define FOS_CREATEPROMPT 0x00002000
#define FOS_SHAREAWARE 0x00004000
#define FOS_NOREADONLYRETURN 0x00008000
#define FOS_NOTESTFILECREATE 0x00010000
#define FOS_HIDEMRUPLACES 0x00020000
#define FOS_HIDEPINNEDPLACES 0x00040000
#define FOS_NODEREFERENCELINKS 0x00100000
#define FOS_DONTADDTORECENT 0x02000000
#define FOS_FORCESHOWHIDDEN 0x10000000
#define FOS_DEFAULTNOMINIMODE 0x20000000
#define FOS_FORCEPREVIEWPANEON 0x40000000

enum FDAP : DWORD { FDAP_BOTTOM = 0, FDAP_TOP = 1 };
enum FDE_SHAREVIOLATION_RESPONSE : DWORD { FDESVR_DEFAULT = 0, FDESVR_ACCEPT = 1, FDESVR_REFUSE = 2 };
enum FDE_OVERWRITE_RESPONSE : DWORD { FDEOR_DEFAULT = 0, FDEOR_ACCEPT = 1, FDEOR_REFUSE = 2 };

struct IFileDialog;
struct IFileDialogCustomize;

// The dialog's events. A sink's result matters where said: OnFileOk's S_OK (or E_NOTIMPL)
// lets the dialog close, anything else keeps it open; OnFolderChanging's failure (other than
// E_NOTIMPL) refuses the change. The others are notices.
struct IFileDialogEvents : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog* pfd) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog* pfd, IShellItem* psiFolder) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* pfd) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog* pfd) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog* pfd, IShellItem* psi,
                                                     FDE_SHAREVIOLATION_RESPONSE* pResponse) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog* pfd) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog* pfd, IShellItem* psi,
                                                FDE_OVERWRITE_RESPONSE* pResponse) = 0;
};

// Asked of each advised sink through QueryInterface: the custom controls' events.
struct IFileDialogControlEvents : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnItemSelected(IFileDialogCustomize* pfdc, DWORD dwIDCtl, DWORD dwIDItem) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnButtonClicked(IFileDialogCustomize* pfdc, DWORD dwIDCtl) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnCheckButtonToggled(IFileDialogCustomize* pfdc, DWORD dwIDCtl, BOOL bChecked) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnControlActivating(IFileDialogCustomize* pfdc, DWORD dwIDCtl) = 0;
};

struct IFileDialog : IModalWindow {
  // Copies the list, replacing one set before (the system's dialog takes types once; here a
  // dialog shown again may get new ones); E_UNEXPECTED while shown, E_INVALIDARG for an
  // empty list.
  virtual HRESULT STDMETHODCALLTYPE SetFileTypes(UINT cFileTypes, const COMDLG_FILTERSPEC* rgFilterSpec) = 0;
  // 1-based; 0 is taken as 1.
  virtual HRESULT STDMETHODCALLTYPE SetFileTypeIndex(UINT iFileType) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFileTypeIndex(UINT* piFileType) = 0;
  // The sink gets a reference until Unadvise or the dialog's end; cookies start at 1.
  virtual HRESULT STDMETHODCALLTYPE Advise(IFileDialogEvents* pfde, DWORD* pdwCookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetOptions(FILEOPENDIALOGOPTIONS fos) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOptions(FILEOPENDIALOGOPTIONS* pfos) = 0;
  // The folder shown when no folder was set (SetFolder wins over it).
  virtual HRESULT STDMETHODCALLTYPE SetDefaultFolder(IShellItem* psi) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFolder(IShellItem* psi) = 0;
  // The folder shown (or to be shown); E_FAIL when none is known.
  virtual HRESULT STDMETHODCALLTYPE GetFolder(IShellItem** ppsi) = 0;
  // The item selected in the folder, else the one the name box names; E_FAIL for neither.
  virtual HRESULT STDMETHODCALLTYPE GetCurrentSelection(IShellItem** ppsi) = 0;
  // The text of the name box.
  virtual HRESULT STDMETHODCALLTYPE SetFileName(LPCWSTR pszName) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFileName(LPWSTR* pszName) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTitle(LPCWSTR pszTitle) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetOkButtonLabel(LPCWSTR pszText) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFileNameLabel(LPCWSTR pszLabel) = 0;
  // The confirmed item: after Show answered S_OK, or while OnFileOk runs; E_UNEXPECTED
  // otherwise.
  virtual HRESULT STDMETHODCALLTYPE GetResult(IShellItem** ppsi) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddPlace(IShellItem* psi, FDAP fdap) = 0;
  // Added (with a dot) to a confirmed name that has no extension; without a leading dot.
  virtual HRESULT STDMETHODCALLTYPE SetDefaultExtension(LPCWSTR pszDefaultExtension) = 0;
  // Ends a shown dialog: Show answers hr.
  virtual HRESULT STDMETHODCALLTYPE Close(HRESULT hr) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetClientGuid(REFGUID guid) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearClientData() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFilter(IShellItemFilter* pFilter) = 0;
};

struct IFileOpenDialog : IFileDialog {
  // The confirmed items (one: no multiple selection is played).
  virtual HRESULT STDMETHODCALLTYPE GetResults(IShellItemArray** ppenum) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSelectedItems(IShellItemArray** ppsai) = 0;
};

// The property calls answer E_NOTIMPL: no item here carries a property store.
struct IFileSaveDialog : IFileDialog {
  // Puts the item's folder and name into the dialog.
  virtual HRESULT STDMETHODCALLTYPE SetSaveAsItem(IShellItem* psi) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetProperties(IPropertyStore* pStore) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCollectedProperties(IPropertyDescriptionList* pList, BOOL fAppendDefault) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProperties(IPropertyStore** ppStore) = 0;
  virtual HRESULT STDMETHODCALLTYPE ApplyProperties(IShellItem* psi, IPropertyStore* pStore, HWND hwnd,
                                                    IFileOperationProgressSink* pSink) = 0;
};

// ---- Custom controls ------------------------------------------------------------------------
typedef DWORD CDCONTROLSTATEF;
#define CDCS_INACTIVE 0x0
#define CDCS_ENABLED 0x1
#define CDCS_VISIBLE 0x2
#define CDCS_ENABLEDVISIBLE 0x3

// Controls are kept by id (an id is used once; E_INVALIDARG for a second use or an unknown
// id). Items belong to menus, combo boxes, radio lists and the open button's drop-down
// (EnableOpenDropDown: the control of that id; a drop-down's first enabled item is its
// selection until one is chosen). New controls and items start enabled and visible.
struct IFileDialogCustomize : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EnableOpenDropDown(DWORD dwIDCtl) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddMenu(DWORD dwIDCtl, LPCWSTR pszLabel) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddPushButton(DWORD dwIDCtl, LPCWSTR pszLabel) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddComboBox(DWORD dwIDCtl) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddRadioButtonList(DWORD dwIDCtl) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddCheckButton(DWORD dwIDCtl, LPCWSTR pszLabel, BOOL bChecked) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddEditBox(DWORD dwIDCtl, LPCWSTR pszText) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddSeparator(DWORD dwIDCtl) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddText(DWORD dwIDCtl, LPCWSTR pszText) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetControlLabel(DWORD dwIDCtl, LPCWSTR pszLabel) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetControlState(DWORD dwIDCtl, CDCONTROLSTATEF* pdwState) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetControlState(DWORD dwIDCtl, CDCONTROLSTATEF dwState) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEditBoxText(DWORD dwIDCtl, WCHAR** ppszText) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetEditBoxText(DWORD dwIDCtl, LPCWSTR pszText) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCheckButtonState(DWORD dwIDCtl, BOOL* pbChecked) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCheckButtonState(DWORD dwIDCtl, BOOL bChecked) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddControlItem(DWORD dwIDCtl, DWORD dwIDItem, LPCWSTR pszLabel) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveControlItem(DWORD dwIDCtl, DWORD dwIDItem) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveAllControlItems(DWORD dwIDCtl) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetControlItemState(DWORD dwIDCtl, DWORD dwIDItem, CDCONTROLSTATEF* pdwState) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetControlItemState(DWORD dwIDCtl, DWORD dwIDItem, CDCONTROLSTATEF dwState) = 0;
  // E_FAIL when the control has no selected item.
  virtual HRESULT STDMETHODCALLTYPE GetSelectedControlItem(DWORD dwIDCtl, DWORD* pdwIDItem) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSelectedControlItem(DWORD dwIDCtl, DWORD dwIDItem) = 0;
  virtual HRESULT STDMETHODCALLTYPE StartVisualGroup(DWORD dwIDCtl, LPCWSTR pszLabel) = 0;
  virtual HRESULT STDMETHODCALLTYPE EndVisualGroup() = 0;
  virtual HRESULT STDMETHODCALLTYPE MakeProminent(DWORD dwIDCtl) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetControlItemText(DWORD dwIDCtl, DWORD dwIDItem, LPCWSTR pszLabel) = 0;
};

// ---- Table-driven QueryInterface ------------------------------------------------------------
// One row per interface: its identifier and the offset of that interface within the object.
// A table ends with a row whose piid is null.
struct QITAB {
  const IID* piid;
  DWORD dwOffset;
};
typedef const QITAB* LPCQITAB;
#define KX2_QI_OFFSET(Interface, Class) \
  static_cast<DWORD>(reinterpret_cast<DWORD_PTR>(static_cast<Interface*>(reinterpret_cast<Class*>(64))) - 64)
#define QITABENT(Class, Interface) \
  { &IID_##Interface, KX2_QI_OFFSET(Interface, Class) }
#define QITABENTMULTI(Class, Interface, Via) \
  { &IID_##Interface, KX2_QI_OFFSET(Via, Class) }

// Answers riid from the table (IUnknown with the first row), adding a reference through
// that interface; E_NOINTERFACE (and *ppv null) otherwise, E_POINTER for a null ppv.
KX2_EXPORT HRESULT QISearch(void* that, LPCQITAB pqit, REFIID riid, void** ppv);
