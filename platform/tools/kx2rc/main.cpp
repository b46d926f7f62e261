// kx2rc: compiles a resource source file into a resource container.
//
//   kx2rc -o <output> [--language <LANGID>] [--depfile <file>] <source.rc>
//
// Without --language, resources get the language the source file's name gives
// ("ENU.rc" -> 1033) until a LANGUAGE statement says otherwise.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "Compiler.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: kx2rc -o <output> [--language <LANGID>] [--depfile <file>] <source.rc>\n");
  return 2;
}

std::string DepEscape(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ' || c == '#') out.push_back('\\');
    if (c == '$') out.push_back('$');
    out.push_back(c);
  }
  return out;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
  // Written beside the target and renamed, so a failed run never leaves half a file.
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string output, depfile, source;
  long language = -1;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-o" && i + 1 < argc)
      output = argv[++i];
    else if (a == "--depfile" && i + 1 < argc)
      depfile = argv[++i];
    else if (a == "--language" && i + 1 < argc)
      language = std::strtol(argv[++i], nullptr, 0);
    else if (!a.empty() && a[0] != '-' && source.empty())
      source = a;
    else
      return Usage();
  }
  if (output.empty() || source.empty()) return Usage();
  if (language < 0) {
    size_t slash = source.find_last_of('/');
    std::string stem = source.substr(slash == std::string::npos ? 0 : slash + 1);
    stem = stem.substr(0, stem.find('.'));
    language = kx2rc::LanguageFromCode(stem);
    if (!language) {
      std::fprintf(stderr, "kx2rc: %s: name the file after its language (ENU.rc ...) or pass --language\n",
                   source.c_str());
      return 1;
    }
  }
  if (language > 0xFFFF) return Usage();
  try {
    kx2rc::Compiler compiler(static_cast<uint16_t>(language));
    compiler.CompileFile(source);
    std::vector<uint8_t> bytes = compiler.Build();
    if (!WriteFile(output, bytes.data(), bytes.size())) {
      std::fprintf(stderr, "kx2rc: cannot write %s\n", output.c_str());
      return 1;
    }
    if (!depfile.empty()) {
      std::string text = DepEscape(output) + ":";
      for (const auto& in : compiler.Inputs()) text += " " + DepEscape(in);
      text += "\n";
      if (!WriteFile(depfile, text.data(), text.size())) {
        std::fprintf(stderr, "kx2rc: cannot write %s\n", depfile.c_str());
        return 1;
      }
    }
  } catch (const kx2rc::SourceError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kx2rc: %s\n", e.what());
    return 1;
  }
  return 0;
}
