/* A library whose start-up code leaves a mark: tests give it as a skin package to show
   that opening a package never runs a library's code. */
#include <stdio.h>
#include <stdlib.h>

__attribute__((constructor)) static void LeaveMark(void) {
  const char* path = getenv("KX2_PROBE_FILE");
  if (!path) return;
  FILE* f = fopen(path, "w");
  if (f) {
    fputs("ran\n", f);
    fclose(f);
  }
}
