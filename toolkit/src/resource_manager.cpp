// The resource manager's base kind: the process-wide manager, the resource instance, the
// language taken from it, and the lookups (resource instance first, then the application).
#include <toolkit/ResourceManager.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <win/gdi.h>
#include <win/menu.h>
#include <win/module.h>
#include <win/nls.h>
#include <win/resource.h>
#include <win/userres.h>

#include <toolkit/SystemLibrary.h>

namespace {

// One slot for every manager of the module: set by SetResourceInstance, kept across
// manager replacements.
HINSTANCE g_resourceInstance = nullptr;

// The process-wide manager (MFC keeps it in process-local storage).
std::unique_ptr<CKtkResourceManager>& ProcessManager() {
  static std::unique_ptr<CKtkResourceManager> manager;
  return manager;
}

struct LanguageScan {
  WORD found = 0;
};

BOOL OnLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  auto* scan = reinterpret_cast<LanguageScan*>(param);
  if (language != 0) scan->found = language;
  return language == 0 || language == 1033;  // the first language other than 1033 ends the walk
}

BOOL OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  EnumResourceLanguagesW(module, type, name, OnLanguage, param);
  auto* scan = reinterpret_cast<LanguageScan*>(param);
  return scan->found == 0 || scan->found == 1033;
}

BOOL OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  EnumResourceNamesW(module, type, OnName, param);
  auto* scan = reinterpret_cast<LanguageScan*>(param);
  return scan->found == 0 || scan->found == 1033;
}

// The resource instance when it holds the resource.
HINSTANCE InstanceHolding(LPCWSTR name, LPCWSTR type) {
  return g_resourceInstance && FindResourceW(g_resourceInstance, name, type) ? g_resourceInstance : nullptr;
}

// String id from the string-table block of a module: FALSE when the block is missing, the
// walk runs past the block, or the string is empty.
BOOL StringFromBlock(HINSTANCE module, UINT id, CString* out) {
  HRSRC block = FindResourceW(module, MAKEINTRESOURCEW(id / 16 + 1), RT_STRING);
  HGLOBAL loaded = block ? LoadResource(module, block) : nullptr;
  const auto* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!data) return FALSE;
  const size_t size = SizeofResource(module, block);
  size_t at = 0;
  for (UINT index = 0;; ++index) {
    if (at + 2 > size) return FALSE;
    const size_t length = data[at] | data[at + 1] << 8;
    at += 2;
    if (length * 2 > size - at) return FALSE;
    if (index == id % 16) {
      if (length == 0) return FALSE;
      std::vector<WCHAR> text(length);
      std::memcpy(text.data(), data + at, length * 2);
      *out = CString(text.data(), static_cast<int>(length));
      return TRUE;
    }
    at += length * 2;
  }
}

}  // namespace

CKtkResourceManager::CKtkResourceManager() : language_(FindLanguageInfo(1033)) {
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) iconTitleCharSet_ = font.lfCharSet;
}

CKtkResourceManager::~CKtkResourceManager() {
  if (!ownModule_) return;
  // The slot must never name a library that is gone.
  if (g_resourceInstance == ownModule_) g_resourceInstance = nullptr;
  FreeLibrary(ownModule_);
}

BOOL CKtkResourceManager::Close() {
  if (!ownModule_) return FALSE;
  if (g_resourceInstance == ownModule_) g_resourceInstance = nullptr;
  BOOL result = FreeLibrary(ownModule_);
  ownModule_ = nullptr;
  return result;
}

WORD CKtkResourceManager::GetLanguage() const { return language_ ? language_->languageId : 1033; }

UINT CKtkResourceManager::GetCodePage() const { return language_ ? language_->codePage : CP_ACP; }

WORD CKtkResourceManager::ReloadLanguage() {
  LanguageScan scan;
  if (g_resourceInstance) EnumResourceTypesW(g_resourceInstance, OnType, reinterpret_cast<LONG_PTR>(&scan));
  SetLanguage(scan.found);
  return scan.found;
}

WORD CKtkResourceManager::SetResourceInstance(HINSTANCE instance) {
  g_resourceInstance = instance;
  return ReloadLanguage();
}

HINSTANCE CKtkResourceManager::GetResourceInstance() { return g_resourceInstance; }

