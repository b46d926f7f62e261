// Shared by the FreeMind importer tests: a fresh folder for small map files, an import of
// one of them into a new host document, and reading what the host then holds.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <foliant/freemind/FreemindImport.h>
#include <kx2/PathMap.h>
#include <vantorel/host_api.h>
#include <vantorel/testing/leak_check.h>

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

// Reading the description.
inline const Value* Member(const Value* v, const char* key) { return v ? v->Find(key) : nullptr; }
inline std::string Text(const Value* v) { return v && v->kind() == Value::Kind::String ? v->text() : std::string(); }
inline int64_t Int(const Value* v) { return v && v->kind() == Value::Kind::Int ? v->integer() : -999; }
inline const Value* Item(const Value* v, size_t i) { return v && i < v->items().size() ? &v->items()[i] : nullptr; }
inline size_t Count(const Value* v) { return v ? v->items().size() : 0; }

// The topic reached from the central topic by child indexes.
inline const Value* TopicAt(const Value& document, std::initializer_list<size_t> path) {
  const Value* topic = Member(&document, "topic");
  for (size_t i : path) topic = Item(Member(topic, "children"), i);
  return topic;
}

// The n-th object attached to a topic under a role ("marker", "hyperlink" ...).
inline const Value* Attached(const Value* topic, const char* role, size_t n = 0) {
  const Value* list = Member(topic, "attached");
  for (size_t i = 0; list && i < list->items().size(); ++i)
    if (Text(Member(&list->items()[i], "role")) == role && n-- == 0) return &list->items()[i];
  return nullptr;
}

inline size_t CountAttached(const Value* topic, const char* role) {
  size_t n = 0;
  while (Attached(topic, role, n)) ++n;
  return n;
}

}  // namespace freemind_test
