// CVtlFileDialogVista: construction, the file-type list, the initial folder and DoModal.
#include "ornatex/filedialog/vtl_file_dialog.h"

#include <algorithm>
#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <kx2/Utf.h>
#include <win/shobjidl.h>

#include "ornatex/filedialog/file_dialog_events.h"

IMPLEMENT_DYNAMIC(CVtlFileDialogVista, CFileDialog)

CVtlFileDialogVista::CVtlFileDialogVista(BOOL openFileDialog, LPCWSTR defaultExt, LPCWSTR fileName, DWORD flags,
                                         LPCWSTR filter, CWnd* parent, int openChoices)
    : CFileDialog(openFileDialog, defaultExt, fileName, flags, filter, parent, 0, TRUE),
      m_pFilterCursor(m_szFilterBuffer),
      m_nOpenChoices(openChoices) {
  // The own, larger buffer replaces the base's; the given name is carried over (cut to fit)
  // so that the name box shows it.
  if (fileName) kx2::CopyTo16(m_szFileBuffer, kFileBufferUnits, kx2::View16(fileName));
  m_ofn.lpstrFile = m_szFileBuffer;
  m_ofn.nMaxFile = kFileBufferUnits;
  if (openChoices) AddOpenChoices();
}

CVtlFileDialogVista::~CVtlFileDialogVista() {
  if (m_pIFileDialog) static_cast<IFileDialog*>(m_pIFileDialog)->Unadvise(m_dwCookie);
  if (m_pEventHandler) m_pEventHandler->Release();
}

HRESULT CVtlFileDialogVista::QueryInterface(REFIID, void** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

ULONG CVtlFileDialogVista::AddRef() { return 1; }
ULONG CVtlFileDialogVista::Release() { return 1; }

const WCHAR* CVtlFileDialogVista::GetSelectedFormat() {
  const DWORD index = m_ofn.nFilterIndex;
  if (index < 1 || index > m_formats.size()) return nullptr;
  return m_formats[index - 1].c_str();
}

const WCHAR* CVtlFileDialogVista::GetSelectedExt() {
  const DWORD index = m_ofn.nFilterIndex;
  if (index < 1 || index > m_extensions.size()) return nullptr;
  return m_extensions[index - 1].c_str();
}

int CVtlFileDialogVista::GetOpenType() { return OrnatexOpenType(); }

void CVtlFileDialogVista::EnablePreview(IVtlEngine*) {}

void CVtlFileDialogVista::InitFilterBuf() {
  m_nFilterUsed = 0;
  m_nFilterLeft = kFilterBufferUnits;
  m_szFilterBuffer[0] = 0;
  m_pFilterCursor = m_szFilterBuffer;
  m_formats.clear();
  m_extensions.clear();
}

int CVtlFileDialogVista::AddFilter(LPCWSTR description, LPCWSTR pattern, LPCWSTR format, LPCWSTR extension) {
  return kx2::Guard(0, [&] {
    std::u16string shown =
        std::u16string(kx2::View16(description)) + u" (" + std::u16string(kx2::View16(pattern)) + u")";
    std::u16string_view patternText = kx2::View16(pattern);
    const int usedBefore = m_nFilterUsed;
    if (static_cast<int>(shown.size()) + 1 > m_nFilterLeft) return 0;
    // What the display text overwrites, to put back when the pattern does not fit after it.
    std::u16string overwritten(m_pFilterCursor, shown.size() + 1);
    std::memcpy(m_pFilterCursor, shown.c_str(), (shown.size() + 1) * sizeof(WCHAR));
    m_nFilterUsed += static_cast<int>(shown.size()) + 1;
    m_nFilterLeft = kFilterBufferUnits - m_nFilterUsed;
    m_pFilterCursor = m_szFilterBuffer + m_nFilterUsed;
    if (static_cast<int>(patternText.size()) + 1 > m_nFilterLeft) {
      std::memcpy(m_szFilterBuffer + usedBefore, overwritten.data(), overwritten.size() * sizeof(WCHAR));
      m_nFilterUsed = usedBefore;
      m_nFilterLeft = kFilterBufferUnits - m_nFilterUsed;
      m_pFilterCursor = m_szFilterBuffer + m_nFilterUsed;
      return 0;
    }
    std::memcpy(m_pFilterCursor, patternText.data(), patternText.size() * sizeof(WCHAR));
    m_pFilterCursor[patternText.size()] = 0;
    m_nFilterUsed += static_cast<int>(patternText.size()) + 1;
    m_nFilterLeft = kFilterBufferUnits - m_nFilterUsed;
    m_pFilterCursor = m_szFilterBuffer + m_nFilterUsed;
    m_formats.emplace_back(kx2::View16(format));
    m_extensions.emplace_back(kx2::View16(extension));
    return 1;
  });
}

int CVtlFileDialogVista::IsOpenFileDialog() { return m_bOpenFileDialog; }

int CVtlFileDialogVista::SetInitFolder(IVtlEngine* engine, StateID state) {
  return kx2::Guard(0, [&] {
    m_pEngine = engine;
    m_state = state;
    IVtlEngineFolders* folders = engine ? engine->GetFolders() : nullptr;
    if (!folders) return 0;
    // Asked into a string of its own, so that an empty answer leaves the folder an earlier
    // call set where the dialog's record points at it.
    std::u16string folder;
    folders->GetStateFolder(state, folder);
    if (folder.empty()) return 0;
    m_strInitFolder = std::move(folder);
    m_ofn.lpstrInitialDir = m_strInitFolder.c_str();
    return 1;
  });
}

INT_PTR CVtlFileDialogVista::DoModal() {
  if (m_szFilterBuffer[0] != 0) {
    m_szFilterBuffer[m_nFilterUsed] = 0;  // the list's closing terminator
    m_ofn.lpstrFilter = m_szFilterBuffer;
  }
  return CFileDialog::DoModal();
}