void CKtkResourceManager::SetLanguage(WORD languageId) {
  const LanguageInfo* info = FindLanguageInfo(languageId);
  language_ = info ? info : FindLanguageInfo(1033);
}

CString CKtkResourceManager::GetString(UINT id, BOOL* error) {
  CString text;
  const BOOL loaded = LoadString(&text, id);
  if (error) *error = !loaded;
  return text;
}

BOOL CKtkResourceManager::LoadString(CString* out, UINT id) {
  if (!out) return FALSE;
  if (g_resourceInstance && StringFromBlock(g_resourceInstance, id, out)) return TRUE;
  return out->LoadString(id);
}

BOOL CKtkResourceManager::LoadMenu(CMenu* menu, UINT id) {
  if (!menu) return FALSE;
  LPCWSTR name = MAKEINTRESOURCEW(id);
  if (HINSTANCE instance = InstanceHolding(name, RT_MENU)) {
    if (menu->Attach(LoadMenuW(instance, name))) return TRUE;
  }
  return menu->Attach(LoadMenuW(AfxFindResourceHandle(name, RT_MENU), name));
}

BOOL CKtkResourceManager::LoadToolBar(CToolBar* toolBar, UINT id) {
  if (!toolBar) return FALSE;
  CKtkResourceStateSwitch useInstance;
  return toolBar->LoadToolBar(id);
}

BOOL CKtkResourceManager::LoadBitmap(CBitmap* bitmap, UINT id) {
  if (!bitmap) return FALSE;
  LPCWSTR name = MAKEINTRESOURCEW(id);
  if (HINSTANCE instance = InstanceHolding(name, RT_BITMAP)) {
    if (bitmap->Attach(LoadBitmapW(instance, name))) return TRUE;
  }
  return bitmap->Attach(LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name));
}

HCURSOR CKtkResourceManager::LoadCursor(UINT id) {
  LPCWSTR name = MAKEINTRESOURCEW(id);
  if (HINSTANCE instance = InstanceHolding(name, RT_GROUP_CURSOR)) {
    if (HCURSOR cursor = LoadCursorW(instance, name)) return cursor;
  }
  return LoadCursorW(AfxFindResourceHandle(name, RT_GROUP_CURSOR), name);
}

HGLOBAL CKtkResourceManager::FindDialogTemplate(LPCWSTR name) {
  HINSTANCE module = InstanceHolding(name, RT_DIALOG);
  if (!module) module = AfxFindResourceHandle(name, RT_DIALOG);
  HRSRC found = module ? FindResourceW(module, name, RT_DIALOG) : nullptr;
  return found ? LoadResource(module, found) : nullptr;
}

const DLGTEMPLATE* CKtkResourceManager::LoadDialogTemplate(UINT id) {
  HGLOBAL data = FindDialogTemplate(MAKEINTRESOURCEW(id));
  return data ? static_cast<const DLGTEMPLATE*>(LockResource(data)) : nullptr;
}

BOOL CKtkResourceManager::LoadHTML(CString* out, UINT id) {
  if (!out) return FALSE;
  LPCWSTR name = MAKEINTRESOURCEW(id);
  HINSTANCE module = InstanceHolding(name, RT_HTML);
  if (!module) module = AfxFindResourceHandle(name, RT_HTML);
  HRSRC found = module ? FindResourceW(module, name, RT_HTML) : nullptr;
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* bytes = loaded ? static_cast<LPCSTR>(LockResource(loaded)) : nullptr;
  if (!bytes) return FALSE;
  const DWORD size = SizeofResource(module, found);
  if (size == 0 || size > 0x3FFFFFFF) return FALSE;
  // Room for every byte as one unit, and a terminator.
  WCHAR* text = out->GetBufferSetLength(static_cast<int>(size) + 1);
  std::memset(text, 0, (size + 1) * sizeof(WCHAR));
  const int units = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), text, static_cast<int>(size) + 1);
  out->ReleaseBuffer(units > 0 ? -1 : 0);
  return units > 0 && !out->IsEmpty();
}

HICON CKtkResourceManager::LoadIcon(UINT id, int cx, int cy) { return LoadIcon(MAKEINTRESOURCEW(id), cx, cy); }

