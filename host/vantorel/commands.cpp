#include "commands.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <basalt/error.h>
#include <kx2/PathMap.h>
#include <kx2/ProcessHeap.h>
#include <kx2/Utf.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

#include "plugin.h"

namespace vantorel::cli {
namespace {

std::string Hex(DWORD v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

// A fixed-size text field of the record, read up to its terminator or its end.
template <size_t N>
std::string Field(const WCHAR (&text)[N]) {
  size_t n = 0;
  while (n < N && text[n]) ++n;
  return PrintableUtf8(std::u16string_view(text, n));
}

void Print(const Value& value, bool json) { std::cout << (json ? FormatJson(value) : FormatTree(value)); }

// What the thread's error record says about the last failure, or an empty text.
std::string ErrorRecordText() {
  Basalt::Error::tagKx2ErrorBuf buf{};
  Basalt::Error::BaseError::_StoreError(&buf);
  if (buf.code == 0) return {};
  std::u16string text;
  for (size_t i = 0; i < Basalt::Error::kErrorTextUnits && buf.text[i]; ++i) text += buf.text[i];
  if (buf.kind == Basalt::Error::kErrorKindText && !text.empty()) return PrintableUtf8(text);
  Basalt::Error::tagKx2ErrorDetail detail{};
  if (Basalt::Error::BaseError::_GetErrorDetail(&detail) && detail.description[0]) return Field(detail.description);
  return "error " + Hex(buf.code);
}

// The file as the importers see it: an absolute Windows path (they cut paths at "\").
bool WindowsPathOf(const std::string& file, std::u16string* out) {
  char resolved[PATH_MAX];
  if (!realpath(file.c_str(), resolved)) return false;
  *out = kx2::ToWindowsPath(resolved);
  return true;
}

}  // namespace

bool CheckNothingLeft(const CensusReport& before) {
  const CensusReport after = TakeCensus();
  bool clean = true;
  if (after.liveObjects > before.liveObjects) {
    std::cerr << "vantorel: the plug-in left " << after.liveObjects - before.liveObjects << " host objects alive:";
    for (const auto& kind : after.liveKinds) std::cerr << " " << kind << ";";
    std::cerr << "\n";
    clean = false;
  }
  if (after.liveFileKeys > before.liveFileKeys) {
    std::cerr << "vantorel: the plug-in kept " << after.liveFileKeys - before.liveFileKeys << " file store keys\n";
    clean = false;
  }
  if (after.extraReleases > before.extraReleases) {
    std::cerr << "vantorel: the plug-in released host objects " << after.extraReleases - before.extraReleases
              << " times more than it referenced them\n";
    clean = false;
  }
  return clean;
}

int ListFilters(bool json) {
  ImportPlugin plugin;
  std::string error;
  if (!plugin.Load(&error)) {
    std::cerr << "vantorel: " << error << "\n";
    return 2;
  }
  Value filters = Value::MakeArray();
  CFilterLibraryItem* cursor = plugin.foundFilter();
  while (cursor) {
    FilterInfo info{};
    info.size = sizeof info;
    plugin.iteratorFilter(&cursor, &info);
    Value f = Value::MakeObject();
    f.Set("name", Field(info.name));
    f.Set("id", Hex(info.filterId));
    f.Set("format", Hex(info.formatCode));
    f.Set("flags", static_cast<int64_t>(info.flags));
    f.Set("description", Field(info.description));
    f.Set("extension-stem", Field(info.extensionStem));
    f.Set("text", Field(info.text));
    f.Set("short-text", Field(info.shortText));
    filters.Push(std::move(f));
  }
  Value root = Value::MakeObject();
  root.Set("filters", std::move(filters));
  Print(root, json);
  return 0;
}

int ImportIntoDocument(const ImportRequest& request, ImportPlugin& plugin, std::u16string* path, std::u16string* filter,
                       CensusReport* census) {
  if (!WindowsPathOf(request.file, path)) {
    std::cerr << "vantorel: " << request.file << ": no such file\n";
    return 2;
  }
  std::string error;
  if (!plugin.Load(&error)) {
    std::cerr << "vantorel: " << error << "\n";
    return 2;
  }
  // One empty document that may receive the import, as the host offers it. From here on
  // the host counts what the plug-in takes and gives back.
  VtlGetApplication();
  SetQuarantine(true);
  *census = TakeCensus();
  OpenDocument(true);

  std::vector<std::u16string> names;
  if (!request.filterName.empty())
    names.push_back(kx2::Utf8ToUtf16(request.filterName));
  else
    names = {u"FREEMIND", u"MINDMANAGER", u"XMIND"};
  std::u16string chosen;
  for (const auto& name : names) {
    Basalt::Error::BaseError::_ClearError();
    if (plugin.discoveryFilter(path->c_str(), name.c_str())) {
      chosen = name;
      break;
    }
  }
  if (chosen.empty()) {
    std::string text = ErrorRecordText();
    std::cerr << "vantorel: " << request.file << ": "
              << (text.empty()
                      ? (request.filterName.empty() ? "no filter reads this file"
                                                    : "filter " + request.filterName + " does not read this file")
                      : text)
              << "\n";
    CloseAllDocuments();
    return 1;
  }

  Basalt::Error::BaseError::_ClearError();
  const int result = plugin.importExportEx(1, DocumentManager(), path->c_str(), chosen.c_str(), 0);
  if (result == 0) {
    std::string text = ErrorRecordText();
    std::cerr << "vantorel: " << request.file << ": "
              << (text.empty() ? "filter " + PrintableUtf8(chosen) + ": import returned 0" : text) << "\n";
    CloseAllDocuments();
    return 1;
  }
  *filter = chosen;
  return 0;
}

// The host model, the parsed XML and the description together take about ten times the
// map's file; the process ends after one import, so its heap is laid out for that at once.
void PrepareHeapForMap(const std::string& file) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(file, error);
  if (error) return;
  constexpr uintmax_t kFixed = uintmax_t{8} << 20;
  constexpr uintmax_t kPerFileByte = 12;
  Kx2PrepareHeapForGrowth(static_cast<SIZE_T>(kFixed + bytes * kPerFileByte));
}

int ImportMap(const ImportRequest& request) {
  PrepareHeapForMap(request.file);
  ImportPlugin plugin;
  std::u16string path, chosen;
  CensusReport census;
  if (const int code = ImportIntoDocument(request, plugin, &path, &chosen, &census)) return code;
  DescribeOptions options;
  options.mapFolder = path.substr(0, path.rfind(u'\\') + 1);
  Value head = Value::MakeObject();
  head.Set("filter", PrintableUtf8(chosen));
  WriteDocuments(options, head, request.json, std::cout);
  CloseAllDocuments();
  return CheckNothingLeft(census) ? 0 : 3;
}

}  // namespace vantorel::cli
