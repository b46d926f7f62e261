#include <foliant/import_base.h>

#include <basalt/string_util.h>

namespace {

using Basalt::Util::StringUtil;

bool IsEmpty(LPCWSTR text) { return !text || !*text; }

// "true"/"TRUE" -> 1, "false"/"FALSE" -> 0, anything else -> -1.
int TruthOf(LPCWSTR text) {
  std::u16string_view t = text ? text : u"";
  if (t == u"true" || t == u"TRUE") return 1;
  if (t == u"false" || t == u"FALSE") return 0;
  return -1;
}

IKX2XMLElement* AsElement(IKX2XMLNode* node) {
  return node && node->GetNodeType() == KX2XML_ELEMENT ? dynamic_cast<IKX2XMLElement*>(node) : nullptr;
}

}  // namespace

ImportBase::~ImportBase() {
  // Paths an importer left held are released with the context.
  while (!held_.empty()) ReleasePath(held_.begin()->first);
}

void ImportBase::SetNamespace(LONG flag, LPCWSTR prefix) {
  namespaceFlag_ = flag;
  prefix_ = prefix ? std::u16string(prefix).substr(0, 259) : std::u16string();
}

LPCWSTR ImportBase::GetAttributeText(IKX2XMLElement* element, LPCWSTR name) {
  if (!element || !name) return nullptr;
  if (namespaceFlag_ && !prefix_.empty()) return element->GetAttributeNS(u"", name);
  return element->GetAttribute(name);
}

bool ImportBase::GetChildElementText(IKX2XMLElement* element, LPCWSTR name, std::u16string* text) {
  IKX2XMLNodeList* list = nullptr;
  IKX2XMLElement* child = FirstChildNamed(element, name, &list);
  if (list) list->Release();
  if (!child) return false;
  if (text) {
    LPCWSTR t = child->GetText();
    *text = t ? t : u"";
  }
  child->Release();
  return true;
}

bool ImportBase::GetAttributeLong(IKX2XMLElement* element, LPCWSTR name, LONG* value) {
  if (value) *value = 0;
  LPCWSTR text = element && name ? element->GetAttribute(name) : nullptr;
  if (IsEmpty(text)) return false;
  if (value) *value = StringUtil::atol_fmt(text);
  return true;
}

bool ImportBase::GetAttributeBool(IKX2XMLElement* element, LPCWSTR name, bool* value) {
  if (value) *value = false;
  LPCWSTR text = element && name ? element->GetAttribute(name) : nullptr;
  const int truth = IsEmpty(text) ? -1 : TruthOf(text);
  if (truth < 0) return false;
  if (value) *value = truth == 1;
  return true;
}

bool ImportBase::GetAttributeDouble(IKX2XMLElement* element, LPCWSTR attribute, double* value) {
  if (value) *value = 0.0;
  LPCWSTR text = element && attribute ? element->GetAttribute(attribute) : nullptr;
  if (IsEmpty(text)) return false;
  if (value) *value = StringUtil::atof_fmt(text);
  return true;
}

IKX2XMLElement* ImportBase::SetCurrentElement(IKX2XMLElement* element) {
  IKX2XMLElement* previous = current_;
  current_ = element;
  return previous;
}

IKX2XMLElement* ImportBase::FirstChildNamed(IKX2XMLElement* element, LPCWSTR name, IKX2XMLNodeList** list) {
  *list = nullptr;
  if (!element || !name) return nullptr;
  *list = element->GetChildren(name);
  if (!*list || (*list)->GetCount() < 1) return nullptr;
  IKX2XMLNode* item = (*list)->GetItem(0);
  IKX2XMLElement* child = AsElement(item);
  if (!child && item) item->Release();
  return child;
}

std::optional<std::u16string> ImportBase::GetChildAttributeText(IKX2XMLElement* element, LPCWSTR child,
                                                                LPCWSTR attribute) {
  IKX2XMLNodeList* list = nullptr;
  IKX2XMLElement* found = FirstChildNamed(element, child, &list);
  if (list) list->Release();
  if (!found) return std::nullopt;
  std::optional<std::u16string> result;
  if (LPCWSTR text = GetAttributeText(found, attribute)) result = std::u16string(text);
  found->Release();
  return result;
}

