// The toolkit's resource manager: where a module's user-visible resources come from (its
// language resource module first, the application's resources second, or an XML
// resource file), and the current UI language with its code page.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include <win/afx.h>
#include <win/dialog.h>
#include <win/types.h>

// One record of the language table.
struct LanguageInfo {
  WORD languageId;
  UINT codePage;              // 0: the system ANSI code page
  LPCWSTR encoding;           // "windows-1252"
  LPCWSTR caption;            // "English (United States)"
  LPCWSTR languageSymbol;     // "LANG_ENGLISH"
  LPCWSTR subLanguageSymbol;  // "SUBLANG_ENGLISH_US"
  UINT charSet;
};

// The 35 languages the toolkit knows, in lookup order; null when the id is not one of them.
const LanguageInfo* FindLanguageInfo(WORD languageId);

class CKtkResourceManager {
 public:
  CKtkResourceManager();
  // Frees the library this manager loaded itself (never the resource instance).
  virtual ~CKtkResourceManager();
  CKtkResourceManager(const CKtkResourceManager&) = delete;
  CKtkResourceManager& operator=(const CKtkResourceManager&) = delete;

  // Lookups: the resource instance first, when it holds the resource, then the
  // application's resource chain (AfxFindResourceHandle). Integer ids are integer
  // resource names. A missing resource is a FALSE or null result, nothing more.

  // LoadString's text; *error (when given) is TRUE when it failed.
  virtual CString GetString(UINT id, BOOL* error = nullptr);
  // From the resource instance's string table, else the application's string (also when
  // the instance's string is empty).
  virtual BOOL LoadString(CString* out, UINT id);
  virtual BOOL LoadMenu(CMenu* menu, UINT id);
  // Under the module-state switch, so that the toolbar comes from the resource instance.
  virtual BOOL LoadToolBar(CToolBar* toolBar, UINT id);
  virtual BOOL LoadBitmap(CBitmap* bitmap, UINT id);
  virtual HCURSOR LoadCursor(UINT id);
  virtual const DLGTEMPLATE* LoadDialogTemplate(UINT id);
  // The RT_DIALOG resource's data handle; null when absent.
  virtual HGLOBAL FindDialogTemplate(LPCWSTR name);
  // An RT_HTML resource read as ANSI text.
  virtual BOOL LoadHTML(CString* out, UINT id);
  virtual HICON LoadIcon(UINT id, int cx, int cy);
  virtual HICON LoadIcon(LPCWSTR name, int cx, int cy);
  // The best-fitting image of an icon group of one module.
  virtual HICON CreateIconFromResource(HINSTANCE instance, LPCWSTR name, int cx, int cy);
  // Frees the library this manager loaded itself; returns FreeLibrary's result, 0 when it
  // held none.
  virtual BOOL Close();
  virtual WORD GetLanguage() const;
  // Takes the language of the resource instance: the first language other than 1033 met
  // while enumerating its resources by type, name and language; 1033 when it holds only
  // 1033; none (so 1033) when it holds no resources. Returns the language found (0 for
  // none).
  virtual WORD ReloadLanguage();

  // Makes the module the first place resources are looked up in (for every manager of the
  // module), then reloads the language; returns what ReloadLanguage returns.
  WORD SetResourceInstance(HINSTANCE instance);
  static HINSTANCE GetResourceInstance();
  // Selects the language record of an id; an id the table lacks selects 1033.
  void SetLanguage(WORD languageId);
  const LanguageInfo* GetLanguageInfo() const { return language_; }
  // The current language's code page (CP_ACP for US English).
  UINT GetCodePage() const;
  BOOL IsValid() const { return valid_; }
  // String id in a message box; right-to-left reading under Arabic and Hebrew.
  int ShowMessageBox(UINT id, UINT type);

