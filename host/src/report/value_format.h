// The pieces of the two printed forms of a Value, for writers that print a large value
// piece by piece instead of building it whole.
#pragma once

#include <ostream>
#include <string>

#include <vantorel/report_value.h>

namespace vantorel::detail {

// A JSON string literal.
std::string QuoteJson(const std::string& text);
// The JSON form of a value whose own line is indented by `indent`.
void AppendJson(const Value& value, int indent, std::string& out);
// "key: value" of the tree form at `indent`, nested lines below it.
void AppendTreeMember(const std::string& key, const Value& value, int indent, std::string& out);

// Writes one non-empty object member by member, in exactly the text FormatJson and
// FormatTree give for the whole object. `inlineFirst`: the object is an item of an array
// in the tree form, whose first line follows the item's dash.
class ObjectWriter {
 public:
  ObjectWriter(std::ostream& out, bool json, int indent, bool inlineFirst = false);
  void Member(const std::string& key, const Value& value);
  // A member whose value is a non-empty object: `write(writer)` writes its members and
  // must call End on the writer.
  template <class WriteObject>
  void ObjectMember(const std::string& key, WriteObject write) {
    if (json_) {
      Put(Separator() + std::string(indent_ + 2, ' ') + QuoteJson(key) + ": ");
    } else {
      Put(std::string(indent_, ' ') + key + ":\n");
    }
    ObjectWriter writer(out_, json_, indent_ + 2);
    write(writer);
  }
  // A member whose value is a non-empty array of non-empty objects: `item(writer, i)` is
  // called for i from 0 to count - 1 with the writer of each item object, and must call
  // End on it.
  template <class WriteItem>
  void ArrayOfObjects(const std::string& key, size_t count, WriteItem item) {
    std::string head;
    if (json_) {
      head = Separator() + std::string(indent_ + 2, ' ') + QuoteJson(key) + ": [\n";
    } else {
      head = std::string(indent_, ' ') + key + ":\n";
    }
    Put(std::move(head));
    for (size_t i = 0; i < count; ++i) {
      if (json_) {
        out_ << (i ? ",\n" : "") << std::string(indent_ + 4, ' ');
      } else {
        out_ << std::string(indent_ + 2, ' ') << "- ";
      }
      ObjectWriter writer(out_, json_, indent_ + 4, !json_);
      item(writer, i);
    }
    if (json_) out_ << "\n" << std::string(indent_ + 2, ' ') << "]";
  }
  // Closes the object.
  void End();

 private:
  std::string Separator();
  // Writes a piece of the object's text; the first line of an inline item loses its indent.
  void Put(std::string text);

  std::ostream& out_;
  bool json_;
  int indent_;
  bool inlineFirst_;
  bool started_ = false;
};

}  // namespace vantorel::detail
