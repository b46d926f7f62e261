// Shared by the XMind importer tests: a fresh folder for small packages and for the
// importer's temporary files, an import of one package into the host's documents, and
// reading what the host then holds.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <basalt/error.h>
#include <basalt/path_util.h>
#include <foliant/import_limits.h>
#include <foliant/xmind/xmind_import.h>
#include <kx2/PathMap.h>
#include <vantorel/host_api.h>
#include <vantorel/testing/leak_check.h>

#include "import_description.h"

#include "xmind_package_writer.h"

namespace xmind_test {

using vantorel::Value;

class XMindTest : public vantorel::testing::HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    std::string pattern = (std::filesystem::temp_directory_path() / "xmind_test_XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    folder_ = pattern;
    std::filesystem::create_directories(folder_ / "temp");
    // The importer's temporary files go below this test's own folder.
    Basalt::Util::PathUtil::_RegisterPath(u"Temp", kx2::ToWindowsPath((folder_ / "temp").string()).c_str());
  }
  void TearDown() override {
    HostLeakCheck::TearDown();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  // Writes a package into the test's folder; its Windows path.
  std::u16string Package(const std::string& name, const xmindtest::Entries& entries) {
    xmindtest::WritePackage((folder_ / name).string(), entries);
    return kx2::ToWindowsPath((folder_ / name).string());
  }
  // A package of one content.xml (sheets) and, when given, one styles.xml (styles).
  std::u16string Map(const std::string& sheets, const std::string& styles = "") {
    xmindtest::Entries entries = {{"content.xml", xmindtest::Content(sheets)}};
    if (!styles.empty()) entries.push_back({"styles.xml", xmindtest::Styles(styles)});
    return Package("map.xmind", entries);
  }

  // Init, Import into the host's documents, Cleanup: the import's result (-1 when Init fails).
  static int ImportPath(const std::u16string& path, IVtlApplication* application = nullptr) {
    auto importer = application ? std::make_unique<XMindImport>(application) : std::make_unique<XMindImport>();
    if (importer->Init() != 1) return -1;
    const int result = importer->Import(vantorel::DocumentManager(), path.c_str());
    importer->Cleanup();
    return result;
  }
  static int ProbePath(const std::u16string& path) {
    XMindImport importer;
    if (importer.Init() != 1) return -1;
    const int result = importer.Probe(path.c_str());
    importer.Cleanup();
    return result;
  }
  // Opens one document that may receive the import and imports a map of one sheet whose
  // central topic is `topic` (its XML).
  int ImportTopic(const std::string& topic, const std::string& styles = "", const std::string& sheetExtra = "") {
    vantorel::OpenDocument(true);
    return ImportPath(Map("<sheet id=\"s1\">" + topic + sheetExtra + "</sheet>", styles));
  }

  static Value Documents() {
    Value all = vantorel::DescribeDocuments(vantorel::DescribeOptions{});
    const Value* documents = all.Find("documents");
    return documents ? *documents : Value::MakeArray();
  }
  static Value Document(size_t i = 0) {
    Value all = Documents();
    return i < all.items().size() ? all.items()[i] : Value();
  }
  // Files left in the importer's temporary folder.
  size_t TemporaryFiles() const {
    size_t n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder_ / "temp", ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      if (it->is_regular_file()) ++n;
    return n;
  }

  std::filesystem::path folder_;
};

using namespace import_test;

// Counts over a topic and its subtree.
struct Census {
  size_t topics = 0, floating = 0, callouts = 0;
  std::map<std::string, size_t> roles;
};
inline void Count(const Value* topic, Census& census) {
  if (!topic) return;
  ++census.topics;
  const std::string placement = Text(Member(topic, "placement"));
  census.floating += placement == "floating";
  census.callouts += placement == "callout";
  if (const Value* attached = Member(topic, "attached"))
    for (const Value& a : attached->items()) ++census.roles[Text(Member(&a, "role"))];
  if (const Value* children = Member(topic, "children"))
    for (const Value& c : children->items()) Count(&c, census);
}

}  // namespace xmind_test
