// The filter items: one class template over the table of formats, one item per row.
#pragma once

#include <cstddef>
#include <utility>

#include <foliant/filter_library.h>

#include "entry/import_formats.h"

namespace foliant {

// The resources the filter texts come from: the plug-in's language module.
HINSTANCE FoliantResources();
// 1 when `name` is `filterName` without regard to case (at most 260 units compared).
int IsFilterNamed(LPCWSTR name, LPCWSTR filterName);

}  // namespace foliant

// The filter item of the format in row `Row`: it drives a fresh importer per call through
// the row's functions and describes itself with the row's numbers and texts.
template <size_t Row>
class CImportFormatItem : public CFilterLibraryItem {
  static_assert(Row < foliant::kImportFormatCount, "no such row in the table of formats");

 public:
  void GetFilterInfo(FilterInfo* info) override {
    foliant::FillFilterInfo(info, Format().description, foliant::FoliantResources());
  }
  int Discovery(LPCWSTR path) override { return Format().discovery(path); }
  int ImportEx(IVtlDocumentManager* documents, LPCWSTR path, ULONG_PTR) override {
    return Format().import(documents, path);
  }
  int IsFilter(LPCWSTR name) override { return foliant::IsFilterNamed(name, Format().filterName); }

 private:
  static const foliant::ImportFormat& Format() { return foliant::kImportFormats[Row]; }
};

// The item kinds by name.
using CXMindItem = CImportFormatItem<foliant::ImportFormatRow(u"XMIND")>;
using CMindManagerItem = CImportFormatItem<foliant::ImportFormatRow(u"MINDMANAGER")>;
using CFreeMindItem = CImportFormatItem<foliant::ImportFormatRow(u"FREEMIND")>;

// One item of every row, made in row order (base classes are constructed in the order they
// are listed).
template <class Rows>
struct ImportFormatItems;
template <size_t... Rows>
struct ImportFormatItems<std::index_sequence<Rows...>> : CImportFormatItem<Rows>... {};
using AllImportFormatItems = ImportFormatItems<std::make_index_sequence<foliant::kImportFormatCount>>;
