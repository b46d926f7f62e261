// The record in which a filter of the import plug-in describes itself to the host. The
// host owns it and sets its size; the plug-in fills the rest. It crosses the module
// boundary, so its layout is fixed: little-endian, UTF-16 texts, each zero-terminated.
#pragma once

#include <cstddef>

#include <win/types.h>

struct FilterInfo {
  DWORD size;         // set by the host; nothing is written unless it is at least 552
  DWORD filterId;     // 0x10000115 MindManager, 0x10000116 FreeMind, 0x10000117 XMind
  DWORD formatCode;   // 0x1000010C, 0x1000010D, 0x1000010E
  DWORD formatCode2;  // the same value
  DWORD flags;
  DWORD version;  // 5
  WCHAR name[32];
  WCHAR description[128];
  WCHAR extensionStem[32];  // "ETq"
  WCHAR text[64];
  WCHAR shortText[8];
};

static_assert(sizeof(FilterInfo) == 552, "FilterInfo is 552 bytes");
static_assert(offsetof(FilterInfo, filterId) == 4 && offsetof(FilterInfo, formatCode) == 8 &&
                  offsetof(FilterInfo, formatCode2) == 12 && offsetof(FilterInfo, flags) == 16 &&
                  offsetof(FilterInfo, version) == 20 && offsetof(FilterInfo, name) == 24 &&
                  offsetof(FilterInfo, description) == 88 && offsetof(FilterInfo, extensionStem) == 344 &&
                  offsetof(FilterInfo, text) == 408 && offsetof(FilterInfo, shortText) == 536,
              "FilterInfo layout");

// The plug-in's exports, by name (ordinals 1 to 6 in this order).
class CFilterLibraryItem;
class IVtlDocumentManager;
typedef CFilterLibraryItem* (*FoundFilterFunc)();
typedef void (*IteratorFilterFunc)(CFilterLibraryItem** cursor, FilterInfo* info);
typedef int (*DiscoveryFilterFunc)(LPCWSTR path, LPCWSTR filterName);
typedef int (*ImportExportFunc)(int import, ULONG_PTR a, ULONG_PTR b, LPCWSTR filterName, ULONG_PTR d);
typedef int (*ImportExportExFunc)(int import, IVtlDocumentManager* documents, LPCWSTR path, LPCWSTR filterName,
                                  ULONG_PTR d);
typedef int (*OptionsFunc)(ULONG_PTR a, ULONG_PTR b, LPCWSTR filterName, ULONG_PTR d, ULONG_PTR e);
