// Runs a shell command and takes all it prints on standard output.
#pragma once

#include <stdio.h>

#include <array>
#include <string>

namespace kx2test {

// False when no shell could be started; else output holds what the command printed and
// *waitStatus (when given) the status as waitpid reports it.
inline bool ReadCommandOutput(const std::string& command, std::string& output, int* waitStatus = nullptr) {
  output.clear();
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
  const int status = pclose(pipe);
  if (waitStatus) *waitStatus = status;
  return true;
}

}  // namespace kx2test
