// kx2skinpack FOLDER OUTPUT: makes a module skin package (a resource container) from a
// skin folder, for tests and the demo (the packing rules are KtkPackSkinFolder's). Exit 0
// when written; 1 naming the file that failed; 2 for a wrong command line.
#include <cstdio>
#include <string>

#include "ornatex/schema/skin_packer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kx2skinpack FOLDER OUTPUT\n");
    return 2;
  }
  std::string failure;
  if (!KtkPackSkinFolder(argv[1], argv[2], &failure)) {
    std::fprintf(stderr, "kx2skinpack: %s\n", failure.c_str());
    return 1;
  }
  return 0;
}
