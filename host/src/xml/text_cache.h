// Texts handed out by one XML node object.
//
// A text stays valid while the object lives: when a later read gives a different value
// under the same key, the new one is stored beside the old, which stays as it was. A node
// object is asked for few texts (a few attributes), so they are kept in order and found by
// a scan; keys are the libxml2 record a text was read from and what was read, so that
// finding one costs no conversion and no allocation. The texts themselves are laid end to
// end in a store inside the object: reading the attributes of a node takes no allocation
// unless they are long.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <vantorel/host_unknown.h>

namespace vantorel::detail {

class TextCache {
 public:
  enum What : int { kName, kValue, kText, kXml, kAttribute, kNamespace, kAttributeName };
  using Key = std::pair<const void*, int>;

  TextCache() = default;
  ~TextCache();
  TextCache(const TextCache&) = delete;
  TextCache& operator=(const TextCache&) = delete;

  LPCWSTR Keep(Key key, std::u16string_view value);
  // The same for a text as libxml2 holds it (UTF-8, null read as empty): converted straight
  // into the store when it is new, compared without a copy when it is read again.
  LPCWSTR KeepXml(Key key, const xmlChar* text);

 private:
  struct Entry {
    Key key;
    const char16_t* text;
    size_t size;
  };
  static constexpr size_t kInlineEntries = 4;
  static constexpr size_t kInlineUnits = 120;

  // The entry kept under `key`, or null.
  Entry* Find(Key key);
  Entry& Add(Key key);
  // Room for `units` code units and a terminator that never moves while the cache lives.
  char16_t* Allocate(size_t units);
  LPCWSTR Store(Entry& entry, std::u16string_view value);

  Entry first_[kInlineEntries];
  size_t used_ = 0;
  std::vector<Entry> more_;
  size_t inlineUsed_ = 0;
  struct Spilled {
    char16_t* block;
    size_t units;
  };
  std::vector<Spilled> spilled_;  // texts too long for the inline room
  char16_t inline_[kInlineUnits];
};

}  // namespace vantorel::detail
