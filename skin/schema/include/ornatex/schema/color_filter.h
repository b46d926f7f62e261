// The skin's colour filters: applied in order to every colour the skin yields (property
// colours, default metric colours, the pixels of skin images). The skin manager owns the
// list.
#pragma once

#include <memory>
#include <vector>

#include <win/types.h>

#include "ornatex/export.h"

class ORNATEX_API CKtkSkinManagerColorFilter {
 public:
  virtual ~CKtkSkinManagerColorFilter() = default;
  // Changes one colour (0x00BBGGRR) in place.
  virtual void ApplyColorFilter(COLORREF& color) = 0;
};

class ORNATEX_API CKtkSkinColorFilters {
 public:
  void Add(std::unique_ptr<CKtkSkinManagerColorFilter> filter) { filters_.push_back(std::move(filter)); }
  void RemoveAll() { filters_.clear(); }
  bool IsEmpty() const { return filters_.empty(); }
  void Apply(COLORREF& color) const {
    for (const auto& f : filters_) f->ApplyColorFilter(color);
  }

 private:
  std::vector<std::unique_ptr<CKtkSkinManagerColorFilter>> filters_;
};
