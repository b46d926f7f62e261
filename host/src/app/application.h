// The host's application object and its services.
#pragma once

#include <vantorel/app_interfaces.h>

#include "app/file_store.h"
#include "model/document.h"

namespace vantorel::detail {

class VtlApplication;

// The one application object of the process.
VtlApplication& TheApplication();

class VtlApplication : public IVtlApplication {
 public:
  VtlApplication();

  // Not counted: the modules never release it.
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }

  IVtlDocumentManager* GetDocumentManager() override { return ShareOut(documents_); }
  IVtlFileStore* GetFileStore() override { return ShareOut(files_); }
  IVtlFontList* GetFontList() override;
  IKX2XMLFactory* GetXMLFactory() override;
  IVtlResourceCache* GetResourceCache() override;
  LONG RoomsTakeNotices() override;

  VtlDocumentManager& documents() { return *documents_; }
  VtlFileStore& files() { return *files_; }

 private:
  Ref<VtlDocumentManager> documents_;
  Ref<VtlFileStore> files_;
};

}  // namespace vantorel::detail
