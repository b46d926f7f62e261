// Kept apart from the packet headers: ACE's and the platform's Windows headers collide.
#include <filesystem>
#include <string>

#include <basalt/path_util.h>

// The co-edit folder under the foundation's ${Temp}, as a path of this machine.
std::filesystem::path CoEditFolder() {
  char16_t expanded[MAX_PATH] = {};
  Basalt::Util::PathUtil::_PathToAbsolute(u"${Temp}\\Taloria\\CoEditTemp", expanded);
  // A Windows path of this machine: the drive letter and colon go, "Z:" being the root.
  const std::u16string path(expanded);
  std::string out;
  for (char16_t c : path.substr(2)) out.push_back(c == u'\\' ? '/' : static_cast<char>(c));
  return out;
}

// The foundation's ${Temp} folder, as a path of this machine.
std::filesystem::path TempFolder() {
  char16_t expanded[MAX_PATH] = {};
  Basalt::Util::PathUtil::_PathToAbsolute(u"${Temp}\\", expanded);
  const std::u16string path(expanded);
  std::string out;
  for (char16_t c : path.substr(2)) out.push_back(c == u'\\' ? '/' : static_cast<char>(c));
  return out;
}
