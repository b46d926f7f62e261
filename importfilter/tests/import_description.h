// Reading what `vantorel::DescribeDocuments` says about an imported document: the
// helpers every importer's tests use.
#pragma once

#include <initializer_list>
#include <string>

#include <vantorel/host_api.h>

namespace import_test {

using vantorel::Value;

// Reading the description.
inline const Value* Member(const Value* v, const char* key) { return v ? v->Find(key) : nullptr; }
inline std::string Text(const Value* v) { return v && v->kind() == Value::Kind::String ? v->text() : std::string(); }
inline int64_t Int(const Value* v) { return v && v->kind() == Value::Kind::Int ? v->integer() : -999; }
inline const Value* Item(const Value* v, size_t i) { return v && i < v->items().size() ? &v->items()[i] : nullptr; }
inline size_t Count(const Value* v) { return v ? v->items().size() : 0; }

// The topic reached from the central topic by child indexes.
inline const Value* TopicAt(const Value& document, std::initializer_list<size_t> path) {
  const Value* topic = Member(&document, "topic");
  for (size_t i : path) topic = Item(Member(topic, "children"), i);
  return topic;
}

// The n-th object attached to a topic under a role ("marker", "hyperlink" ...).
inline const Value* Attached(const Value* topic, const char* role, size_t n = 0) {
  const Value* list = Member(topic, "attached");
  for (size_t i = 0; list && i < list->items().size(); ++i)
    if (Text(Member(&list->items()[i], "role")) == role && n-- == 0) return &list->items()[i];
  return nullptr;
}

inline size_t CountAttached(const Value* topic, const char* role) {
  size_t n = 0;
  while (Attached(topic, role, n)) ++n;
  return n;
}

}  // namespace import_test
