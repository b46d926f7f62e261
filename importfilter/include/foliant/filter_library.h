// The plug-in's front door: the self-registering filter items behind its six exports, the
// list they form, and the application object of the plug-in.
#pragma once

#include <foliant/filter_info.h>
#include <foliant/kx2_app.h>
#include <vantorel/model_interfaces.h>

// One filter of the plug-in. Every item puts itself at the front of the process-wide list
// when it is constructed; nothing takes it out.
class CFilterLibraryItem {
 public:
  CFilterLibraryItem();
  CFilterLibraryItem(const CFilterLibraryItem&) = delete;
  CFilterLibraryItem& operator=(const CFilterLibraryItem&) = delete;

  virtual void GetFilterInfo(FilterInfo* info) = 0;
  virtual int Discovery(LPCWSTR path) = 0;
  virtual int Import(ULONG_PTR a, ULONG_PTR b, ULONG_PTR c);
  virtual int Export(ULONG_PTR a, ULONG_PTR b, ULONG_PTR c);
  virtual int ImportEx(IVtlDocumentManager* documents, LPCWSTR path, ULONG_PTR reserved);
  virtual int ExportEx(IVtlDocumentManager* documents, LPCWSTR path, ULONG_PTR reserved);
  virtual int Options(ULONG_PTR a, ULONG_PTR b, ULONG_PTR c, ULONG_PTR d);
  virtual int IsFilter(LPCWSTR name) = 0;

  CFilterLibraryItem* GetNext() const { return m_pNext; }
  // The head of the list (the item constructed last), null before any.
  static CFilterLibraryItem* GetHead();

 protected:
  // Releases the held host interface; items are static objects, never deleted through
  // this base.
  ~CFilterLibraryItem();

  IVtlUnknown* m_pHeld = nullptr;  // a host interface the plug-in never sets
  CFilterLibraryItem* m_pNext;
};

// The filter-list operations of the application object.
class CFilterLibraryApp {
 public:
  CFilterLibraryItem* GetFirstFilterItem() const { return CFilterLibraryItem::GetHead(); }
  CFilterLibraryItem* FindFilterItem(LPCWSTR name) const;
  bool IsFilterItem(const CFilterLibraryItem* item) const;
  // Fills `info` from the item under the cursor and moves the cursor on; a cursor naming
  // no registered item is set to null and `info` left alone.
  void IterateFilterItem(CFilterLibraryItem** cursor, FilterInfo* info) const;
  int Discovery(LPCWSTR path, LPCWSTR name) const;
  int Import(ULONG_PTR a, ULONG_PTR b, LPCWSTR name, ULONG_PTR d) const;
  int Export(ULONG_PTR a, ULONG_PTR b, LPCWSTR name, ULONG_PTR d) const;
  int ImportEx(IVtlDocumentManager* documents, LPCWSTR path, LPCWSTR name, ULONG_PTR d) const;
  int ExportEx(IVtlDocumentManager* documents, LPCWSTR path, LPCWSTR name, ULONG_PTR d) const;
  int Options(ULONG_PTR a, ULONG_PTR b, LPCWSTR name, ULONG_PTR d, ULONG_PTR e) const;
};

class CTqFoliantApp : public CKx2App, public CFilterLibraryApp {
 public:
  BOOL InitInstance() override;
  int ExitInstance() override;
};

// The module descriptor ("Kx2Mod.VtlFoliant.Tq", resources "FoliantRes", module 265).
tagModuleInfo* FoliantModuleInfo();
// The plug-in's own MFC module state, made current by every export.
AFX_MODULE_STATE* FoliantModuleState();
// What loading and unloading the plug-in does (also callable by tests): start runs
// InitInstance under the plug-in's module state; the exports answer 0 while it has not
// started or after it stopped.
BOOL FoliantProcessAttach();
void FoliantProcessDetach();
bool FoliantStarted();
