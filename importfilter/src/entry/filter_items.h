// The three kinds of filter item.
#pragma once

#include <foliant/filter_library.h>

class CMindManagerItem : public CFilterLibraryItem {
 public:
  virtual ~CMindManagerItem();
  void GetFilterInfo(FilterInfo* info) override;
  int Discovery(LPCWSTR path) override;
  int ImportEx(IVtlDocumentManager* documents, LPCWSTR path, ULONG_PTR reserved) override;
  int IsFilter(LPCWSTR name) override;
};

class CFreeMindItem : public CFilterLibraryItem {
 public:
  virtual ~CFreeMindItem();
  void GetFilterInfo(FilterInfo* info) override;
  int Discovery(LPCWSTR path) override;
  int ImportEx(IVtlDocumentManager* documents, LPCWSTR path, ULONG_PTR reserved) override;
  int IsFilter(LPCWSTR name) override;
};

class CXMindItem : public CFilterLibraryItem {
 public:
  virtual ~CXMindItem();
  void GetFilterInfo(FilterInfo* info) override;
  int Discovery(LPCWSTR path) override;
  int ImportEx(IVtlDocumentManager* documents, LPCWSTR path, ULONG_PTR reserved) override;
  int IsFilter(LPCWSTR name) override;
};
