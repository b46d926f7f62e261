// kx2skinpack FOLDER OUTPUT: makes a module skin package (a resource container) from a
// skin folder, for tests and the demo.
//
//   *.ini  "TEXTFILE" resources in UTF-16LE (read as the folder form reads them); the
//          default INI is named by "themes.ini" when the folder has one, else by a
//          THEMES_INI text naming the first INI file in name order
//   *.bmp  RT_BITMAP resources (the DIB after the file header)
//   *.png  "PNG" resources
// Resource names are the files' paths inside the folder, with "\" between folders and
// every "." and "\" made "_". Exit 0 when written; 1 naming the file that failed; 2 for a
// wrong command line.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
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

int Fail(const fs::path& file, const char* why) {
  std::fprintf(stderr, "kx2skinpack: %s: %s\n", file.string().c_str(), why);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kx2skinpack FOLDER OUTPUT\n");
    return 2;
  }
  const fs::path folder = argv[1];
  std::error_code error;
  if (!fs::is_directory(folder, error)) return Fail(folder, "not a folder");
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file()) files.push_back(entry.path());
  if (error) return Fail(folder, "cannot be listed");
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
    if (!ok) return Fail(file, "cannot be read");
    bool added = false;
    if (extension == ".ini") {
      if (Lower(relative) == "themes.ini")
        hasThemes = true;
      else if (firstIni.empty())
        firstIni = kx2::Utf8ToUtf16(relative.substr(0, relative.size() - 4));
      added = writer.Add(std::u16string(u"TEXTFILE"), Lower(relative) == "themes.ini" ? u"THEMES_INI" : name, 0,
                         Utf16Le(KtkDecodeSkinText(bytes)));
    } else if (extension == ".bmp") {
      if (bytes.size() < 14 + 40 || bytes[0] != 'B' || bytes[1] != 'M') return Fail(file, "not a BMP file");
      added = writer.Add(uint16_t{2}, name, 0, std::vector<uint8_t>(bytes.begin() + 14, bytes.end()));
    } else {
      added = writer.Add(std::u16string(u"PNG"), name, 0, std::move(bytes));
    }
    if (!added) return Fail(file, "names a resource twice");
  }
  if (!hasThemes && !firstIni.empty())
    writer.Add(std::u16string(u"TEXTFILE"), std::u16string(u"THEMES_INI"), 0, Utf16Le(u"[File." + firstIni + u"]\r\n"));
  const std::vector<uint8_t> out = writer.Build();
  std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  file.close();
  if (!file) return Fail(argv[2], "cannot be written");
  return 0;
}
