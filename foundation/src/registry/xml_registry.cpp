// The XML settings store. See basalt/xml_registry.h.
#include <basalt/xml_registry.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include <basalt/path_util.h>

#include <win/fileapi.h>

#include "setting_text.h"
#include "settings_file_lock.h"

namespace Basalt {

using XMLDom::XMLNode;

namespace {

constexpr size_t kMaxKeyNameUnits = 255;

const char16_t* FileText(int root) {
  switch (root) {
    case HROOT_XMLREGISTRY:
      return u"${ProgramInfo}\\XMLRegistry.xml";
    case HROOT_XMLUSERREGISTRY:
      return u"${ProgramInfo}\\XMLUserRegistry.xml";
    case HROOT_XML3RDREGISTRY:
      return u"${ProgramInfo}\\XML3rdRegistry.xml";
    default:
      return nullptr;
  }
}

bool IsKey(const XMLNode* n) {
  const char16_t* v = n->GetAttrValue(u"IsKey");
  return v && std::u16string_view(v) == u"TRUE";
}

bool IsWithin(const XMLNode* node, const XMLNode* branch) {
  for (const XMLNode* n = node; n; n = n->parent)
    if (n == branch) return true;
  return false;
}

// Child positions from the root of a tree down to node (empty for the root itself or
// for a node outside the tree).
std::vector<size_t> PathTo(const XMLNode* root, const XMLNode* node) {
  std::vector<size_t> path;
  for (const XMLNode* n = node; n && n != root; n = n->parent) {
    if (!n->parent) return {};
    const auto& kids = n->parent->children;
    for (size_t i = 0; i < kids.size(); ++i)
      if (kids[i] == n) path.insert(path.begin(), i);
  }
  return path;
}

XMLNode* Follow(XMLNode* root, const std::vector<size_t>& path) {
  XMLNode* n = root;
  for (size_t i : path) n = n->GetChild(static_cast<unsigned>(i));
  return n;
}

// The key the names lead to from top, one name per level, taking at each level the first
// child of that name that is a key; with `create`, a missing level is appended as the
// last child (*created tells). Null when a level is missing and not created.
XMLNode* FindKey(XMLNode* top, const std::vector<std::u16string>& names, bool create, bool* created) {
  XMLNode* node = top;
  for (const std::u16string& name : names) {
    XMLNode* next = nullptr;
    for (XMLNode* c : node->children) {
      if (c->name == name && IsKey(c)) {
        next = c;
        break;
      }
    }
    if (!next) {
      if (!create) return nullptr;
      next = node->AppendChild(name.c_str(), u"");
      if (!next || !next->AppendAttr(u"IsKey", u"TRUE")) {
        if (next) node->RemoveChild(next);
        return nullptr;
      }
      if (created) *created = true;
    }
    node = next;
  }
  return node;
}

// The key's first child of that name that is not a key gets the text; without one, a new
// value element is appended.
bool StoreText(XMLNode* key, const char16_t* name, const std::u16string& text) {
  for (XMLNode* c : key->children) {
    if (c->name == std::u16string_view(name) && !IsKey(c)) {
      c->value.assign(text.data(), text.size());
      return true;
    }
  }
  return key->AppendChild(name, text.c_str()) != nullptr;
}

// Copies name with its terminator into buffer[size]; false when it does not fit.
bool CopyName(const XMLDom::XmlString& name, char16_t* buffer, int size) {
  if (!buffer || size <= 0 || name.size() + 1 > static_cast<size_t>(size)) return false;
  std::memcpy(buffer, name.data(), name.size() * sizeof(char16_t));
  buffer[name.size()] = 0;
  return true;
}

}  // namespace

XMLRegistry::XMLRegistry() = default;

XMLRegistry::XMLRegistry(const char16_t* path, HROOT_KEY r) { SetXMLKey(path, r); }

XMLRegistry::XMLRegistry(const XMLRegistry& other)
    : dirty(other.dirty),
      root(other.root),
      filePath(other.filePath),
      tree(other.tree),
      keyNames(other.keyNames),
      keyPath(other.keyPath),
      subkeyIndex(other.subkeyIndex),
      entryIndex(other.entryIndex),
      changes_(other.changes_) {
  // The copy's places are found again in its own tree.
  if (other.keyNode) keyNode = Follow(&tree, PathTo(&other.tree, other.keyNode));
  if (other.enumNode) enumNode = Follow(&tree, PathTo(&other.tree, other.enumNode));
}

XMLRegistry& XMLRegistry::operator=(const XMLRegistry& other) {
  if (this == &other) return *this;
  dirty = other.dirty;
  root = other.root;
  filePath = other.filePath;
  tree = other.tree;
  keyNames = other.keyNames;
  keyPath = other.keyPath;
  subkeyIndex = other.subkeyIndex;
  entryIndex = other.entryIndex;
  changes_ = other.changes_;
  keyNode = other.keyNode ? Follow(&tree, PathTo(&other.tree, other.keyNode)) : nullptr;
  enumNode = other.enumNode ? Follow(&tree, PathTo(&other.tree, other.enumNode)) : nullptr;
  return *this;
}

XMLRegistry::~XMLRegistry() {
  try {
    ExistKey();
  } catch (...) {}
}

std::vector<std::u16string> XMLRegistry::_SplitNodeToString(const char16_t* path) {
  std::vector<std::u16string> names;
  if (!path) return names;
  std::u16string running;
  for (const char16_t* p = path; *p; ++p) {
    if (*p != u'\\') {
      if (running.size() < kMaxKeyNameUnits) running += *p;
      continue;
    }
    // A leading backslash would name an element with no name, which the file cannot hold.
    if (!running.empty()) names.push_back(running);
  }
  if (!running.empty()) names.push_back(running);
  return names;
}

XMLNode* XMLRegistry::_FindSubKeyNode(const std::vector<std::u16string>& names, bool create) {
  return FindKey(&tree, names, create, nullptr);
}

void XMLRegistry::Record(Change::Kind kind, const std::vector<std::u16string>& names, const char16_t* name,
                         const std::u16string& text) {
  if (kind == Change::kValue) {
    // A value written again since the last save (and not deleted since) keeps one change.
    for (auto c = changes_.rbegin(); c != changes_.rend(); ++c) {
      if (c->kind == Change::kDeleteEntry || c->kind == Change::kDeleteKey) break;
      if (c->kind == Change::kValue && c->name == name && c->keyNames == names) {
        c->text = text;
        return;
      }
    }
  }
  changes_.push_back(Change{kind, names, name ? std::u16string(name) : std::u16string(), text});
}

XMLNode* XMLRegistry::_GetChild(const char16_t* name) const {
  return keyNode && name ? keyNode->GetChild(name) : nullptr;
}

int XMLRegistry::SetXMLKey(const char16_t* path, HROOT_KEY r) {
  try {
    const char16_t* fileText = FileText(r);
    if (!fileText) {
      root = r;
      keyPath = path ? path : u"";
      return 0;
    }
    char16_t expanded[MAX_PATH] = {};
    Util::PathUtil::_PathToAbsolute(fileText, expanded);
    expanded[MAX_PATH - 1] = 0;
    if (!expanded[0]) return 0;

    if (!tree.name.empty() && filePath != expanded) {
      // Another file: what changed goes to the file it came from, then the tree is read anew.
      if (!ExistKey()) return 0;
      tree.Close();
      tree.name.clear();
      tree.value.clear();
      keyNode = enumNode = nullptr;
    }
    root = r;
    keyPath = path ? path : u"";
    filePath = expanded;
    keyNames = _SplitNodeToString(path);
    enumNode = nullptr;
    subkeyIndex = entryIndex = 0;

    if (tree.name.empty()) {
      tree.LoadFile(filePath.c_str());
      if (tree.name.empty()) {
        tree.Close();
        tree.name = u"XMLRegistry";
      }
    }
    bool created = false;
    keyNode = FindKey(&tree, keyNames, true, &created);
    // Made here, the key is part of what a later save writes, as in the tree.
    if (keyNode && created) Record(Change::kKey, keyNames, nullptr, std::u16string());
    return keyNode ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// --- Reading -----------------------------------------------------------------------------

int XMLRegistry::GetWordValue(const char16_t* name, unsigned short* value) {
  XMLNode* c = _GetChild(name);
  if (!c || !value) return 0;
  *value = static_cast<unsigned short>(Registry::ParseNumber(c->value.c_str()));
  return 1;
}

int XMLRegistry::GetDwordValue(const char16_t* name, uint32_t* value) {
  XMLNode* c = _GetChild(name);
  if (!c || !value) return 0;
  *value = static_cast<uint32_t>(Registry::ParseNumber(c->value.c_str()));
  return 1;
}

int XMLRegistry::GetQwordValue(const char16_t* name, uint64_t* value) {
  XMLNode* c = _GetChild(name);
  if (!c || !value) return 0;
  *value = Registry::ParseNumber(c->value.c_str());
  return 1;
}

int XMLRegistry::GetStringValue(const char16_t* name, char16_t* buffer, int size) {
  XMLNode* c = _GetChild(name);
  if (!c) return 0;
  return CopyName(c->value, buffer, size) ? 1 : 0;
}

int XMLRegistry::GetStringValue(const char16_t* name, std::u16string& out) {
  XMLNode* c = _GetChild(name);
  if (!c || c->value.empty()) return 0;
  try {
    out.assign(c->value.data(), c->value.size());
  } catch (...) {
    return 0;
  }
  return 1;
}

int XMLRegistry::GetBinaryValue(const char16_t* name, unsigned char** data, unsigned* size) {
  XMLNode* c = _GetChild(name);
  if (!c || !data || !size) return 0;
  unsigned char* bytes = nullptr;
  unsigned n = Registry::DecodeBinary(c->value.c_str(), &bytes);
  if (!*data) {
    *data = bytes;
    *size = n;
    return n != 0;
  }
  if (n > *size) {
    std::free(bytes);
    *size = n;
    return 0;
  }
  if (n) std::memcpy(*data, bytes, n);
  std::free(bytes);
  *size = n;
  return n != 0;
}

int XMLRegistry::GetBinaryValue(const char16_t* name, unsigned char* buffer, unsigned* size) {
  if (!buffer) return 0;
  return GetBinaryValue(name, &buffer, size);
}

// --- Writing -----------------------------------------------------------------------------

int XMLRegistry::StoreValue(const char16_t* name, const std::u16string& text) {
  if (!keyNode || !name) return 0;
  Record(Change::kValue, keyNames, name, text);
  if (!StoreText(keyNode, name, text)) return 0;
  dirty = 1;
  return 1;
}

int XMLRegistry::WriteWordValue(const char16_t* name, unsigned short value) {
  try {
    return StoreValue(name, Registry::UnsignedText(value));
  } catch (...) {
    return 0;
  }
}

int XMLRegistry::WriteDwordValue(const char16_t* name, uint32_t value) {
  try {
    return StoreValue(name, Registry::SignedText(static_cast<int32_t>(value)));
  } catch (...) {
    return 0;
  }
}

int XMLRegistry::WriteQwordValue(const char16_t* name, uint64_t value) {
  try {
    return StoreValue(name, Registry::UnsignedText(value));
  } catch (...) {
    return 0;
  }
}

int XMLRegistry::WriteStringValue(const char16_t* name, const char16_t* text) {
  try {
    return StoreValue(name, text ? std::u16string(text) : std::u16string());
  } catch (...) {
    return 0;
  }
}

int XMLRegistry::WriteBinaryValue(const char16_t* name, const unsigned char* bytes, unsigned size) {
  try {
    std::u16string text;
    if (!Registry::EncodeBinary(bytes, size, text)) return 0;
    return StoreValue(name, text);
  } catch (...) {
    return 0;
  }
}

// --- Deleting ----------------------------------------------------------------------------

// The current and enumerated keys must not point into a branch about to be freed.
void XMLRegistry::Forget(const XMLNode* removed) {
  if (keyNode && IsWithin(keyNode, removed)) keyNode = nullptr;
  if (enumNode && IsWithin(enumNode, removed)) enumNode = nullptr;
  if (!removed->parent) return;
  const auto& kids = removed->parent->children;
  size_t index = 0;
  while (index < kids.size() && kids[index] != removed) ++index;
  // Enumeration positions after the removed child move up with it.
  if (removed->parent == keyNode && index < subkeyIndex) --subkeyIndex;
  if (removed->parent == enumNode && index < entryIndex) --entryIndex;
}

int XMLRegistry::DeleteEntry(const char16_t* name) {
  XMLNode* c = _GetChild(name);
  if (!c) return 0;
  try {
    Record(Change::kDeleteEntry, keyNames, name, std::u16string());
  } catch (...) {
    return 0;
  }
  Forget(c);
  c->parent->RemoveChild(c);
  dirty = 1;
  return 1;
}

int XMLRegistry::DeleteEntry(const char16_t* path, const char16_t* name) {
  try {
    const std::vector<std::u16string> names = _SplitNodeToString(path);
    XMLNode* key = _FindSubKeyNode(names, false);
    XMLNode* c = key && name ? key->GetChild(name) : nullptr;
    if (!c) return 0;
    Record(Change::kDeleteEntry, names, name, std::u16string());
    Forget(c);
    key->RemoveChild(c);
    dirty = 1;
    return 1;
  } catch (...) {
    return 0;
  }
}

int XMLRegistry::DeleteKey(const char16_t* path) {
  try {
    std::vector<std::u16string> names = _SplitNodeToString(path);
    if (names.empty()) return 0;  // the root element stays
    XMLNode* key = _FindSubKeyNode(names, false);
    if (!key || !key->parent) return 0;
    Record(Change::kDeleteKey, names, nullptr, std::u16string());
    Forget(key);
    key->parent->RemoveChild(key);
    dirty = 1;
    return 1;
  } catch (...) {
    return 0;
  }
}

// --- Enumeration -------------------------------------------------------------------------

int XMLRegistry::InitEnumeration() {
  if (!keyNode || keyNode->children.empty()) return 0;
  enumNode = keyNode;
  subkeyIndex = entryIndex = 0;
  return 1;
}

int XMLRegistry::GetNextSubkeyName(char16_t* buffer, int size) {
  if (!keyNode) return 0;
  const auto& kids = keyNode->children;
  for (size_t i = subkeyIndex; i < kids.size(); ++i) {
    if (!IsKey(kids[i])) continue;
    if (!CopyName(kids[i]->name, buffer, size)) return 0;
    enumNode = kids[i];
    entryIndex = 0;
    subkeyIndex = static_cast<uint32_t>(i + 1);
    return 1;
  }
  subkeyIndex = static_cast<uint32_t>(kids.size());
  enumNode = nullptr;
  return 0;
}

int XMLRegistry::GetNextEntryName(char16_t* buffer, int size) {
  if (!enumNode) return 0;
  const auto& kids = enumNode->children;
  for (size_t i = entryIndex; i < kids.size(); ++i) {
    if (IsKey(kids[i])) continue;
    if (!CopyName(kids[i]->name, buffer, size)) return 0;
    entryIndex = static_cast<uint32_t>(i + 1);
    return 1;
  }
  entryIndex = static_cast<uint32_t>(kids.size());
  return 0;
}

// --- Saving ------------------------------------------------------------------------------

int XMLRegistry::ExistKey() {
  if (!dirty) return 1;
  try {
    if (filePath.empty() || !SaveChanges()) return 0;  // stays changed: a later save may succeed
  } catch (...) {
    return 0;
  }
  dirty = 0;
  return 1;
}

int XMLRegistry::SaveChanges() {
  Registry::SettingsFileLock lock(filePath);
  if (!lock.Held()) return 0;
  Registry::RemoveAbandonedSaves(filePath);
  // What other instances saved since this one read the file stays: this instance's
  // changes are written onto the file as it is now.
  XMLNode current;
  const XMLNode* result = &current;
  if (current.LoadFile(filePath.c_str()) || GetFileAttributesW(filePath.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (current.name.empty()) {
      current.Close();
      current.name = u"XMLRegistry";
    }
    for (const Change& change : changes_) {
      const bool create = change.kind == Change::kKey || change.kind == Change::kValue;
      XMLNode* key = FindKey(&current, change.keyNames, create, nullptr);
      if (!key) continue;
      if (change.kind == Change::kValue) {
        if (!StoreText(key, change.name.c_str(), change.text)) return 0;
      } else if (change.kind == Change::kDeleteEntry) {
        if (XMLNode* c = key->GetChild(change.name.c_str())) key->RemoveChild(c);
      } else if (change.kind == Change::kDeleteKey) {
        if (!change.keyNames.empty() && key->parent) key->parent->RemoveChild(key);
      }
    }
  } else {
    // A file that no longer reads whole cannot take changes: it gets this instance's tree.
    result = &tree;
  }
  if (!result->SaveFile(filePath.c_str())) return 0;
  changes_.clear();
  return 1;
}

}  // namespace Basalt
