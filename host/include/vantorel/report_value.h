// A small ordered value tree (null, booleans, integers, texts, arrays, objects) in which the
// host describes what a module produced, and its two printed forms: an indented tree for
// people and JSON for programs. Object members keep the order in which they were set.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <vantorel/host_export.h>

namespace vantorel {

class VANTOREL_API Value {
 public:
  enum class Kind { Null, Bool, Int, String, Array, Object };

  Value() = default;
  Value(bool b) : kind_(Kind::Bool), int_(b) {}
  Value(int v) : kind_(Kind::Int), int_(v) {}
  Value(int64_t v) : kind_(Kind::Int), int_(v) {}
  Value(const char* s) : kind_(Kind::String), text_(s) {}
  Value(std::string s) : kind_(Kind::String), text_(std::move(s)) {}
  static Value MakeArray() { return Value(Kind::Array); }
  static Value MakeObject() { return Value(Kind::Object); }

  Kind kind() const { return kind_; }
  bool boolean() const { return int_ != 0; }
  int64_t integer() const { return int_; }
  const std::string& text() const { return text_; }
  const std::vector<Value>& items() const { return items_; }
  const std::vector<std::pair<std::string, Value>>& members() const { return members_; }
  bool empty() const { return items_.empty() && members_.empty(); }

  // Object: sets a member (replacing one of the same key in place). Array: appends.
  Value& Set(const std::string& key, Value v);
  Value& Push(Value v);
  const Value* Find(const std::string& key) const;

 private:
  explicit Value(Kind k) : kind_(k) {}
  Kind kind_ = Kind::Null;
  int64_t int_ = 0;
  std::string text_;
  std::vector<Value> items_;
  std::vector<std::pair<std::string, Value>> members_;
};

// "key: value" lines, nested objects indented by two blanks, array items marked "- ".
VANTOREL_API std::string FormatTree(const Value& value);
// JSON with two-blank indentation; texts escaped as JSON requires.
VANTOREL_API std::string FormatJson(const Value& value);

}  // namespace vantorel
