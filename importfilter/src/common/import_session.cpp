#include "common/import_session.h"

#include <basalt/module.h>
#include <basalt/resource.h>
#include <foliant/common/object_table.h>
#include <foliant/common/xml_walk.h>
#include <foliant/filter_library.h>

namespace foliant {

std::u16string LoadText(UINT id) {
  // Room for 260 units and the terminator: the longest text a resource line gives here.
  WCHAR buffer[261] = {};
  tagModuleInfo* module = FoliantModuleInfo();
  Basalt::Util::Resource::_LoadString(module ? module->resourceInstance : nullptr, id, buffer, 261);
  buffer[260] = 0;
  return buffer;
}

IVtlDocument* LastDocument(IVtlDocumentManager* documents, bool receptiveOnly) {
  IVtlDocument* last = nullptr;
  ULONG_PTR position = documents->GetFirstDocumentPosition();
  while (position) {
    IVtlDocument* document = documents->GetNextDocument(&position);
    if (document && (!receptiveOnly || document->AcceptsImport())) last = document;
  }
  return last;
}

std::u16string FolderOf(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, slash + 1));
}

bool HasExtension(LPCWSTR path, std::u16string_view extension) {
  if (!path) return false;
  const std::u16string_view p(path);
  const size_t name = p.find_last_of(u"\\/:");
  const std::u16string_view file = name == std::u16string_view::npos ? p : p.substr(name + 1);
  const size_t dot = file.rfind(u'.');
  return dot != std::u16string_view::npos && EqualsNoCase(file.substr(dot), extension);
}

bool ImportSession::OpenModel(IVtlModel* model) {
  model_.reset(model);
  cursor_.reset(model_ ? model_->GetCursor() : nullptr);
  return model_ && cursor_;
}

void ImportSession::ClearSession() {
  stack_.clear();
  links_.clear();
  customIcons_.clear();
  haveCustomIconGroup_ = false;
  customIconGroup_ = GUID{};
  cursor_.reset();
  model_.reset();
  faces_ = nullptr;
}

bool ImportSession::SetCurrent(IVtlObject* topic) { return cursor_ && topic && cursor_->SetCurrentNode(0, topic, 0); }

bool ImportSession::Attach(ULONG tag, IVtlObject* object) {
  return model_ && object && model_->AttachObject(0, tag, object, 0);
}

bool ImportSession::EnsureCustomIconGroup(LPCWSTR name) {
  if (haveCustomIconGroup_) return true;
  if (!AddObjectTableItem(model_.get(), nullptr, vantorel::kClassTableGroup, GUID{}, kTableKindMarkers, name, nullptr,
                          &customIconGroup_))
    return false;
  haveCustomIconGroup_ = true;
  return true;
}

}  // namespace foliant
