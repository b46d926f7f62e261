// The manager's data side: the current skin, its loading, the colour filters and the
// skin classes.
#include "ornatex/core/skin_manager.h"

#include <atomic>
#include <mutex>
#include <new>

#include "ornatex/core/platform_version.h"
#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"
#include "process_objects.h"
#include "skin_manager_window.h"

CKtkSkinManager::CKtkSkinManager()
    : m_comCtlVersion(KtkGetComCtlVersion()),
      m_isWindows9x(KtkOsVersion().dwPlatformId == VER_PLATFORM_WIN32_WINDOWS),
      m_pModuleState(AfxGetModuleState()) {
  m_pResourceFile = new CKtkSkinManagerResourceFile(this);
  FillRegistry();
  ornatex::StartManagerWindowSide(*this);
}

CKtkSkinManager::~CKtkSkinManager() {
  if (m_pResourceFile) m_pResourceFile->Close();
  m_colorFilters.RemoveAll();
  ReplaceSchema(nullptr);
  if (m_pResourceFile) m_pResourceFile->InternalRelease();
  m_pResourceFile = nullptr;
  FreeRegistry();
  DetachEveryObject();
  ornatex::StopManagerWindowSide(*this);
}

void CKtkSkinManager::AddColorFilter(std::unique_ptr<CKtkSkinManagerColorFilter> filter) {
  if (filter) m_colorFilters.Add(std::move(filter));
}

void CKtkSkinManager::RemoveColorFilters() { m_colorFilters.RemoveAll(); }

CKtkSkinManagerClass* CKtkSkinManager::GetSkinClass(CKtkSkinObject* object, LPCWSTR className) {
  CKtkSkinManagerSchema* schema = ornatex::OwnSchemaOf(object);
  if (!schema) schema = m_pSchema;
  return schema ? KtkSchemaClass(*schema, className) : nullptr;
}

void CKtkSkinManager::ReplaceSchema(CKtkSkinManagerSchema* schema) {
  CKtkSkinManagerSchema* old = m_pSchema;
  m_pSchema = schema;
  if (old) old->InternalRelease();
}

BOOL CKtkSkinManager::LoadSkin(LPCWSTR packagePath, LPCWSTR iniName) {
  // A reader of its own, so that a package that fails leaves the current skin's reader
  // (whose images the current schema still loads) as it was.
  auto* reader = new (std::nothrow) CKtkSkinManagerResourceFile(this);
  if (!reader) return 0;
  CKtkSkinManagerSchema* schema = nullptr;
  if (reader->Open(packagePath, iniName)) schema = KtkLoadSkinSchema(*reader);
  if (!schema) {
    reader->InternalRelease();
    return 0;
  }
  CKtkSkinManagerResourceFile* oldReader = m_pResourceFile;
  m_pResourceFile = reader;  // the schema holds its own reference to it
  ReplaceSchema(schema);
  if (oldReader) {
    oldReader->Close();
    oldReader->InternalRelease();
  }
  m_pSchema->ReloadMetrics();
  const BOOL wasEnabled = m_enabled;
  m_enabled = TRUE;
  OnSkinChanged(wasEnabled, TRUE);
  return 1;
}

void CKtkSkinManager::RemoveSkin() {
  if (!m_enabled) return;
  m_enabled = FALSE;
  OnSkinChanged(TRUE, FALSE);
}

// ---- The one manager -----------------------------------------------------------------------

namespace {

std::mutex& ManagerLock() {
  static auto* lock = new std::mutex;  // outlives every user; never destroyed
  return *lock;
}

// Read without the lock on every skinned window's message; made and freed under it.
std::atomic<CKtkSkinManager*>& ManagerSlot() {
  static std::atomic<CKtkSkinManager*> manager{nullptr};
  return manager;
}

}  // namespace

CKtkSkinManager* KtkSkinManager() {
  if (CKtkSkinManager* made = ManagerSlot().load(std::memory_order_acquire)) return made;
  std::lock_guard<std::mutex> hold(ManagerLock());
  auto& slot = ManagerSlot();
  if (!slot.load()) {
    try {
      slot.store(new CKtkSkinManager, std::memory_order_release);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  return slot.load();
}

CKtkSkinManager* KtkSkinManagerIfMade() { return ManagerSlot().load(std::memory_order_acquire); }

namespace ornatex {

void ReleaseSkinManager() {
  CKtkSkinManager* manager = nullptr;
  {
    std::lock_guard<std::mutex> hold(ManagerLock());
    manager = ManagerSlot().exchange(nullptr);
  }
  delete manager;
}

}  // namespace ornatex
