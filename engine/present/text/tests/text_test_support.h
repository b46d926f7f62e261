// Shared fixtures of the text layer's tests: a temporary application folder with a Tools
// folder of our own configuration files ("${App}" registered above it), and a temporary
// registry.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <kx2/Registry.h>

#include <basalt/path_util.h>
#include <plastrum/present/text/FontConfig.h>

namespace texttest {

inline std::string TempRoot() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

// A POSIX path in the system's own form ("Z:\..." with "/" as Z:).
inline std::u16string WindowsPath(const std::string& posix) {
  std::u16string out = u"Z:";
  for (char c : posix) out += c == '/' ? u'\\' : static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

// UTF-8 text as a configuration file: the mark, then UTF-16LE.
inline std::string Utf16File(const std::u16string& text, bool mark = true) {
  std::string bytes;
  if (mark) bytes += "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

inline std::u16string Widen(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    int n;
    if (c < 0x80) {
      cp = c;
      n = 1;
    } else if (c < 0xE0) {
      cp = c & 0x1F;
      n = 2;
    } else if (c < 0xF0) {
      cp = c & 0x0F;
      n = 3;
    } else {
      cp = c & 0x07;
      n = 4;
    }
    for (int k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += n;
    if (cp > 0xFFFF) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

// A temporary registry for the test's lifetime.
class ScopedRegistry {
 public:
  ScopedRegistry() {
    const char* old = std::getenv("KX2_REGISTRY");
    had_ = old != nullptr;
    if (had_) saved_ = old;
    dir_ = TempRoot() + "/text-registry-" + std::to_string(reinterpret_cast<uintptr_t>(this));
    std::filesystem::create_directories(dir_);
    setenv("KX2_REGISTRY", dir_.c_str(), 1);
    Kx2RegistryReset();
  }
  ~ScopedRegistry() {
    if (had_)
      setenv("KX2_REGISTRY", saved_.c_str(), 1);
    else
      unsetenv("KX2_REGISTRY");
    Kx2RegistryReset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

 private:
  bool had_ = false;
  std::string saved_, dir_;
};

// "${App}" points at a temporary folder whose Tools folder the test fills; the shipped
// configuration is read again afterwards.
class ScopedApp {
 public:
  ScopedApp() {
    char16_t app[MAX_PATH] = {};
    Basalt::Util::PathUtil::_PathToAbsolute(u"${App}", app);
    savedApp_ = app;
    root_ = TempRoot() + "/text-app-" + std::to_string(reinterpret_cast<uintptr_t>(this));
    std::filesystem::create_directories(root_ + "/Tools");
    Basalt::Util::PathUtil::_UnregisterPath(u"App");
    Basalt::Util::PathUtil::_RegisterPath(u"App", WindowsPath(root_).c_str());
  }
  ~ScopedApp() {
    Basalt::Util::PathUtil::_UnregisterPath(u"App");
    Basalt::Util::PathUtil::_RegisterPath(u"App", savedApp_.c_str());
    Present::Text::InitFontConfiguration();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(root_ + "/Tools/" + name, std::ios::binary) << bytes;
  }
  void WriteText(const std::string& name, const std::string& utf8, bool mark = true) {
    Write(name, Utf16File(Widen(utf8), mark));
  }
  void Remove(const std::string& name) { std::filesystem::remove(root_ + "/Tools/" + name); }
  const std::string& Root() const { return root_; }

 private:
  std::u16string savedApp_;
  std::string root_;
};

inline const char* kConfig1Header = "; ORVANT FONT CONFIGURATION1 VER 1.0.0\n";
inline const char* kConfig2Header = "; ORVANT FONT CONFIGURATION2 VER 1.0.0\n";

}  // namespace texttest
