// Bytes as a skin package: as a folder's INI file, as a module package (a resource
// container whose INI text and THEMES_INI are the bytes) and as the package file itself,
// each opened, read line by line into a schema, and every image the text names loaded.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/ResourceContainer.h>

#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_image.h"

namespace {

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Opens, reads into a schema and loads every image a string record names.
void Exercise(const std::u16string& path, const char16_t* ini) {
  CKtkSkinManagerResourceFile reader;
  if (!reader.Open(path.c_str(), ini)) return;
  std::unique_ptr<CKtkSkinManagerSchema> schema(KtkLoadSkinSchema(reader));
  if (!schema) return;
  for (const auto& [key, record] : schema->m_properties)
    if (record.m_type == KTK_PT_STRING && record.m_string) delete reader.LoadSkinImage(record.m_string);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string f = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-skin-package-" + std::to_string(getpid());
    mkdir(f.c_str(), 0700);
    return f;
  }();
  const std::vector<uint8_t> bytes(data, data + size);
  Write(folder + "/skin.ini", bytes);
  Exercise(kx2::ToWindowsPath(folder), u"skin.ini");

  kx2::rsrc::ContainerWriter writer;
  writer.Add(std::u16string(u"TEXTFILE"), std::u16string(u"THEMES_INI"), 0, bytes);
  writer.Add(std::u16string(u"TEXTFILE"), std::u16string(u"NORMAL_INI"), 0, bytes);
  writer.Add(uint16_t{2}, std::u16string(u"BUTTON_BMP"), 0, bytes);
  const std::string module = folder + "/package.rsrc";
  Write(module, writer.Build());
  Exercise(kx2::ToWindowsPath(module), u"");
  Exercise(kx2::ToWindowsPath(module), u"normal.ini");

  const std::string raw = folder + "/raw.rsrc";
  Write(raw, bytes);
  Exercise(kx2::ToWindowsPath(raw), u"");
  return 0;
}
