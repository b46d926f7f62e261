// The toolkit's resource manager: where a module's user-visible resources come from (its
// language resource module first, the application's resources second), and the current
// UI language with its code page.
//
// This part holds the manager's start: the process-wide manager, the resource instance a
// module hands it when it starts, and the language taken from that instance's resources.
#pragma once

#include <win/afx.h>
#include <win/types.h>

// One record of the language table.
struct LanguageInfo {
  WORD languageId;
  UINT codePage;        // 0: the system ANSI code page
  LPCWSTR encoding;     // "windows-1252"
  LPCWSTR caption;      // "English (United States)"
  LPCWSTR languageSymbol;     // "LANG_ENGLISH"
  LPCWSTR subLanguageSymbol;  // "SUBLANG_ENGLISH_US"
  UINT charSet;
};

// The 35 languages the toolkit knows, in lookup order; null when the id is not one of them.
const LanguageInfo* FindLanguageInfo(WORD languageId);

class CKtkResourceManager {
 public:
  CKtkResourceManager();
  virtual ~CKtkResourceManager();
  CKtkResourceManager(const CKtkResourceManager&) = delete;
  CKtkResourceManager& operator=(const CKtkResourceManager&) = delete;

  // Frees the library this manager loaded itself (never the resource instance); returns
  // FreeLibrary's result, 0 when it held none.
  virtual BOOL Close();
  virtual WORD GetLanguage() const;
  // Takes the language of the resource instance: the first language other than 1033 met
  // while enumerating its resources by type, name and language; 1033 when it holds only
  // 1033; none (so 1033) when it holds no resources. Returns the language found (0 for
  // none).
  virtual WORD ReloadLanguage();

  // Makes the module the first place resources are looked up in, then reloads the
  // language; returns what ReloadLanguage returns.
  WORD SetResourceInstance(HINSTANCE instance);
  static HINSTANCE GetResourceInstance();
  // Selects the language record of an id; an id the table lacks selects 1033.
  void SetLanguage(WORD languageId);
  const LanguageInfo* GetLanguageInfo() const { return language_; }
  BOOL IsValid() const { return valid_; }

 protected:
  BOOL valid_ = TRUE;
  HINSTANCE ownModule_ = nullptr;
  const LanguageInfo* language_ = nullptr;
  int reserved_ = 0;
  BYTE iconTitleCharSet_ = 0;
};

// The process-wide manager, made on first use; raises the framework's invalid-argument
// exception when none can be made. Never null.
CKtkResourceManager* GetResourceManager();
// Installs a manager (taking it over): FALSE, and the new one deleted, when it is null or
// not valid; otherwise its language is loaded and it replaces the current one.
BOOL SetResourceManager(CKtkResourceManager* manager);
