#include "EditBuffer.h"

#include <utility>

namespace kx2::user32 {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

}  // namespace

size_t EditBuffer::Clamp(size_t pos) const {
  if (pos > text_.size()) pos = text_.size();
  // A caret never splits a line break.
  if (pos > 0 && pos < text_.size() && text_[pos - 1] == u'\r' && text_[pos] == u'\n') --pos;
  return pos;
}

void EditBuffer::Select(size_t anchor, size_t caret) {
  anchor_ = Clamp(anchor);
  caret_ = Clamp(caret);
}

void EditBuffer::Reset(std::u16string text) {
  text_ = std::move(text);
  anchor_ = caret_ = 0;
  modified_ = false;
  EmptyUndo();
}

void EditBuffer::Replace(const std::u16string& with, bool typing) {
  if (!(typing && typing_ && undoValid_)) {
    undoText_ = text_;
    undoAnchor_ = anchor_;
    undoCaret_ = caret_;
    undoValid_ = true;
  }
  typing_ = typing;
  const size_t start = SelStart();
  text_.replace(start, SelEnd() - start, with);
  anchor_ = caret_ = start + with.size();
  modified_ = true;
}

bool EditBuffer::Undo() {
  if (!undoValid_) return false;
  std::swap(text_, undoText_);
  std::swap(anchor_, undoAnchor_);
  std::swap(caret_, undoCaret_);
  typing_ = false;
  modified_ = true;
  return true;
}

size_t EditBuffer::WordLeft(size_t pos) const {
  pos = Clamp(pos);
  while (pos > 0 && IsBlank(text_[pos - 1])) --pos;
  while (pos > 0 && !IsBlank(text_[pos - 1])) --pos;
  return pos;
}

size_t EditBuffer::WordRight(size_t pos) const {
  pos = Clamp(pos);
  const size_t n = text_.size();
  if (pos < n && (text_[pos] == u'\r' || text_[pos] == u'\n')) {
    while (pos < n && (text_[pos] == u'\r' || text_[pos] == u'\n')) ++pos;
    return pos;
  }
  while (pos < n && !IsBlank(text_[pos])) ++pos;
  while (pos < n && (text_[pos] == u' ' || text_[pos] == u'\t')) ++pos;
  return pos;
}

void EditBuffer::WordAt(size_t pos, size_t* start, size_t* end) const {
  pos = Clamp(pos);
  size_t s = pos, e = pos;
  const size_t n = text_.size();
  if (pos < n && IsBlank(text_[pos])) {
    while (s > 0 && (text_[s - 1] == u' ' || text_[s - 1] == u'\t')) --s;
    while (e < n && (text_[e] == u' ' || text_[e] == u'\t')) ++e;
  } else {
    while (s > 0 && !IsBlank(text_[s - 1])) --s;
    while (e < n && !IsBlank(text_[e])) ++e;
  }
  *start = s;
  *end = e;
}

}  // namespace kx2::user32
