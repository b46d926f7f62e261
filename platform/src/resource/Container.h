// Private: a resource container read into memory and checked as a whole (see
// kx2/ResourceContainer.h for the format). A container that passes Parse() can be read
// anywhere without further checks; one that does not is refused entirely.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "win/types.h"

namespace kx2::rsrc {

// A resource type or name: a number (text empty) or an upper-cased text (id 0).
struct ResName {
  uint16_t id = 0;
  std::u16string text;

  bool IsNumber() const { return text.empty(); }
  // What enumeration callbacks receive: MAKEINTRESOURCE(id) or the terminated text.
  LPWSTR AsParam() const {
    return IsNumber() ? reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(id)) : const_cast<LPWSTR>(text.c_str());
  }
};
// Order of enumeration, as Win32 gives it: named entries first by text, then numbers.
bool operator<(const ResName& a, const ResName& b);
bool operator==(const ResName& a, const ResName& b);

// Reads a type or name argument: MAKEINTRESOURCE, "#123", or a text compared without
// regard to case. False for a null pointer, id 0, "#" without digits or an over-long text.
bool ParseResName(LPCWSTR arg, ResName* out);

struct Entry {
  ResName type;
  ResName name;
  uint16_t language = 0;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};

// Exported as a test seam: the fuzz target parses containers directly.
class KX2_API Container {
 public:
  // Checks and indexes the bytes; nullptr when they are not a well-formed container.
  static std::unique_ptr<Container> Parse(std::vector<uint8_t> bytes);
  // Reads and parses a file; nullptr with *error (ERROR_FILE_NOT_FOUND, ERROR_BAD_EXE_FORMAT ...).
  static std::unique_ptr<Container> Load(const std::string& path, DWORD* error);
  // True when the file begins with the container's magic.
  static bool LooksLikeContainer(const std::string& path);

  // Entries sorted by type, name, language (the enumeration order).
  const std::vector<Entry>& Entries() const { return entries_; }
  const Entry* Find(const ResName& type, const ResName& name, uint16_t language) const;
  // The entry for a language request: an exact match, or for a neutral request (0) the
  // best of those present (neutral, the preferred language, its primary language,
  // US English, any English, then the first).
  const Entry* Select(const ResName& type, const ResName& name, uint16_t language, uint16_t preferred) const;
  bool HasType(const ResName& type) const;
  bool HasName(const ResName& type, const ResName& name) const;
  bool Owns(const Entry* e) const { return e >= entries_.data() && e < entries_.data() + entries_.size(); }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<Entry> entries_;
};

}  // namespace kx2::rsrc
