// String resources of a module and the user's language.
#pragma once

#include <basalt/export.h>

struct tagModuleInfo;

namespace Basalt::Util {

class BASALT_API Resource {
 public:
  // String id of module's string table into out[size] (cut to size - 1 units, "/uXXXX"
  // escapes replaced); the resulting length, 0 with an empty out when there is no string.
  static int _LoadString(HINSTANCE module, unsigned int id, char16_t* out, int size);
  // From the module's language resource module, else from its own instance.
  static int _LoadStringEx(tagModuleInfo* module, unsigned int id, char16_t* out, int size);
  // The "Language" setting of "VTL\Option" (1033 until one has been read).
  static DWORD _GetUserLCID();
  static DWORD _GetUserDefaultLCID();
};

}  // namespace Basalt::Util
