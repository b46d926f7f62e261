// A file that each fuzz input is written to, for code that reads its input from a path: one
// file in a private temporary folder made once per process.
#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <kx2/PathMap.h>

namespace kx2test {

class FuzzInputFile {
 public:
  // The file fileName in a folder made as /tmp/<folderPrefix>XXXXXX, or fallbackPath when no
  // folder can be made.
  FuzzInputFile(const std::string& folderPrefix, const std::string& fileName, const std::string& fallbackPath) {
    std::string folder = "/tmp/" + folderPrefix + "XXXXXX";
    path_ = mkdtemp(folder.data()) ? folder + "/" + fileName : fallbackPath;
  }

  // Writes the bytes over the file; its path as the ported libraries take it.
  std::u16string Write(const uint8_t* data, size_t size) const {
    if (FILE* f = std::fopen(path_.c_str(), "wb")) {
      std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
    return kx2::ToWindowsPath(path_);
  }

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kx2test
