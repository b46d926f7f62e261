#include "entry/filter_items.h"

#include <basalt/module.h>
#include <basalt/resource.h>
#include <basalt/string_util.h>

namespace {

CFilterLibraryItem* g_head = nullptr;

// Copies a loaded text into a field, cut to the field with its terminator.
template <size_t N>
void CopyField(WCHAR (&field)[N], const WCHAR* text) {
  size_t i = 0;
  for (; i + 1 < N && text[i]; ++i) field[i] = text[i];
  for (; i < N; ++i) field[i] = 0;
}

}  // namespace

namespace foliant {

HINSTANCE FoliantResources() { return FoliantModuleInfo()->resourceInstance; }

int IsFilterNamed(LPCWSTR name, LPCWSTR filterName) {
  return name && Basalt::Util::StringUtil::Ustrnicmp(name, filterName, 260) == 0 ? 1 : 0;
}

void FillFilterInfo(FilterInfo* info, const FilterDescription& d, HINSTANCE resources) {
  if (!info || info->size < sizeof(FilterInfo)) return;
  info->filterId = d.filterId;
  info->formatCode = d.formatCode;
  info->formatCode2 = d.formatCode;
  if (!d.keepFlags) info->flags = 0;
  info->version = 5;
  WCHAR buffer[261];
  Basalt::Util::Resource::_LoadString(resources, d.nameId, buffer, 260);
  CopyField(info->name, buffer);
  Basalt::Util::Resource::_LoadString(resources, d.descriptionId, buffer, 256);
  CopyField(info->description, buffer);
  CopyField(info->extensionStem, u"ETq");
  Basalt::Util::Resource::_LoadString(resources, d.textId, buffer, 256);
  CopyField(info->text, buffer);
  Basalt::Util::Resource::_LoadString(resources, d.shortTextId, buffer, 256);
  CopyField(info->shortText, buffer);
}

}  // namespace foliant

CFilterLibraryItem::CFilterLibraryItem() : m_pNext(g_head) { g_head = this; }

CFilterLibraryItem::~CFilterLibraryItem() {
  if (m_pHeld) m_pHeld->Release();
}

CFilterLibraryItem* CFilterLibraryItem::GetHead() { return g_head; }

int CFilterLibraryItem::Import(ULONG_PTR, ULONG_PTR, ULONG_PTR) { return 0; }
int CFilterLibraryItem::Export(ULONG_PTR, ULONG_PTR, ULONG_PTR) { return 0; }
int CFilterLibraryItem::ImportEx(IVtlDocumentManager*, LPCWSTR, ULONG_PTR) { return 0; }
int CFilterLibraryItem::ExportEx(IVtlDocumentManager*, LPCWSTR, ULONG_PTR) { return 0; }
int CFilterLibraryItem::Options(ULONG_PTR, ULONG_PTR, ULONG_PTR, ULONG_PTR) { return 0; }

// ---- The application's list operations ----------------------------------------------------

CFilterLibraryItem* CFilterLibraryApp::FindFilterItem(LPCWSTR name) const {
  for (CFilterLibraryItem* item = GetFirstFilterItem(); item; item = item->GetNext())
    if (item->IsFilter(name)) return item;
  return nullptr;
}

bool CFilterLibraryApp::IsFilterItem(const CFilterLibraryItem* wanted) const {
  for (CFilterLibraryItem* item = GetFirstFilterItem(); item; item = item->GetNext())
    if (item == wanted) return true;
  return false;
}

void CFilterLibraryApp::IterateFilterItem(CFilterLibraryItem** cursor, FilterInfo* info) const {
  if (!cursor || !*cursor || !info) return;
  if (!IsFilterItem(*cursor)) {
    *cursor = nullptr;
    return;
  }
  (*cursor)->GetFilterInfo(info);
  *cursor = (*cursor)->GetNext();
}

int CFilterLibraryApp::Discovery(LPCWSTR path, LPCWSTR name) const {
  CFilterLibraryItem* item = FindFilterItem(name);
  return item ? item->Discovery(path) : 0;
}

int CFilterLibraryApp::Import(ULONG_PTR a, ULONG_PTR b, LPCWSTR name, ULONG_PTR d) const {
  CFilterLibraryItem* item = FindFilterItem(name);
  return item ? item->Import(a, b, d) : 0;
}

int CFilterLibraryApp::Export(ULONG_PTR a, ULONG_PTR b, LPCWSTR name, ULONG_PTR d) const {
  CFilterLibraryItem* item = FindFilterItem(name);
  return item ? item->Export(a, b, d) : 0;
}

int CFilterLibraryApp::ImportEx(IVtlDocumentManager* documents, LPCWSTR path, LPCWSTR name, ULONG_PTR d) const {
  CFilterLibraryItem* item = FindFilterItem(name);
  return item ? item->ImportEx(documents, path, d) : 0;
}

int CFilterLibraryApp::ExportEx(IVtlDocumentManager* documents, LPCWSTR path, LPCWSTR name, ULONG_PTR d) const {
  CFilterLibraryItem* item = FindFilterItem(name);
  return item ? item->ExportEx(documents, path, d) : 0;
}

int CFilterLibraryApp::Options(ULONG_PTR a, ULONG_PTR b, LPCWSTR name, ULONG_PTR d, ULONG_PTR e) const {
  CFilterLibraryItem* item = FindFilterItem(name);
  return item ? item->Options(a, b, d, e) : 0;
}
