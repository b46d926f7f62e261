#include "app/application.h"

#include <map>
#include <mutex>
#include <new>

#include <kx2/Module.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>

#include "core/guid_source.h"
#include "xml/xml_factory.h"

namespace vantorel::detail {
namespace {

// The faces the host offers. Fixed, so that an import resolves faces the same way on
// every machine.
const char16_t* const kFaces[] = {u"Arial",           u"Calibri",      u"Cambria", u"Courier New",
                                  u"DejaVu Sans",     u"DejaVu Serif", u"Georgia", u"Tahoma",
                                  u"Times New Roman", u"Trebuchet MS", u"Verdana"};
constexpr size_t kFaceCount = sizeof kFaces / sizeof kFaces[0];
constexpr char16_t kDefaultFace[] = u"Arial";

class VtlFontList : public RefCounted<IVtlFontList> {
 public:
  const char* Kind() const override { return "font list"; }
  ULONG_PTR GetFirstPosition(LONG, LONG) override { return 1; }
  LPCWSTR GetNextName(ULONG_PTR* position, LONG, LONG) override {
    if (!position || *position == 0 || *position > kFaceCount) return nullptr;
    LPCWSTR name = kFaces[*position - 1];
    *position = *position < kFaceCount ? *position + 1 : 0;
    return name;
  }
};

class VtlFontSettings : public RefCounted<IVtlFontSettings> {
 public:
  const char* Kind() const override { return "font settings"; }
  BOOL GetDefaultFaceName(LONG, LPWSTR buffer) override {
    if (!buffer) return FALSE;
    for (size_t i = 0; i < sizeof kDefaultFace / sizeof kDefaultFace[0]; ++i) buffer[i] = kDefaultFace[i];
    return TRUE;
  }
};

// Image entries the host holds, by path.
class VtlResourceCache : public RefCounted<IVtlResourceCache> {
 public:
  const char* Kind() const override { return "resource cache"; }
  ULONG_PTR LookupImage(LPCWSTR path) override {
    if (!path) return 0;
    std::lock_guard<std::mutex> guard(Lock());
    auto it = Images().find(path);
    return it == Images().end() ? 0 : it->second;
  }
  BOOL RestoreImage(LPCWSTR path, ULONG_PTR entry) override {
    if (!path) return FALSE;
    std::lock_guard<std::mutex> guard(Lock());
    if (entry)
      Images()[path] = entry;
    else
      Images().erase(path);
    return TRUE;
  }
  IVtlFontSettings* GetFontSettings() override { return new (std::nothrow) VtlFontSettings; }

 private:
  static std::mutex& Lock() {
    static std::mutex m;
    return m;
  }
  static std::map<std::u16string, ULONG_PTR>& Images() {
    static auto* images = new std::map<std::u16string, ULONG_PTR>;
    return *images;
  }
};

}  // namespace

VtlApplication::VtlApplication() {
  documents_ = Ref<VtlDocumentManager>(new VtlDocumentManager);
  files_ = Ref<VtlFileStore>(new VtlFileStore);
}

HRESULT VtlApplication::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == kIID_IVtlUnknown) {
    *out = static_cast<IVtlUnknown*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

IVtlFontList* VtlApplication::GetFontList() { return new (std::nothrow) VtlFontList; }
IKX2XMLFactory* VtlApplication::GetXMLFactory() { return NewXmlFactory(); }
IVtlResourceCache* VtlApplication::GetResourceCache() { return new (std::nothrow) VtlResourceCache; }

VtlApplication& TheApplication() {
  // Built on first use and never destroyed: modules may call it while the process ends.
  static VtlApplication* app = new VtlApplication;
  return *app;
}

}  // namespace vantorel::detail

KX2_EXPORT IVtlApplication* VtlGetApplication() { return &vantorel::detail::TheApplication(); }

KX2_EXPORT IVtlObject* VtlCreateObject(LONG classId) {
  try {
    return vantorel::detail::NewModelObject(classId);
  } catch (...) {
    return nullptr;
  }
}

// The modules bind the two exports by ordinal.
KX2_EXPORT_ORDINALS({kVtlOrdinalGetApplication, "VtlGetApplication"}, {kVtlOrdinalCreateObject, "VtlCreateObject"});

namespace vantorel {

void CloseAllDocuments() { detail::TheApplication().documents().CloseAll(); }

void ResetHostCounters() {
  detail::ResetGuidCounter();
  detail::TheApplication().documents().ResetNumbering();
  detail::TheApplication().files().ResetNumbering();
}

}  // namespace vantorel
