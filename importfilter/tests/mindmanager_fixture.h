// MindManager packages made for the tests by Python's zipfile, written the way MindManager
// writes them (directory entries, entry and archive comments), and the import of one into a
// fresh host document, described by the host.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <foliant/import_limits.h>
#include <foliant/mindmanager/mindmanager_import.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>
#include <vantorel/report_value.h>

#include "zip_fixture.h"

namespace mmtest {

constexpr const char* kNamespaces = R"( xmlns:ap="http://schemas.mindjet.com/MindManager/Application/2003")"
                                    R"( xmlns:cor="http://schemas.mindjet.com/MindManager/Core/2003")"
                                    R"( xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance")";

// A "Document.xml": the central topic's inner XML, what follows "ap:OneTopic", and the
// marker sets; a style group and an (empty unless given) marker-set group are written unless
// left out.
inline std::string MapXml(const std::string& central, const std::string& after = "", const std::string& markers = "",
                          bool withStyle = true, bool withMarkers = true) {
  std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ap:Map OId=\"map\"") + kNamespaces + ">";
  xml += "<ap:OneTopic><ap:Topic OId=\"root\">" + central + "</ap:Topic></ap:OneTopic>" + after;
  if (withStyle) xml += "<ap:StyleGroup/>";
  if (withMarkers) xml += "<ap:MarkersSetGroup>" + markers + "</ap:MarkersSetGroup>";
  return xml + "</ap:Map>";
}

// One package: its file name and entries (name as stored, with "/"; content). The four
// schema entries are added unless `schemas` is false.
struct Package {
  std::string file;
  std::vector<std::pair<std::string, std::string>> entries;
  bool schemas = true;
};

inline Package MapPackage(const std::string& file, const std::string& document) {
  return Package{file, {{"Document.xml", document}}, true};
}

// Writes every package into the folder in one Python run.
inline void MakePackages(const ziptest::TempFolder& dir, const std::vector<Package>& packages) {
  std::ofstream manifest(dir / "manifest.txt", std::ios::binary);
  int n = 0;
  for (const Package& p : packages) {
    std::vector<std::pair<std::string, std::string>> entries = p.entries;
    if (p.schemas)
      for (const char* name : {"MindManagerDelta", "MindManagerApplication", "MindManagerCore", "MindManagerPrimitive"})
        entries.push_back({std::string("xsd/") + name + ".xsd", "<?xml version=\"1.0\"?><schema/>"});
    for (const auto& [name, content] : entries) {
      const std::string source = "content" + std::to_string(n++);
      std::ofstream(dir / source, std::ios::binary) << content;
      manifest << p.file << '\t' << name << '\t' << source << '\n';
    }
  }
  manifest.close();
  ziptest::Python(dir, R"(import sys, os, zipfile
folder = sys.argv[1]
packages = {}
for line in open(os.path.join(folder, 'manifest.txt'), encoding='utf-8'):
    file, name, source = line.rstrip('\n').split('\t')
    packages.setdefault(file, []).append((name, source))
for file, entries in packages.items():
    with zipfile.ZipFile(os.path.join(folder, file), 'w', zipfile.ZIP_DEFLATED) as z:
        z.comment = b'9.1.157'
        for folder_entry in ('xsd/', 'bin/'):
            z.writestr(zipfile.ZipInfo(folder_entry), b'')
        for name, source in entries:
            info = zipfile.ZipInfo(name)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.comment = b'mmarch://' + name.encode()
            z.writestr(info, open(os.path.join(folder, source), 'rb').read())
)");
}

struct Imported {
  int result = 0;
  vantorel::Value description;
};

// Opens `receptive` documents that may receive an import and imports the package.
inline Imported ImportPackage(const std::filesystem::path& path, int receptive = 1) {
  for (int i = 0; i < receptive; ++i) vantorel::OpenDocument(true);
  const std::u16string windows = ziptest::WinPath(path);
  Imported out;
  MindManagerImport importer;
  if (importer.Init() != 1) return out;
  out.result = importer.Import(vantorel::DocumentManager(), windows.c_str());
  importer.Close();
  vantorel::DescribeOptions options;
  options.mapFolder = windows.substr(0, windows.rfind(u'\\') + 1);
  out.description = vantorel::DescribeDocuments(options);
  return out;
}

// ---- Reading the description --------------------------------------------------------------

inline const vantorel::Value* Document(const vantorel::Value& d, size_t i = 0) {
  const vantorel::Value* docs = d.Find("documents");
  return docs && i < docs->items().size() ? &docs->items()[i] : nullptr;
}

inline const vantorel::Value* CentralTopic(const vantorel::Value& d, size_t document = 0) {
  const vantorel::Value* doc = Document(d, document);
  return doc ? doc->Find("topic") : nullptr;
}

inline std::vector<const vantorel::Value*> Children(const vantorel::Value* topic) {
  std::vector<const vantorel::Value*> out;
  if (const vantorel::Value* c = topic ? topic->Find("children") : nullptr)
    for (const auto& v : c->items()) out.push_back(&v);
  return out;
}

inline std::vector<const vantorel::Value*> Attached(const vantorel::Value* topic, const std::string& role) {
  std::vector<const vantorel::Value*> out;
  if (const vantorel::Value* a = topic ? topic->Find("attached") : nullptr)
    for (const auto& v : a->items())
      if (const vantorel::Value* r = v.Find("role"); r && r->text() == role) out.push_back(&v);
  return out;
}

// A member reached by a path of keys ("format/line-shape"); null when one is missing.
inline const vantorel::Value* At(const vantorel::Value* v, const std::string& path) {
  size_t start = 0;
  while (v && start <= path.size()) {
    const size_t slash = path.find('/', start);
    const std::string key = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    v = v->Find(key);
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return v;
}

inline int64_t IntAt(const vantorel::Value* v, const std::string& path) {
  const vantorel::Value* found = At(v, path);
  return found ? found->integer() : INT64_MIN;
}

inline std::string TextAt(const vantorel::Value* v, const std::string& path) {
  const vantorel::Value* found = At(v, path);
  return found ? found->text() : "<missing>";
}

inline int CountTopics(const vantorel::Value* topic) {
  if (!topic) return 0;
  int n = 1;
  for (const vantorel::Value* c : Children(topic)) n += CountTopics(c);
  return n;
}

}  // namespace mmtest
