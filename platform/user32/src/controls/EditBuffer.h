// The text of an edit control with its selection, its one-step undo and its modified flag.
// Positions are UTF-16 unit indexes; the caret is the end of the selection that moves, the
// anchor the end that stays.
#pragma once

#include <cstddef>
#include <string>

namespace kx2::user32 {

class EditBuffer {
 public:
  const std::u16string& Text() const { return text_; }
  size_t Size() const { return text_.size(); }
  size_t Anchor() const { return anchor_; }
  size_t Caret() const { return caret_; }
  size_t SelStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
  size_t SelEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
  bool HasSelection() const { return anchor_ != caret_; }
  std::u16string Selected() const { return text_.substr(SelStart(), SelEnd() - SelStart()); }

  // Clamped to the text, never inside a CR LF pair.
  void Select(size_t anchor, size_t caret);
  // New text: caret at the start, no undo, not modified.
  void Reset(std::u16string text);
  // Replaces the selection and puts the caret after what went in. Typed text continues the
  // undo step of the text typed just before it; anything else starts a new one.
  void Replace(const std::u16string& with, bool typing);
  // Ends the running typed step (the caret moved).
  void BreakTyping() { typing_ = false; }

  bool CanUndo() const { return undoValid_; }
  // Swaps the text with what it was before the last step, so a second undo redoes it.
  bool Undo();
  void EmptyUndo() {
    undoValid_ = false;
    typing_ = false;
  }

  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // Word boundaries for Ctrl+arrows and double clicks: the start of the word at or before
  // pos, the end of the word (and the blanks after it) from pos.
  size_t WordLeft(size_t pos) const;
  size_t WordRight(size_t pos) const;
  // The word under pos (its start and end).
  void WordAt(size_t pos, size_t* start, size_t* end) const;

 private:
  size_t Clamp(size_t pos) const;

  std::u16string text_;
  size_t anchor_ = 0;
  size_t caret_ = 0;
  bool modified_ = false;

  std::u16string undoText_;
  size_t undoAnchor_ = 0;
  size_t undoCaret_ = 0;
  bool undoValid_ = false;
  bool typing_ = false;
};

}  // namespace kx2::user32
