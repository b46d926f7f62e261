// Imports MindManager packages whose "Document.xml" is the fuzzer's input: the package holds
// the four schemas and a few pictures beside it, so that custom icons, images and
// attachments that name them are read too. A map comes from someone else's machine and must
// never crash the importer or leak what the host hands it.
#include <foliant/mindmanager/mindmanager_import.h>

#include <kx2/MessageBoxSink.h>
#include <kx2/PathMap.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>
#include <zlib.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A zip archive of stored entries.
std::vector<uint8_t> StoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::vector<uint8_t> out, directory;
  for (const auto& [name, data] : entries) {
    const uint32_t crc =
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    const uint32_t offset = static_cast<uint32_t>(out.size());
    Put32(out, 0x04034b50), Put16(out, 20), Put16(out, 0), Put16(out, 0), Put32(out, 0);
    Put32(out, crc), Put32(out, static_cast<uint32_t>(data.size())), Put32(out, static_cast<uint32_t>(data.size()));
    Put16(out, static_cast<uint32_t>(name.size())), Put16(out, 0);
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), data.begin(), data.end());
    Put32(directory, 0x02014b50), Put16(directory, 20), Put16(directory, 20), Put16(directory, 0);
    Put16(directory, 0), Put32(directory, 0), Put32(directory, crc);
    Put32(directory, static_cast<uint32_t>(data.size())), Put32(directory, static_cast<uint32_t>(data.size()));
    Put16(directory, static_cast<uint32_t>(name.size())), Put16(directory, 0), Put16(directory, 0);
    Put16(directory, 0), Put16(directory, 0), Put32(directory, 0), Put32(directory, offset);
    directory.insert(directory.end(), name.begin(), name.end());
  }
  const uint32_t start = static_cast<uint32_t>(out.size());
  out.insert(out.end(), directory.begin(), directory.end());
  Put32(out, 0x06054b50), Put16(out, 0), Put16(out, 0);
  Put16(out, static_cast<uint32_t>(entries.size())), Put16(out, static_cast<uint32_t>(entries.size()));
  Put32(out, static_cast<uint32_t>(directory.size())), Put32(out, start), Put16(out, 0);
  return out;
}

const std::string& PackagePath() {
  static const std::string path = [] {
    char name[] = "/tmp/kx2fuzzmmapXXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    std::string p = std::string(name) + ".mmap";
    std::rename(name, p.c_str());
    return p;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kx2::SetMessageBoxEcho(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string png = "\x89PNG\r\n\x1a\npicture";
  const std::vector<uint8_t> zip = StoredZip({
      {"Document.xml", std::string(reinterpret_cast<const char*>(data), size)},
      {"xsd/MindManagerApplication.xsd", "<schema/>"},
      {"xsd/MindManagerCore.xsd", "<schema/>"},
      {"xsd/MindManagerDelta.xsd", "<schema/>"},
      {"xsd/MindManagerPrimitive.xsd", "<schema/>"},
      {"icons/a.png", png},
      {"bin/a.png", png},
      {"bin/b.txt", "attachment"},
  });
  if (FILE* f = std::fopen(PackagePath().c_str(), "wb")) {
    std::fwrite(zip.data(), 1, zip.size(), f);
    std::fclose(f);
  }
  const std::u16string path = kx2::ToWindowsPath(PackagePath());
  vantorel::OpenDocument(true);
  {
    MindManagerImport importer;
    if (importer.Init() == 1) {
      importer.Probe(path.c_str());
      importer.Import(vantorel::DocumentManager(), path.c_str());
    }
    importer.Close();
  }
  vantorel::CloseAllDocuments();
  kx2::TakeMessageBoxes();
  // Whatever the map, the importer gives back every host object it was handed.
  static const size_t baseline = vantorel::TakeCensus().liveObjects;
  const vantorel::CensusReport census = vantorel::TakeCensus();
  if (census.liveObjects != baseline || census.liveFileKeys != 0 || census.extraReleases != 0) __builtin_trap();
  return 0;
}
