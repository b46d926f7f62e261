// MFC's CFileDialog in its Vista style: the OPENFILENAMEW record handed to a Common Item
// Dialog and the chosen path written back.
#include <win/afx.h>

#include <cstring>
#include <string>
#include <vector>

#include <win/com.h>
#include <win/kernel.h>
#include <win/shobjidl.h>
#include <win/user.h>

#include "kx2/Ref.h"
#include "kx2/Utf.h"

IMPLEMENT_DYNAMIC(CCommonDialog, CDialog)
IMPLEMENT_DYNAMIC(CFileDialog, CCommonDialog)

namespace {

using kx2::Ref;

bool IsVistaOrLater() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExW(&version) && version.dwMajorVersion >= 6;
}

FILEOPENDIALOGOPTIONS OptionsOf(DWORD flags) {
  static const struct {
    DWORD ofn;
    FILEOPENDIALOGOPTIONS fos;
  } kMap[] = {
      {OFN_OVERWRITEPROMPT, FOS_OVERWRITEPROMPT},
      {OFN_NOCHANGEDIR, FOS_NOCHANGEDIR},
      {OFN_NOVALIDATE, FOS_NOVALIDATE},
      {OFN_ALLOWMULTISELECT, FOS_ALLOWMULTISELECT},
      {OFN_PATHMUSTEXIST, FOS_PATHMUSTEXIST},
      {OFN_FILEMUSTEXIST, FOS_FILEMUSTEXIST},
      {OFN_CREATEPROMPT, FOS_CREATEPROMPT},
      {OFN_SHAREAWARE, FOS_SHAREAWARE},
      {OFN_NOREADONLYRETURN, FOS_NOREADONLYRETURN},
      {OFN_NOTESTFILECREATE, FOS_NOTESTFILECREATE},
      {OFN_NODEREFERENCELINKS, FOS_NODEREFERENCELINKS},
      {OFN_DONTADDTORECENT, FOS_DONTADDTORECENT},
      {OFN_FORCESHOWHIDDEN, FOS_FORCESHOWHIDDEN},
  };
  FILEOPENDIALOGOPTIONS options = FOS_FORCEFILESYSTEM;
  for (const auto& each : kMap)
    if (flags & each.ofn) options |= each.fos;
  return options;
}

// The pairs of an OPENFILENAME filter list: strings ending in 0, the list in an empty one.
std::vector<std::u16string> FilterStrings(LPCWSTR list) {
  std::vector<std::u16string> strings;
  for (LPCWSTR at = list; at && *at;) {
    std::u16string_view one = kx2::View16(at);
    strings.emplace_back(one);
    at += one.size() + 1;
  }
  if (strings.size() % 2) strings.pop_back();  // a display text without its pattern
  return strings;
}

// Where the name starts within a path, and its extension (0 when it has none).
void NameOffsets(std::u16string_view path, WORD* nameAt, WORD* extensionAt) {
  size_t cut = path.find_last_of(u"\\/:");
  size_t name = cut == std::u16string_view::npos ? 0 : cut + 1;
  size_t dot = path.rfind(u'.');
  *nameAt = static_cast<WORD>(name);
  *extensionAt = dot != std::u16string_view::npos && dot >= name ? static_cast<WORD>(dot + 1) : 0;
}

}  // namespace

CCommonDialog::CCommonDialog(CWnd* parent) : CDialog(static_cast<UINT>(0), parent) {}

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt, LPCWSTR fileName, DWORD flags, LPCWSTR filter,
                         CWnd* parent, DWORD structSize, BOOL vistaStyle)
    : CCommonDialog(parent), m_bOpenFileDialog(openFileDialog), m_bVistaStyle(vistaStyle) {
  m_ofn.lStructSize = structSize ? structSize : static_cast<DWORD>(sizeof(OPENFILENAMEW));
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = MAX_PATH;
  m_ofn.lpstrFileTitle = m_szFileTitle;
  m_ofn.nMaxFileTitle = static_cast<DWORD>(std::size(m_szFileTitle));
  m_ofn.Flags = flags | OFN_EXPLORER;
  m_ofn.lpstrDefExt = defaultExt;
  m_ofn.hInstance = AfxGetResourceHandle();
  if (fileName) kx2::CopyTo16(m_szFileName, MAX_PATH, kx2::View16(fileName));  // cut to fit
  if (filter) {
    // '|' separates in MFC's form; the record wants 0s.
    std::u16string converted(kx2::View16(filter));
    for (char16_t& c : converted)
      if (c == u'|') c = 0;
    m_strFilter = CString(converted.c_str(), static_cast<int>(converted.size()));
    m_ofn.lpstrFilter = m_strFilter;
  }
  if (vistaStyle && IsVistaOrLater()) {
    IFileDialog* dialog = nullptr;
    if (SUCCEEDED(CoCreateInstance(openFileDialog ? CLSID_FileOpenDialog : CLSID_FileSaveDialog, nullptr,
                                   CLSCTX_INPROC_SERVER, IID_IFileDialog, reinterpret_cast<void**>(&dialog))))
      m_pIFileDialog = dialog;
  }
}

CFileDialog::~CFileDialog() {
  if (m_pIFileDialog) static_cast<IFileDialog*>(m_pIFileDialog)->Release();
}

