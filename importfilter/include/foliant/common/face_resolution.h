// Font faces of imported text styles, resolved against the faces the host offers: a face
// the host's font list names exactly is kept, any other becomes the host's default face.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <vantorel/app_interfaces.h>

namespace foliant {

// Reads the host's default face (resource cache, its font settings) and its font list the
// first time a face is resolved, and keeps them for the rest of one import.
class FaceResolver {
 public:
  explicit FaceResolver(IVtlApplication* app) : app_(app) {}
  // The face itself when the host's list holds it (compared exactly), else the default
  // face (empty when the host gives none).
  std::u16string Resolve(std::u16string_view face);

 private:
  void Load();

  IVtlApplication* app_;
  bool loaded_ = false;
  std::u16string default_;
  std::vector<std::u16string> faces_;
};

// One resolution without keeping anything.
std::u16string ResolveFaceName(IVtlApplication* app, std::u16string_view face);

}  // namespace foliant