bool ImportBase::GetChildAttributeLong(IKX2XMLElement* element, LPCWSTR child, LPCWSTR attribute, LONG* value) {
  IKX2XMLNodeList* list = nullptr;
  IKX2XMLElement* found = FirstChildNamed(element, child, &list);
  if (list) list->Release();
  if (!found) return false;
  LPCWSTR text = GetAttributeText(found, attribute);
  bool ok = !IsEmpty(text);
  if (value) *value = ok ? StringUtil::atol_fmt(text) : 0;
  found->Release();
  return ok;
}

bool ImportBase::GetChildAttributeBool(IKX2XMLElement* element, LPCWSTR child, LPCWSTR attribute, bool* value) {
  IKX2XMLNodeList* list = nullptr;
  IKX2XMLElement* found = FirstChildNamed(element, child, &list);
  if (list) list->Release();
  if (!found) return false;
  LPCWSTR text = GetAttributeText(found, attribute);
  const int truth = IsEmpty(text) ? -1 : TruthOf(text);
  if (value) *value = truth == 1;
  found->Release();
  return truth >= 0;
}

IKX2XMLElement* ImportBase::FindChildElementByName(IKX2XMLElement* element, LPCWSTR name) {
  if (!element || !name) return nullptr;
  IKX2XMLNode* node = element->GetFirstChild();
  while (node) {
    if (IKX2XMLElement* e = AsElement(node)) {
      LPCWSTR tag = e->GetTagName();
      if (tag && std::u16string_view(tag) == name) return e;
    }
    IKX2XMLNode* next = node->GetNextSibling();
    node->Release();
    node = next;
  }
  return nullptr;
}

IKX2XMLElement* ImportBase::FindNextSiblingElementByName(IKX2XMLNode* start, LPCWSTR name) {
  if (!start || !name) return nullptr;
  IKX2XMLNode* node = start->GetNextSibling();
  while (node) {
    if (IKX2XMLElement* e = AsElement(node)) {
      LPCWSTR tag = e->GetTagName();
      if (tag && std::u16string_view(tag) == name) return e;
    }
    IKX2XMLNode* next = node->GetNextSibling();
    node->Release();
    node = next;
  }
  return nullptr;
}

IKX2XMLElement* ImportBase::FindElementByPath(IKX2XMLElement* element, std::initializer_list<LPCWSTR> names,
                                              int* handle) {
  return FindElementByPath(element, std::vector<LPCWSTR>(names), handle);
}

IKX2XMLElement* ImportBase::FindElementByPath(IKX2XMLElement* element, const std::vector<LPCWSTR>& names, int* handle) {
  if (handle) *handle = nextHandle_;
  if (!element) return nullptr;
  std::vector<IVtlUnknown*> hold;
  auto drop = [&hold] {
    for (auto it = hold.rbegin(); it != hold.rend(); ++it) (*it)->Release();
  };
  IKX2XMLElement* at = element;
  for (LPCWSTR name : names) {
    IKX2XMLNodeList* list = nullptr;
    IKX2XMLElement* child = FirstChildNamed(at, name, &list);
    if (list) hold.push_back(list);
    if (!child) {
      drop();
      return nullptr;
    }
    hold.push_back(child);
    at = child;
  }
  // Each path keeps its own handle, so that paths held at the same time are each released
  // exactly once.
  held_[nextHandle_++] = std::move(hold);
  return at;
}

int ImportBase::ReleasePath(int handle) {
  auto it = held_.find(handle);
  if (it == held_.end()) return 0;
  std::vector<IVtlUnknown*> hold = std::move(it->second);
  held_.erase(it);
  for (auto r = hold.rbegin(); r != hold.rend(); ++r) (*r)->Release();
  return 1;
}
