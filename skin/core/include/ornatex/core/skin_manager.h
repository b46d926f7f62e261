// The centre of window skinning, one per process: the current skin (schema and the reader
// that loaded it), what the skin covers, the colour filters every skin colour passes
// through, the skin classes objects draw with, and the window side: the table of skinned
// windows and their skin objects, the registry of which object serves which window class,
// the thread hook that attaches objects to new windows of the thread that made the
// manager, and the z-order event hook.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include <win/afx.h>
#include <win/types.h>
#include <win/user.h>

#include "ornatex/export.h"
#include "ornatex/schema/color_filter.h"

class CKtkSkinManagerSchema;
class CKtkSkinManagerResourceFile;
class CKtkSkinManagerClass;
class CKtkSkinObject;

// Which skin object serves a window class: one run-time class (or none: such windows get
// no object). Several names may share one entry, each holding one reference.
class ORNATEX_API CKtkSkinObjectClassInfo : public CCmdTarget {
 public:
  explicit CKtkSkinObjectClassInfo(CRuntimeClass* objectClass) : m_pClass(objectClass) {}
  // A new object of the class, or null (no class, or one that cannot make objects).
  virtual CKtkSkinObject* CreateObject();
  CRuntimeClass* m_pClass;
  BOOL m_bOwner = TRUE;
};

// Apply options: what a loaded skin covers.
#define KTK_APPLY_METRICS 0x1  // sizes and fonts; with frames, the z-order repaint
#define KTK_APPLY_FRAMES 0x2   // window frames
#define KTK_APPLY_CONTROLS 0x4
#define KTK_APPLY_MENUS 0x8
#define KTK_APPLY_ALL 0xF

class ORNATEX_API CKtkSkinManager {
 public:
  // Makes the reader (which points back here) and reads the platform's versions.
  CKtkSkinManager();
  virtual ~CKtkSkinManager();
  CKtkSkinManager(const CKtkSkinManager&) = delete;
  CKtkSkinManager& operator=(const CKtkSkinManager&) = delete;

  // The schema class for a visual-style class name: the object's own schema when it has
  // one, else the current one; created on first use; null for a name that is no skin class
  // or without a schema.
  virtual CKtkSkinManagerClass* GetSkinClass(CKtkSkinObject* object, LPCWSTR className);
  // Tells every window and skin object that the skin changed.
  virtual void OnSkinChanged(BOOL wasEnabled, BOOL enabled);
  // Creates, registers and attaches the skin object of one window; the object or null.
  virtual CKtkSkinObject* SetHook(HWND window, LPCWSTR className, const CREATESTRUCTW* cs, BOOL fromCreation);

  // The window's skin object or null.
  CKtkSkinObject* Lookup(HWND window);
  // The same with one reference added for the caller to release.
  CKtkSkinObject* LookupAndAddRef(HWND window);
  // Takes the skin object off one window: detached and released by whoever took it out of
  // the table, so that two threads removing one window detach it once.
  void Remove(HWND window) { Remove(window, FALSE); }
  void Remove(HWND window, BOOL destroying);
  size_t ObjectCount();

  // The registry: a class name (any case) served by a run-time class (null: no object).
  // A name already present changes nothing; an alias of an absent name adds nothing.
  void RegisterObjectClass(LPCWSTR className, CRuntimeClass* objectClass);
  void RegisterObjectAlias(LPCWSTR alias, LPCWSTR className);
  // The entry of a name, or null.
  CKtkSkinObjectClassInfo* FindClassInfo(LPCWSTR className);

  // Appends a filter (the manager owns it).
  void AddColorFilter(std::unique_ptr<CKtkSkinManagerColorFilter> filter);
  void RemoveColorFilters();
  // Runs each filter, in order, over one colour in place.
  void ApplyColorFilters(COLORREF& color) const { m_colorFilters.Apply(color); }
  BOOL HasColorFilters() const { return !m_colorFilters.IsEmpty(); }

  // Opens the package, loads its skin into a new schema, makes it current, refreshes its
  // metrics and enables skinning. 0 (the current skin kept) when the package cannot be
  // opened.
  BOOL LoadSkin(LPCWSTR packagePath, LPCWSTR iniName);
  // Disables skinning; the loaded skin stays for a later enable.
  void RemoveSkin();
  CKtkSkinManagerSchema* GetSchema() const { return m_pSchema; }

  DWORD m_comCtlVersion;  // major in the high word
  BOOL m_isWindows9x;
  BOOL m_enabled = FALSE;
  BOOL m_autoApply = TRUE;
  DWORD m_applyOptions = KTK_APPLY_ALL;
  CKtkSkinManagerSchema* m_pSchema = nullptr;              // one reference held
  CKtkSkinManagerResourceFile* m_pResourceFile = nullptr;  // one reference held
  AFX_MODULE_STATE* m_pModuleState;      // the creating module's: current while objects handle messages
  HWINEVENTHOOK m_hEventHook = nullptr;  // from SetWinEventHook
  // USER32's event hook functions, looked up by name.
  HWINEVENTHOOK (*m_pfnSetWinEventHook)(DWORD, DWORD, HMODULE, WINEVENTPROC, DWORD, DWORD, DWORD) = nullptr;
  BOOL (*m_pfnUnhookWinEvent)(HWINEVENTHOOK) = nullptr;

 private:
  void ReplaceSchema(CKtkSkinManagerSchema* schema);
  void FillRegistry();
  void FreeRegistry();
  void DetachEveryObject();

  CKtkSkinColorFilters m_colorFilters;
  std::mutex m_tableLock;  // guards m_objects; no object is called while it is held
  std::unordered_map<HWND, CKtkSkinObject*> m_objects;
  std::map<std::u16string, CKtkSkinObjectClassInfo*> m_registry;  // by upper-case name
};

// The one manager, made on first call (null when it cannot be made).
ORNATEX_API CKtkSkinManager* KtkSkinManager();
// The manager when it has been made, without making it.
ORNATEX_API CKtkSkinManager* KtkSkinManagerIfMade();

// The frame objects' timer procedure (hot tracking and the z-order repaint, timer 2765),
// which the frame code sets; the event hook starts no timer without one.
ORNATEX_API TIMERPROC& KtkFrameTimerProc();
