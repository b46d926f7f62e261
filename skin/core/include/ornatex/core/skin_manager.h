// The centre of window skinning, one per process: the current skin (schema and the reader
// that loaded it), what the skin covers, the colour filters every skin colour passes
// through, and the skin classes objects draw with.
#pragma once

#include <memory>

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/export.h"
#include "ornatex/schema/color_filter.h"

class CKtkSkinManagerSchema;
class CKtkSkinManagerResourceFile;
class CKtkSkinManagerClass;
class CKtkSkinObject;

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

 private:
  void ReplaceSchema(CKtkSkinManagerSchema* schema);

  CKtkSkinColorFilters m_colorFilters;
};

// The one manager, made on first call (null when it cannot be made).
ORNATEX_API CKtkSkinManager* KtkSkinManager();
// The manager when it has been made, without making it.
ORNATEX_API CKtkSkinManager* KtkSkinManagerIfMade();
