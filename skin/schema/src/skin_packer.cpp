#include "ornatex/schema/skin_packer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include <kx2/ResourceContainer.h>
#include <kx2/Utf.h>

#include "ornatex/schema/resource_file.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  *ok = static_cast<bool>(in) || in.eof();
  return bytes;
}

std::vector<uint8_t> Utf16Le(const std::u16string& text) {
  std::vector<uint8_t> out = {0xFF, 0xFE};
  for (char16_t c : text) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool Fail(std::string* failure, const fs::path& file, const char* why) {
  if (failure) *failure = file.string() + ": " + why;
  return false;
}

}  // namespace

bool KtkPackSkinFolder(const std::string& folderName, const std::string& output, std::string* failure) {
  const fs::path folder = folderName;
  std::error_code error;
  if (!fs::is_directory(folder, error)) return Fail(failure, folder, "not a folder");
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file()) files.push_back(entry.path());
  if (error) return Fail(failure, folder, "cannot be listed");
  std::sort(files.begin(), files.end());

  kx2::rsrc::ContainerWriter writer;
  std::u16string firstIni;
  bool hasThemes = false;
  for (const fs::path& file : files) {
    const std::string extension = Lower(file.extension().string());
    if (extension != ".ini" && extension != ".bmp" && extension != ".png") continue;
    std::string relative = fs::relative(file, folder).generic_string();
    std::replace(relative.begin(), relative.end(), '/', '\\');
    const std::u16string name = kx2::rsrc::UpperName(KtkSkinResourceName(kx2::Utf8ToUtf16(relative)));
    bool ok = false;
    std::vector<uint8_t> bytes = ReadAll(file, &ok);
    if (!ok) return Fail(failure, file, "cannot be read");
    bool added = false;
    if (extension == ".ini") {
      const bool themes = Lower(relative) == "themes.ini";
      if (themes)
        hasThemes = true;
      else if (firstIni.empty())
        firstIni = kx2::Utf8ToUtf16(relative.substr(0, relative.size() - 4));
      added = writer.Add(std::u16string(u"TEXTFILE"), themes ? std::u16string(u"THEMES_INI") : name, 0,
                         Utf16Le(KtkDecodeSkinText(bytes)));
    } else if (extension == ".bmp") {
      if (bytes.size() < 14 + 40 || bytes[0] != 'B' || bytes[1] != 'M') return Fail(failure, file, "not a BMP file");
      added = writer.Add(uint16_t{2}, name, 0, std::vector<uint8_t>(bytes.begin() + 14, bytes.end()));
    } else {
      added = writer.Add(std::u16string(u"PNG"), name, 0, std::move(bytes));
    }
    if (!added) return Fail(failure, file, "names a resource twice");
  }
  if (!hasThemes && !firstIni.empty())
    writer.Add(std::u16string(u"TEXTFILE"), std::u16string(u"THEMES_INI"), 0, Utf16Le(u"[File." + firstIni + u"]\r\n"));
  const std::vector<uint8_t> out = writer.Build();
  std::ofstream file(output, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  file.close();
  if (!file) return Fail(failure, output, "cannot be written");
  return true;
}
