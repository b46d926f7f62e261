#include "report/value_format.h"

namespace vantorel::detail {

ObjectWriter::ObjectWriter(std::ostream& out, bool json, int indent, bool inlineFirst)
    : out_(out), json_(json), indent_(indent), inlineFirst_(inlineFirst) {}

std::string ObjectWriter::Separator() {
  // JSON: the opening brace before the first member, a comma before every further one.
  return started_ ? ",\n" : "{\n";
}

void ObjectWriter::Put(std::string text) {
  if (!json_ && !started_ && inlineFirst_) text.erase(0, static_cast<size_t>(indent_));
  started_ = true;
  out_ << text;
}

void ObjectWriter::Member(const std::string& key, const Value& value) {
  std::string text;
  if (json_) {
    text = Separator() + std::string(indent_ + 2, ' ') + QuoteJson(key) + ": ";
    AppendJson(value, indent_ + 2, text);
  } else {
    AppendTreeMember(key, value, indent_, text);
  }
  Put(std::move(text));
}

void ObjectWriter::End() {
  if (!json_) return;
  out_ << (started_ ? "\n" + std::string(indent_, ' ') + "}" : "{}");
}

}  // namespace vantorel::detail
