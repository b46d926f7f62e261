#include "ole/cfb_model.h"

#include <algorithm>

#include "kx2/Utf.h"

namespace kx2::cfb {

std::shared_ptr<Entry> Entry::Find(std::u16string_view childName) const {
  for (const auto& child : children)
    if (CompareNames(child->name, childName) == 0) return child;
  return nullptr;
}

int Entry::Depth() const {
  int depth = 0;
  for (const Entry* e = parent; e; e = e->parent) ++depth;
  return depth;
}

void MarkRemoved(Entry& entry) {
  // Breadth first with an explicit list: the tree is bounded in depth, but not in width.
  std::vector<Entry*> pending{&entry};
  while (!pending.empty()) {
    Entry* e = pending.back();
    pending.pop_back();
    e->removed = true;
    e->parent = nullptr;  // the parent may go before objects let go of this entry
    for (const auto& child : e->children) pending.push_back(child.get());
  }
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    const char16_t x = FoldUpper16(a[i]), y = FoldUpper16(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool IsValidName(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxNameUnits) return false;
  return std::none_of(name.begin(), name.end(),
                      [](char16_t c) { return c == u'/' || c == u'\\' || c == u':' || c == u'!'; });
}

std::shared_ptr<Entry> NewRoot() {
  auto root = std::make_shared<Entry>();
  root->name = u"Root Entry";
  root->type = kTypeRoot;
  return root;
}

}  // namespace kx2::cfb
