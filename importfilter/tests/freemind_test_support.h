// Shared by the FreeMind importer tests: a fresh folder for small map files, an import of
// one of them into a new host document, and reading what the host then holds.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <foliant/freemind/freemind_import.h>
#include <foliant/import_limits.h>
#include <kx2/PathMap.h>
#include <vantorel/host_api.h>
#include <vantorel/testing/leak_check.h>

#include "import_description.h"

namespace freemind_test {

using vantorel::Value;

class FreeMindTest : public vantorel::testing::HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    std::string pattern = (std::filesystem::temp_directory_path() / "freemind_test_XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    folder_ = pattern;
  }
  void TearDown() override {
    HostLeakCheck::TearDown();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  // Writes a file into the test's folder; its Windows path.
  std::u16string Write(const std::string& name, const std::string& content) {
    std::ofstream(folder_ / name, std::ios::binary) << content;
    return kx2::ToWindowsPath((folder_ / name).string());
  }
  std::u16string WindowsFolder() const { return kx2::ToWindowsPath(folder_.string()) + u"\\"; }

  // Init, Import into the host's documents, Cleanup: the import's result.
  static int ImportPath(const std::u16string& path) {
    FreemindImport importer;
    if (importer.Init() != 1) return -1;
    const int result = importer.Import(vantorel::DocumentManager(), path.c_str());
    importer.Cleanup();
    return result;
  }
  static int ProbePath(const std::u16string& path) {
    FreemindImport importer;
    if (importer.Init() != 1) return -1;
    const int result = importer.Probe(path.c_str());
    importer.Cleanup();
    return result;
  }

  // Opens one document that may receive the import, imports `map` written as "map.mm".
  int ImportMap(const std::string& map) {
    vantorel::OpenDocument(true);
    return ImportPath(Write("map.mm", map));
  }

  // The first document as the host describes it.
  static Value Document() {
    Value all = vantorel::DescribeDocuments(vantorel::DescribeOptions{});
    const Value* documents = all.Find("documents");
    return documents && !documents->items().empty() ? documents->items()[0] : Value();
  }

  std::filesystem::path folder_;
};

using namespace import_test;

}  // namespace freemind_test