 protected:
  BOOL valid_ = TRUE;
  HINSTANCE ownModule_ = nullptr;
  const LanguageInfo* language_ = nullptr;
  int reserved_ = 0;
  BYTE iconTitleCharSet_ = 0;

  friend BOOL SetResourceFile(LPCWSTR path);
};

class CKtkPropExchangeXMLNode;

// Strings, menus and dialog templates from an XML resource file (root element
// "resource"); everything else, and every id the file lacks, from the base kind.
class CKtkResourceManagerXML : public CKtkResourceManager {
 public:
  // Loads the file; valid when it loaded and its root section opened.
  explicit CKtkResourceManagerXML(LPCWSTR path);
  // Over a root section the caller made (this manager takes the caller's reference).
  explicit CKtkResourceManagerXML(CKtkPropExchangeXMLNode* root);
  ~CKtkResourceManagerXML() override;

  // The "value" of the element "string[@id = \"<id>\"]".
  BOOL LoadString(CString* out, UINT id) override;
  // The menu template built from "menu[@id = \"<id>\"]".
  BOOL LoadMenu(CMenu* menu, UINT id) override;
  // The DLGTEMPLATEEX built from "dialog[@id = \"<id>\"]", built once and then taken from
  // the cache until Close.
  const DLGTEMPLATE* LoadDialogTemplate(UINT id) override;
  // Also releases the file and the cached templates, and makes the manager invalid.
  BOOL Close() override;
  // The root's 32-bit value "LANGID" (default 0x409).
  WORD ReloadLanguage() override;

  CKtkPropExchangeXMLNode* GetRoot() const { return root_; }

  // The menu template (MENUITEMTEMPLATE list) of a menu section; empty when the menu has no
  // item.
  static std::vector<BYTE> BuildMenuTemplate(CKtkPropExchangeXMLNode* menu);
  // The DLGTEMPLATEEX block of a dialog section (malloc'd, the caller frees it); null when
  // memory runs out. *size receives its size.
  static BYTE* BuildDialogTemplate(CKtkPropExchangeXMLNode* dialog, size_t* size);

 private:
  CKtkPropExchangeXMLNode* root_ = nullptr;
  std::unordered_map<UINT, BYTE*> dialogs_;
};

// The process-wide manager, made on first use; raises the framework's invalid-argument
// exception when none can be made. Never null.
CKtkResourceManager* GetResourceManager();
// Installs a manager (taking it over): FALSE, and the new one deleted, when it is null or
// not valid; otherwise its language is loaded and it replaces the current one.
BOOL SetResourceManager(CKtkResourceManager* manager);
// Replaces the process-wide manager: an XML kind for a path ending in "xml", else a base
// kind over the library at the path (loaded from the system folder; a resource container
// is loaded as data), or over the application's instance when the path is empty or does
// not load. Returns SetResourceManager's result.
BOOL SetResourceFile(LPCWSTR path);

// UTF-16 text to 8-bit text in the current language's code page, held while it lives.
class CKtkW2A {
 public:
  explicit CKtkW2A(LPCWSTR text);
  operator LPCSTR() const { return text_.c_str(); }  // NOLINT
 private:
  std::string text_;
};

// 8-bit text in the current language's code page to UTF-16, held while it lives.
class CKtkA2W {
 public:
  explicit CKtkA2W(LPCSTR text);
  operator LPCWSTR() const { return text_.c_str(); }  // NOLINT
 private:
  std::u16string text_;
};

// While it lives, the module state's resource handle is the resource instance (nothing
// changes while no resource instance is set).
class CKtkResourceStateSwitch {
 public:
  CKtkResourceStateSwitch();
  ~CKtkResourceStateSwitch();
  CKtkResourceStateSwitch(const CKtkResourceStateSwitch&) = delete;
  CKtkResourceStateSwitch& operator=(const CKtkResourceStateSwitch&) = delete;

 private:
  AFX_MODULE_STATE* state_ = nullptr;
  HINSTANCE previous_ = nullptr;
};
