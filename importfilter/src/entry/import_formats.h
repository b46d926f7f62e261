// The formats the plug-in imports, one row each. A format is its importer (a folder of its
// own under src/) and its row here: the filter item, its place in the filter list, its
// name and its description are all made from the row.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include <foliant/freemind/freemind_import.h>
#include <foliant/mindmanager/mindmanager_import.h>
#include <foliant/xmind/xmind_import.h>

#include "entry/filter_driver.h"

namespace foliant {

struct ImportFormat {
  const char16_t* filterName;  // the name the host asks for (compared without case)
  FilterDescription description;
  int (*discovery)(LPCWSTR path);
  int (*import)(IVtlDocumentManager* documents, LPCWSTR path);
};

template <class Importer>
constexpr ImportFormat MakeImportFormat(const char16_t* filterName, FilterDescription description) {
  return {filterName, description, &DriveDiscovery<Importer>, &DriveImport<Importer>};
}

// In the order the items are made. Each item goes to the front of the filter list, so the
// list reads from the last row up: FreeMind, MindManager, XMind.
inline constexpr ImportFormat kImportFormats[] = {
    MakeImportFormat<XMindImport>(u"XMIND", {0x10000117, 0x1000010E, 22042, 22043, 22044, 22045, true}),
    MakeImportFormat<MindManagerImport>(u"MINDMANAGER", {0x10000115, 0x1000010C, 22022, 22023, 22024, 22025, false}),
    MakeImportFormat<FreemindImport>(u"FREEMIND", {0x10000116, 0x1000010D, 22032, 22033, 22034, 22035, false}),
};
inline constexpr size_t kImportFormatCount = std::size(kImportFormats);

// The row of a filter name (exact case); the table's size when none has it.
constexpr size_t ImportFormatRow(std::u16string_view filterName) {
  for (size_t row = 0; row < kImportFormatCount; ++row)
    if (filterName == kImportFormats[row].filterName) return row;
  return kImportFormatCount;
}

}  // namespace foliant
