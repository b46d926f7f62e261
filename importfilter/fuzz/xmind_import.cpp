// Imports XMind packages built from fuzzed "content.xml" and "styles.xml" into the host
// stand-in: a workbook comes from someone else's machine and must never crash the
// importer, leak a host object or leave a temporary file.
//
// Input: the content, then the line "@@styles@@", then the styles (none when the line is
// missing). The package also holds a picture and an attachment that "xap:" links can name.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <basalt/path_util.h>
#include <foliant/xmind/xmind_import.h>
#include <foliant/zip/tq_xml_storage.h>
#include <kx2/PathMap.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

#include "../tests/xmind_package_writer.h"
#include "fuzz_seeds.h"

namespace {

constexpr char kSeparator[] = "\n@@styles@@\n";

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    char name[] = "/tmp/kx2fuzzxmindXXXXXX";
    return std::filesystem::path(mkdtemp(name) ? name : "/tmp");
  }();
  return folder;
}

// The content and styles of a real package, as one seed.
std::vector<std::string> SeedOf(const std::string& package) {
  const std::filesystem::path path = Folder() / "seed.xmind";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(package.data(), 1, package.size(), f);
    std::fclose(f);
  }
  TqXMLStorage storage;
  const std::u16string windowsPath = kx2::ToWindowsPath(path.string());
  if (!storage.Open(windowsPath.c_str()) || storage.HasEntry(u"content.json")) return {};
  auto read = [&](const char16_t* name) {
    const uint32_t size = storage.GetEntrySize(name);
    std::string bytes(size + 2, '\0');
    const int32_t n = size ? storage.ReadEntry(name, bytes.data(), size + 2) : 0;
    bytes.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return bytes;
  };
  return {read(u"content.xml") + kSeparator + read(u"styles.xml")};
}

size_t FilesBelow(const std::filesystem::path& folder) {
  size_t n = 0;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    if (it->is_regular_file()) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_seeds::AddRealMapSeeds(argc, argv, "xmind", SeedOf);
  VtlGetApplication();
  std::filesystem::create_directories(Folder() / "temp");
  Basalt::Util::PathUtil::_RegisterPath(u"Temp", kx2::ToWindowsPath((Folder() / "temp").string()).c_str());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find(kSeparator);
  xmindtest::Entries entries = {{"content.xml", input.substr(0, cut)},
                                {"attachments/a.png", std::string(16, 'p')},
                                {"attachments/b.txt", "attachment"}};
  if (cut != std::string::npos) entries.push_back({"styles.xml", input.substr(cut + sizeof kSeparator - 1)});
  const std::filesystem::path path = Folder() / "map.xmind";
  if (!xmindtest::WritePackage(path.string(), entries)) return 0;
  const std::u16string windowsPath = kx2::ToWindowsPath(path.string());

  static const size_t baseline = vantorel::TakeCensus().liveObjects;
  vantorel::OpenDocument(true);
  {
    XMindImport importer;
    if (importer.Init() == 1 && importer.Probe(windowsPath.c_str())) {
      importer.Cleanup();
      importer.Import(vantorel::DocumentManager(), windowsPath.c_str());
    }
    importer.Cleanup();
  }
  vantorel::CloseAllDocuments();
  const vantorel::CensusReport census = vantorel::TakeCensus();
  if (census.liveObjects != baseline || census.extraReleases != 0) {
    std::fprintf(stderr, "host objects: %zu alive (baseline %zu), %zu extra releases\n", census.liveObjects, baseline,
                 census.extraReleases);
    std::abort();
  }
  if (FilesBelow(Folder() / "temp") != 0) {
    std::fprintf(stderr, "temporary files left behind\n");
    std::abort();
  }
  return 0;
}