HICON CKtkResourceManager::LoadIcon(LPCWSTR name, int cx, int cy) {
  if (HINSTANCE instance = InstanceHolding(name, RT_GROUP_ICON)) {
    if (HICON icon = static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR))) return icon;
  }
  return static_cast<HICON>(
      LoadImageW(AfxFindResourceHandle(name, RT_GROUP_ICON), name, IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

HICON CKtkResourceManager::CreateIconFromResource(HINSTANCE instance, LPCWSTR name, int cx, int cy) {
  HRSRC group = FindResourceW(instance, name, RT_GROUP_ICON);
  HGLOBAL groupData = group ? LoadResource(instance, group) : nullptr;
  auto* directory = groupData ? static_cast<BYTE*>(LockResource(groupData)) : nullptr;
  if (!directory) return nullptr;
  const int id = LookupIconIdFromDirectoryEx(directory, TRUE, cx, cy, 0);
  HRSRC image = id ? FindResourceW(instance, MAKEINTRESOURCEW(id), RT_ICON) : nullptr;
  HGLOBAL imageData = image ? LoadResource(instance, image) : nullptr;
  auto* bits = imageData ? static_cast<BYTE*>(LockResource(imageData)) : nullptr;
  if (!bits) return nullptr;
  return CreateIconFromResourceEx(bits, SizeofResource(instance, image), TRUE, 0x30000, cx, cy, 0);
}

int CKtkResourceManager::ShowMessageBox(UINT id, UINT type) {
  CString text;
  LoadString(&text, id);
  const UINT codePage = GetCodePage();
  if (codePage == 1256 || codePage == 1255) type |= MB_RTLREADING;
  return AfxMessageBox(text, type);
}

// ---- The process-wide manager --------------------------------------------------------------

CKtkResourceManager* GetResourceManager() {
  auto& manager = ProcessManager();
  if (!manager) {
    manager.reset(new (std::nothrow) CKtkResourceManager);
    if (!manager) AfxThrowInvalidArgException();
  }
  return manager.get();
}

BOOL SetResourceManager(CKtkResourceManager* replacement) {
  if (!replacement) return FALSE;
  auto& installed = ProcessManager();
  // Installing the manager already in force is a reload: it stays installed, so it must
  // neither be deleted here nor replaced by itself.
  if (replacement == installed.get()) {
    if (!replacement->IsValid()) return FALSE;
    replacement->ReloadLanguage();
    return TRUE;
  }
  if (!replacement->IsValid()) {
    delete replacement;
    return FALSE;
  }
  replacement->ReloadLanguage();
  installed.reset(replacement);
  return TRUE;
}

BOOL SetResourceFile(LPCWSTR path) {
  const CString file(path);
  CString extension = file.GetLength() < 4 ? CString() : file.Right(3);
  extension.MakeLower();
  if (extension == u"xml") return SetResourceManager(new CKtkResourceManagerXML(file));
  auto* manager = new CKtkResourceManager;
  HINSTANCE module = file.IsEmpty() ? nullptr : ktk::LoadSystemLibrary(file);
  manager->ownModule_ = module;
  manager->SetResourceInstance(module ? module : AfxGetModuleState()->m_hCurrentInstanceHandle);
  return SetResourceManager(manager);
}

// ---- Helpers ---------------------------------------------------------------------------------

CKtkW2A::CKtkW2A(LPCWSTR text) {
  if (!text || !*text) return;
  const UINT codePage = GetResourceManager()->GetCodePage();
  const int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return;
  text_.resize(static_cast<size_t>(n));
  WideCharToMultiByte(codePage, 0, text, -1, &text_[0], n, nullptr, nullptr);
  text_.resize(static_cast<size_t>(n - 1));
}

CKtkA2W::CKtkA2W(LPCSTR text) {
  if (!text || !*text) return;
  const UINT codePage = GetResourceManager()->GetCodePage();
  const int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (n <= 1) return;
  text_.resize(static_cast<size_t>(n));
  MultiByteToWideChar(codePage, 0, text, -1, &text_[0], n);
  text_.resize(static_cast<size_t>(n - 1));
}

CKtkResourceStateSwitch::CKtkResourceStateSwitch() {
  if (!g_resourceInstance) return;
  state_ = AfxGetModuleState();
  previous_ = state_->m_hCurrentResourceHandle;
  state_->m_hCurrentResourceHandle = g_resourceInstance;
}

CKtkResourceStateSwitch::~CKtkResourceStateSwitch() {
  if (state_) state_->m_hCurrentResourceHandle = previous_;
}
