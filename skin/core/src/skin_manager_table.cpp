// The manager's table of skinned windows and its class registry: which object a new
// window gets (SetHook), finding it again (Lookup) and taking it off (Remove).
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <kx2/MemoryProbe.h>
#include <win/dialog.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"
#include "ornatex/draw/draw_helpers.h"

namespace {

constexpr UINT kGetTabControl = WM_USER + 116;  // PSM_GETTABCONTROL
constexpr uint32_t kWizardStyles = 0x1002020;   // PSH_WIZARD, PSH_WIZARD97 (both), PSH_AEROWIZARD
constexpr const char16_t* kDialogClass = u"#32770";

std::u16string Upper(const char16_t* name) {
  std::u16string s = name ? name : u"";
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return s;
}

bool EqualsNoCase(const std::u16string& a, const char16_t* b) { return a == Upper(b); }

bool Contains(const std::u16string& text, const char16_t* part) { return text.find(part) != std::u16string::npos; }

// The registry's rows: a class name and the skin object class that serves it, named so
// that a row counts only once its class is part of the library.
struct Row {
  const char16_t* name;
  const char* objectClass;  // null: an alias of `aliasOf`
  const char16_t* aliasOf;
};
constexpr Row kRows[] = {
    {u"ComboBox", "CKtkSkinObjectComboBox", nullptr},
    {u"Edit", "CKtkSkinObjectEdit", nullptr},
    {u"SysIPAddress32", nullptr, u"Edit"},
    {u"msctls_hotkey32", nullptr, u"Edit"},
    {u"SysDateTimePick32", "CKtkSkinObjectDateTime", nullptr},
    {u"SysMonthCal32", "CKtkSkinObjectMonthCal", nullptr},
    {u"ListBox", "CKtkSkinObjectListBox", nullptr},
    {u"ComboLBox", nullptr, u"ListBox"},
    {u"ScrollBar", "CKtkSkinObjectScrollBar", nullptr},
    {u"ATL:ScrollBar", nullptr, u"ScrollBar"},
    {u"SysListView32", "CKtkSkinObjectListView", nullptr},
    {u"SysHeader32", "CKtkSkinObjectHeader", nullptr},
    {u"msctls_statusbar32", "CKtkSkinObjectStatusBar", nullptr},
    {u"SysTreeView32", "CKtkSkinObjectTreeView", nullptr},
    {u"msctls_progress32", "CKtkSkinObjectProgress", nullptr},
    {u"msctls_trackbar32", "CKtkSkinObjectTrackBar", nullptr},
    {u"SysTabControl32", "CKtkSkinObjectTab", nullptr},
    {u"MDIClient", "CKtkSkinObjectMDIClient", nullptr},
    {u"msctls_updown32", "CKtkSkinObjectSpin", nullptr},
    {u"ToolbarWindow32", "CKtkSkinObjectToolBar", nullptr},
    {u"Button", "CKtkSkinObjectButton", nullptr},
    {u"TButton", nullptr, u"Button"},
    {u"TRadioButton", nullptr, u"Button"},
    {u"TCheckBox", nullptr, u"Button"},
    {u"TGroupBox", nullptr, u"Button"},
    {u"TEdit", nullptr, u"Edit"},
    {u"TMemo", nullptr, u"Edit"},
    {u"TRichEditViewer", nullptr, u"Edit"},
    {u"TNewProgressBar", nullptr, u"msctls_progress32"},
    {u"TProgressBar", nullptr, u"msctls_progress32"},
    {u"TComboBox", nullptr, u"ComboBox"},
    {u"TScrollBar", nullptr, u"ScrollBar"},
    {u"TTrackBar", nullptr, u"msctls_trackbar32"},
    {u"TTabControl", nullptr, u"SysTabControl32"},
    {u"TTreeView", nullptr, u"SysTreeView32"},
    {u"TListView", nullptr, u"SysListView32"},
    {u"TListBox", nullptr, u"ListBox"},
};
// Windows that never get an object: menus and pagers.
constexpr const char16_t* kNoObject[] = {u"#32768", u"KtkSkinManagerMenu", u"SysPager"};

CRuntimeClass* SkinObjectClass(const char* name) {
  CRuntimeClass* found = CRuntimeClass::FromName(name);
  return found && found->IsDerivedFrom(RUNTIME_CLASS(CKtkSkinObject)) ? found : nullptr;
}

CKtkSkinObject* NewApplicationFrame() {
  CKtkSkinObjectClassInfo frame(SkinObjectClass("CKtkSkinObjectApplicationFrame"));
  return frame.CreateObject();
}

// The record a property sheet keeps in its DWLP_USER slot begins with the sheet's window
// (widened to a handle here), a 32-bit field, then the sheet's flags.
struct SheetRecordHead {
  HWND sheet;
  uint32_t second;
  uint32_t flags;
};

}  // namespace

