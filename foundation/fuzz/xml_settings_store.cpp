// Any bytes as a settings file: the store reads what parses, enumerates it, and a save
// writes this instance's changes onto the file as it is, which a second instance reads.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <basalt/path_util.h>
#include <basalt/xml_registry.h>
#include <kx2/Utf.h>

using Basalt::XMLRegistry;

namespace {

struct Scratch {
  Scratch() {
    const char* shm = "/dev/shm";
    folder = (std::filesystem::is_directory(shm) ? std::string(shm) : std::string("/tmp")) + "/kx2-fuzz-settings-" +
             std::to_string(getpid());
    std::filesystem::create_directories(folder);
    std::u16string win = u"Z:" + kx2::Utf8ToUtf16(folder);
    for (char16_t& c : win)
      if (c == u'/') c = u'\\';
    Basalt::Util::PathUtil::_UnregisterPath(u"ProgramInfo");
    Basalt::Util::PathUtil::_RegisterPath(u"ProgramInfo", win.c_str());
  }
  ~Scratch() { std::filesystem::remove_all(folder); }
  std::string folder;
};

// Every subkey and entry name of the current key and one level below.
void Enumerate(XMLRegistry& reg) {
  if (!reg.InitEnumeration()) return;
  char16_t name[64];
  while (reg.GetNextEntryName(name, 64)) {
    std::u16string text;
    reg.GetStringValue(name, text);
  }
  while (reg.GetNextSubkeyName(name, 64))
    while (reg.GetNextEntryName(name, 64)) {}
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Scratch scratch;
  const std::string file = scratch.folder + "/XMLUserRegistry.xml";
  if (FILE* f = std::fopen(file.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  // Key paths taken from the input's first bytes, so that writes land on existing keys.
  std::u16string path = u"VTL\\Option";
  if (size >= 4)
    path = std::u16string(1, static_cast<char16_t>(u'A' + data[0] % 4)) + u"\\" +
           std::u16string(1, static_cast<char16_t>(u'A' + data[1] % 4));
  {
    XMLRegistry reg(path.c_str(), Basalt::HROOT_XMLUSERREGISTRY);
    Enumerate(reg);
    uint32_t dword = 0;
    reg.GetDwordValue(u"Language", &dword);
    reg.WriteDwordValue(u"Language", 1033);
    reg.WriteStringValue(u"Text", u"fuzz");
    if (size >= 4 && data[2] & 1) reg.DeleteEntry(u"Other");
    if (size >= 4 && data[2] & 2) reg.DeleteKey(u"A\\B");
    reg.WriteStringValue(u"Text", u"again");
    if (!reg.ExistKey()) return 0;
  }
  // A second instance reads the saved file as the first left it.
  XMLRegistry check(path.c_str(), Basalt::HROOT_XMLUSERREGISTRY);
  Enumerate(check);
  uint32_t language = 0;
  check.GetDwordValue(u"Language", &language);
  return 0;
}
