#include <vantorel/report_value.h>

#include "report/value_format.h"

#include <cstdio>

namespace vantorel {

Value& Value::Set(const std::string& key, Value v) {
  kind_ = Kind::Object;
  for (auto& [k, existing] : members_)
    if (k == key) return existing = std::move(v);
  members_.emplace_back(key, std::move(v));
  return members_.back().second;
}

Value& Value::Push(Value v) {
  kind_ = Kind::Array;
  items_.push_back(std::move(v));
  return items_.back();
}

const Value* Value::Find(const std::string& key) const {
  for (const auto& [k, v] : members_)
    if (k == key) return &v;
  return nullptr;
}

namespace {

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Scalar(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Null:
      return "null";
    case Value::Kind::Bool:
      return v.boolean() ? "true" : "false";
    case Value::Kind::Int:
      return std::to_string(v.integer());
    case Value::Kind::String:
      return Quote(v.text());
    case Value::Kind::Array:
      return "[]";
    case Value::Kind::Object:
      return "{}";
  }
  return "null";
}

bool IsScalar(const Value& v) {
  return (v.kind() != Value::Kind::Array && v.kind() != Value::Kind::Object) || v.empty();
}

bool AllScalars(const Value& array) {
  for (const Value& item : array.items())
    if (!IsScalar(item)) return false;
  return true;
}

void Tree(const Value& v, int indent, std::string& out);

void TreeMember(const std::string& key, const Value& v, int indent, std::string& out) {
  std::string pad(indent, ' ');
  if (IsScalar(v)) {
    out += pad + key + ": " + Scalar(v) + "\n";
  } else if (v.kind() == Value::Kind::Array && AllScalars(v)) {
    out += pad + key + ": [";
    for (size_t i = 0; i < v.items().size(); ++i) out += (i ? ", " : "") + Scalar(v.items()[i]);
    out += "]\n";
  } else {
    out += pad + key + ":\n";
    Tree(v, indent + 2, out);
  }
}

void Tree(const Value& v, int indent, std::string& out) {
  std::string pad(indent, ' ');
  if (v.kind() == Value::Kind::Object) {
    for (const auto& [k, m] : v.members()) TreeMember(k, m, indent, out);
  } else if (v.kind() == Value::Kind::Array) {
    for (const Value& item : v.items()) {
      if (IsScalar(item)) {
        out += pad + "- " + Scalar(item) + "\n";
      } else {
        // The first line of the item goes after the dash; the rest lines up below it.
        std::string inner;
        Tree(item, indent + 2, inner);
        out += pad + "- " + inner.substr(indent + 2);
      }
    }
  } else {
    out += pad + Scalar(v) + "\n";
  }
}

void Json(const Value& v, int indent, std::string& out) {
  std::string pad(indent, ' '), inner(indent + 2, ' ');
  if (v.kind() == Value::Kind::Object && !v.empty()) {
    out += "{\n";
    for (size_t i = 0; i < v.members().size(); ++i) {
      out += inner + Quote(v.members()[i].first) + ": ";
      Json(v.members()[i].second, indent + 2, out);
      out += i + 1 < v.members().size() ? ",\n" : "\n";
    }
    out += pad + "}";
  } else if (v.kind() == Value::Kind::Array && !v.empty()) {
    out += "[\n";
    for (size_t i = 0; i < v.items().size(); ++i) {
      out += inner;
      Json(v.items()[i], indent + 2, out);
      out += i + 1 < v.items().size() ? ",\n" : "\n";
    }
    out += pad + "]";
  } else {
    out += Scalar(v);
  }
}

}  // namespace

namespace detail {

std::string QuoteJson(const std::string& text) { return Quote(text); }
void AppendJson(const Value& value, int indent, std::string& out) { Json(value, indent, out); }
void AppendTreeMember(const std::string& key, const Value& value, int indent, std::string& out) {
  TreeMember(key, value, indent, out);
}

}  // namespace detail

std::string FormatTree(const Value& value) {
  std::string out;
  Tree(value, 0, out);
  return out;
}

std::string FormatJson(const Value& value) {
  std::string out;
  Json(value, 0, out);
  return out + "\n";
}

}  // namespace vantorel