// ---- The registry --------------------------------------------------------------------------

CKtkSkinObject* CKtkSkinObjectClassInfo::CreateObject() {
  if (!m_pClass || !m_pClass->IsDerivedFrom(RUNTIME_CLASS(CKtkSkinObject))) return nullptr;
  try {
    return static_cast<CKtkSkinObject*>(m_pClass->CreateObject());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void CKtkSkinManager::RegisterObjectClass(LPCWSTR className, CRuntimeClass* objectClass) {
  const std::u16string name = Upper(className);
  if (name.empty() || m_registry.count(name)) return;
  m_registry.emplace(name, new CKtkSkinObjectClassInfo(objectClass));
}

void CKtkSkinManager::RegisterObjectAlias(LPCWSTR alias, LPCWSTR className) {
  const std::u16string name = Upper(alias);
  auto it = m_registry.find(Upper(className));
  if (name.empty() || it == m_registry.end() || m_registry.count(name)) return;
  it->second->InternalAddRef();
  m_registry.emplace(name, it->second);
}

CKtkSkinObjectClassInfo* CKtkSkinManager::FindClassInfo(LPCWSTR className) {
  auto it = m_registry.find(Upper(className));
  return it == m_registry.end() ? nullptr : it->second;
}

void CKtkSkinManager::FillRegistry() {
  for (const Row& row : kRows) {
    if (!row.objectClass) {
      RegisterObjectAlias(row.name, row.aliasOf);
    } else if (CRuntimeClass* objectClass = SkinObjectClass(row.objectClass)) {
      RegisterObjectClass(row.name, objectClass);
    }
  }
  for (const char16_t* name : kNoObject) RegisterObjectClass(name, nullptr);
}

void CKtkSkinManager::FreeRegistry() {
  for (auto& entry : m_registry) entry.second->InternalRelease();
  m_registry.clear();
}

// ---- The table -----------------------------------------------------------------------------

CKtkSkinObject* CKtkSkinManager::Lookup(HWND window) {
  std::lock_guard<std::mutex> hold(m_tableLock);
  auto it = m_objects.find(window);
  return it == m_objects.end() ? nullptr : it->second;
}

CKtkSkinObject* CKtkSkinManager::LookupAndAddRef(HWND window) {
  std::lock_guard<std::mutex> hold(m_tableLock);
  auto it = m_objects.find(window);
  if (it == m_objects.end()) return nullptr;
  it->second->InternalAddRef();
  return it->second;
}

size_t CKtkSkinManager::ObjectCount() {
  std::lock_guard<std::mutex> hold(m_tableLock);
  return m_objects.size();
}

void CKtkSkinManager::Remove(HWND window, BOOL destroying) {
  CKtkSkinObject* object = nullptr;
  {
    // Found and taken out in one step: of two threads removing one window, only the one
    // that took the entry detaches and releases the object.
    std::lock_guard<std::mutex> hold(m_tableLock);
    auto it = m_objects.find(window);
    if (it == m_objects.end()) return;
    object = it->second;
    m_objects.erase(it);
  }
  object->Detach(destroying);
  object->InternalRelease();
}

void CKtkSkinManager::DetachEveryObject() {
  std::unordered_map<HWND, CKtkSkinObject*> objects;
  {
    std::lock_guard<std::mutex> hold(m_tableLock);
    objects.swap(m_objects);
  }
  for (auto& [window, object] : objects) {
    object->Detach(FALSE);
    object->InternalRelease();
  }
}

// ---- Attaching new windows -----------------------------------------------------------------

namespace {

bool IsPropertyPage(CKtkSkinManager& manager, const CREATESTRUCTW* cs) {
  if (!cs || !cs->hwndParent) return false;
  const auto style = static_cast<DWORD>(cs->style);
  if ((style & (DS_CONTROL | WS_CHILD)) != static_cast<DWORD>(DS_CONTROL | WS_CHILD)) return false;
  HWND parent = cs->hwndParent;
  if (CKtkSkinObject* parentObject = manager.Lookup(parent))
    if (parentObject->m_nDialogKind == KTK_DIALOG_KIND_PAGE) return true;
  const auto tab = reinterpret_cast<HWND>(SendMessageW(parent, kGetTabControl, 0, 0));
  if (!tab || !IsWindow(tab)) return false;
  // The slot is the parent's own business: a foreign dialog may keep any number there, so
  // the record is read through the memory probe.
  const auto record = reinterpret_cast<const void*>(GetWindowLongPtrW(parent, DWLP_USER));
  SheetRecordHead head{};
  if (!record || !kx2::ProbeValue(record, &head)) return false;
  if (head.sheet != parent) return false;
  return (head.flags & kWizardStyles) == 0;
}

}  // namespace

CKtkSkinObject* CKtkSkinManager::SetHook(HWND window, LPCWSTR className, const CREATESTRUCTW* cs, BOOL fromCreation) {
  const std::u16string name = className ? className : u"";
  if (name == u"tooltips_class32") return nullptr;  // this one name counts its case
  for (const char16_t* skipped : {u"IME", u"CicMarshalWndClass", u"MSCTFIME UI", u"WorkerW", u"SHELLDLL_DefView"})
    if (EqualsNoCase(Upper(name.c_str()), skipped)) return nullptr;

  CKtkSkinObject* object = nullptr;
  bool windowsForms = false;
  if (Contains(name, u"WindowsForms")) {
    windowsForms = true;
    const size_t first = name.find(u'.');
    const size_t second = first == std::u16string::npos ? first : name.find(u'.', first + 1);
    if (second != std::u16string::npos && second > first + 1) {
      const std::u16string inner = name.substr(first + 1, second - first - 1);
      if (CKtkSkinObjectClassInfo* info = FindClassInfo(inner.c_str())) object = info->CreateObject();
    }
    if (!object) object = NewApplicationFrame();
  } else if (CKtkSkinObjectClassInfo* info = FindClassInfo(name.c_str())) {
    object = info->CreateObject();
  } else if (!Contains(name, u"Internet Explorer") && !Contains(name, u"OleMainThread")) {
    object = NewApplicationFrame();
  }
  if (!object) return nullptr;
  object->m_bWindowsForms = windowsForms;
  if (name == kDialogClass)
    object->m_nDialogKind = IsPropertyPage(*this, cs) ? KTK_DIALOG_KIND_PAGE : KTK_DIALOG_KIND_DIALOG;

  object->m_pManager = this;
  {
    std::lock_guard<std::mutex> hold(m_tableLock);
    auto [it, added] = m_objects.emplace(window, object);
    if (!added) {  // another thread attached one meanwhile: that one stays
      object->InternalRelease();
      return it->second;
    }
  }
  object->Attach(window, cs, fromCreation);
  return object;
}
