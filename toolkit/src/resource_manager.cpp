#include <toolkit/ResourceManager.h>

#include <memory>
#include <mutex>
#include <new>

#include <win/module.h>
#include <win/resource.h>

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

}  // namespace

CKtkResourceManager::CKtkResourceManager() : language_(FindLanguageInfo(1033)) {}

CKtkResourceManager::~CKtkResourceManager() {
  if (ownModule_) FreeLibrary(ownModule_);
}

BOOL CKtkResourceManager::Close() {
  if (!ownModule_) return FALSE;
  BOOL result = FreeLibrary(ownModule_);
  ownModule_ = nullptr;
  return result;
}

WORD CKtkResourceManager::GetLanguage() const { return language_ ? language_->languageId : 1033; }

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
  if (!replacement->IsValid()) {
    delete replacement;
    return FALSE;
  }
  replacement->ReloadLanguage();
  ProcessManager().reset(replacement);
  return TRUE;
}
