// GUID helpers of the foundation library.
#pragma once

#include <basalt/export.h>

namespace Basalt::Util {

class BASALT_API UUID {
 public:
  // 1 when the two GUIDs are equal (compared as four 32-bit words), else 0.
  static int IsEqual(const GUID& a, const GUID& b) noexcept;

  // The class holds no data: assigning one to another does nothing.
  UUID& operator=(const UUID&) noexcept;
};

}  // namespace Basalt::Util