INT_PTR CFileDialog::DoModal() {
  m_nExtendedError = 0;
  auto* dialog = static_cast<IFileDialog*>(m_pIFileDialog);
  if (!dialog) return IDCANCEL;
  dialog->SetOptions(OptionsOf(m_ofn.Flags));
  std::vector<std::u16string> strings = FilterStrings(m_ofn.lpstrFilter);
  if (!strings.empty()) {
    std::vector<COMDLG_FILTERSPEC> specs;
    for (size_t i = 0; i + 1 < strings.size(); i += 2) specs.push_back({strings[i].c_str(), strings[i + 1].c_str()});
    dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
    dialog->SetFileTypeIndex(m_ofn.nFilterIndex ? m_ofn.nFilterIndex : 1);
  }
  if (m_ofn.lpstrDefExt) dialog->SetDefaultExtension(m_ofn.lpstrDefExt);
  if (m_ofn.lpstrTitle) dialog->SetTitle(m_ofn.lpstrTitle);
  if (m_ofn.lpstrInitialDir && *m_ofn.lpstrInitialDir) {
    Ref<IShellItem> folder;
    if (SUCCEEDED(SHCreateItemFromParsingName(m_ofn.lpstrInitialDir, nullptr, IID_IShellItem, folder.put_void())))
      dialog->SetFolder(folder.get());
  }
  if (m_ofn.lpstrFile && *m_ofn.lpstrFile) {
    // A name with a folder in it starts the dialog in that folder.
    std::u16string_view given = kx2::View16(m_ofn.lpstrFile);
    size_t cut = given.find_last_of(u"\\/");
    if (cut != std::u16string_view::npos) {
      std::u16string folderPath(given.substr(0, cut == 2 && given[1] == u':' ? 3 : cut));
      Ref<IShellItem> folder;
      if (SUCCEEDED(SHCreateItemFromParsingName(folderPath.c_str(), nullptr, IID_IShellItem, folder.put_void())))
        dialog->SetFolder(folder.get());
      given.remove_prefix(cut + 1);
    }
    dialog->SetFileName(std::u16string(given).c_str());
  }
  HWND owner = m_ofn.hwndOwner ? m_ofn.hwndOwner : PreModal();
  if (dialog->Show(owner) != S_OK) return IDCANCEL;
  Ref<IShellItem> result;
  LPWSTR path = nullptr;
  if (FAILED(dialog->GetResult(result.put())) || FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &path)))
    return IDCANCEL;
  std::u16string chosen(path);
  CoTaskMemFree(path);
  UINT index = 0;
  if (SUCCEEDED(dialog->GetFileTypeIndex(&index))) m_ofn.nFilterIndex = index;
  if (!m_ofn.lpstrFile || chosen.size() + 1 > m_ofn.nMaxFile) {
    m_nExtendedError = FNERR_BUFFERTOOSMALL;
    return IDCANCEL;
  }
  std::memcpy(m_ofn.lpstrFile, chosen.c_str(), (chosen.size() + 1) * sizeof(WCHAR));
  NameOffsets(chosen, &m_ofn.nFileOffset, &m_ofn.nFileExtension);
  if (m_ofn.lpstrFileTitle && m_ofn.nMaxFileTitle)
    kx2::CopyTo16(m_ofn.lpstrFileTitle, m_ofn.nMaxFileTitle, std::u16string_view(chosen).substr(m_ofn.nFileOffset));
  return IDOK;
}

IFileDialogCustomize* CFileDialog::GetIFileDialogCustomize() {
  IFileDialogCustomize* out = nullptr;
  if (m_pIFileDialog)
    static_cast<IFileDialog*>(m_pIFileDialog)->QueryInterface(IID_IFileDialogCustomize, reinterpret_cast<void**>(&out));
  return out;
}

IFileOpenDialog* CFileDialog::GetIFileOpenDialog() {
  IFileOpenDialog* out = nullptr;
  if (m_pIFileDialog)
    static_cast<IFileDialog*>(m_pIFileDialog)->QueryInterface(IID_IFileOpenDialog, reinterpret_cast<void**>(&out));
  return out;
}

IFileSaveDialog* CFileDialog::GetIFileSaveDialog() {
  IFileSaveDialog* out = nullptr;
  if (m_pIFileDialog)
    static_cast<IFileDialog*>(m_pIFileDialog)->QueryInterface(IID_IFileSaveDialog, reinterpret_cast<void**>(&out));
  return out;
}

CString CFileDialog::GetPathName() const { return CString(m_ofn.lpstrFile); }

CString CFileDialog::GetFileName() const {
  std::u16string_view path = kx2::View16(m_ofn.lpstrFile);
  size_t cut = path.find_last_of(u"\\/:");
  std::u16string name(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
  return CString(name.c_str());
}

CString CFileDialog::GetFileExt() const {
  CString name = GetFileName();
  std::u16string_view text = kx2::View16(name);
  size_t dot = text.rfind(u'.');
  return dot == std::u16string_view::npos ? CString() : CString(std::u16string(text.substr(dot + 1)).c_str());
}

CString CFileDialog::GetFileTitle() const {
  CString name = GetFileName();
  std::u16string_view text = kx2::View16(name);
  size_t dot = text.rfind(u'.');
  return CString(std::u16string(dot == std::u16string_view::npos ? text : text.substr(0, dot)).c_str());
}

CString CFileDialog::GetFolderPath() const {
  std::u16string_view path = kx2::View16(m_ofn.lpstrFile);
  size_t cut = path.find_last_of(u"\\/");
  if (cut == std::u16string_view::npos) return CString();
  return CString(std::u16string(path.substr(0, cut == 2 ? 3 : cut)).c_str());
}
