// The protection of the process's own memory: regions as the kernel maps them.
#pragma once

#include "win/types.h"

#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define PAGE_WRITECOPY 0x08
#define PAGE_EXECUTE 0x10
#define PAGE_EXECUTE_READ 0x20
#define PAGE_EXECUTE_READWRITE 0x40
#define PAGE_EXECUTE_WRITECOPY 0x80

#define MEM_COMMIT 0x00001000
#define MEM_FREE 0x00010000
#define MEM_PRIVATE 0x00020000
#define MEM_MAPPED 0x00040000
#define MEM_IMAGE 0x01000000

struct MEMORY_BASIC_INFORMATION {
  PVOID BaseAddress;
  PVOID AllocationBase;
  DWORD AllocationProtect;
  SIZE_T RegionSize;
  DWORD State;
  DWORD Protect;
  DWORD Type;
};
typedef MEMORY_BASIC_INFORMATION* PMEMORY_BASIC_INFORMATION;

// The mapping that holds lpAddress (from /proc/self/maps): its pages, their protection,
// MEM_IMAGE for a file mapping of a library or the program, MEM_PRIVATE otherwise; an
// address in no mapping gives a MEM_FREE region up to the next one. Returns the bytes
// written (0 on failure, ERROR_BAD_LENGTH for a short buffer).
KX2_EXPORT SIZE_T VirtualQuery(LPCVOID lpAddress, PMEMORY_BASIC_INFORMATION lpBuffer, SIZE_T dwLength);
// Changes the protection of every page of the range and gives the first page's previous
// one. ERROR_INVALID_ADDRESS when a page is not mapped, ERROR_INVALID_PARAMETER for an
// unknown protection or a null lpflOldProtect.
KX2_EXPORT BOOL VirtualProtect(LPVOID lpAddress, SIZE_T dwSize, DWORD flNewProtect, PDWORD lpflOldProtect);
