// Directories of a Windows image laid out in memory. The modules of this process are ELF
// objects and have no such directories: for them the call answers null. It reads images
// in the Windows layout (PE32 or PE32+ headers) that something placed in memory, through
// the memory probe (kx2/MemoryProbe.h), so a damaged or unmapped header gives null too.
#pragma once

#include "win/types.h"

#define IMAGE_DOS_SIGNATURE 0x5A4D
#define IMAGE_NT_SIGNATURE 0x00004550
#define IMAGE_NT_OPTIONAL_HDR32_MAGIC 0x10B
#define IMAGE_NT_OPTIONAL_HDR64_MAGIC 0x20B

#define IMAGE_DIRECTORY_ENTRY_EXPORT 0
#define IMAGE_DIRECTORY_ENTRY_IMPORT 1
#define IMAGE_DIRECTORY_ENTRY_IAT 12

// Offsets of the headers the directory walk reads (the layout is fixed by the format).
#define IMAGE_DOS_LFANEW_OFFSET 0x3C
#define IMAGE_NT_OPTIONAL_HEADER_OFFSET 24
#define IMAGE_OPTIONAL32_DIRECTORY_COUNT_OFFSET 92
#define IMAGE_OPTIONAL64_DIRECTORY_COUNT_OFFSET 108
#define IMAGE_SIZEOF_IMPORT_DESCRIPTOR 20

// The import descriptor as laid out in an image (20 bytes): every field is an RVA or a
// number, so the layout is the same in both image kinds.
struct IMAGE_IMPORT_DESCRIPTOR {
  DWORD OriginalFirstThunk;
  DWORD TimeDateStamp;
  DWORD ForwarderChain;
  DWORD Name;        // RVA of the imported module's name
  DWORD FirstThunk;  // RVA of the import address table
};
static_assert(sizeof(IMAGE_IMPORT_DESCRIPTOR) == IMAGE_SIZEOF_IMPORT_DESCRIPTOR);

// The directory's data (base + its RVA) and size; only MappedAsImage images are read
// (a file's raw layout would need its section table). Null with ERROR_BAD_EXE_FORMAT for
// anything that is not such an image or has no such directory.
typedef ULONG* PULONG;

KX2_EXPORT PVOID ImageDirectoryEntryToData(PVOID Base, BOOLEAN MappedAsImage, USHORT DirectoryEntry, PULONG Size);
