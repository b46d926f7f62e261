// The lines of an edit control's text and the pixel position of every character in them.
// A multi-line text breaks at CR LF (a lone CR or LF breaks too) and, when wrapping, after
// the last blank that fits the width (inside a word longer than the width). Every
// character is measured alone, so that what is drawn with those advances lands where the
// caret and hit tests expect it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kx2::user32 {

struct EditLine {
  size_t start = 0;   // first character
  size_t length = 0;  // characters shown (the break excluded)
  size_t next = 0;    // the next line's first character
  int width = 0;      // pixels
};

class EditLayout {
 public:
  // The advance of a character at pixel x of its line (tabs depend on x).
  using Advance = std::function<int(char16_t c, int x)>;

  void Build(const std::u16string& text, bool multiline, bool wrap, int wrapWidth, const Advance& advance);

  int Count() const { return static_cast<int>(lines_.size()); }
  const EditLine& Line(int index) const { return lines_[static_cast<size_t>(index)]; }
  // The line holding pos; a position where a wrapped line ends belongs to the next line.
  int LineOf(size_t pos) const;
  // Pixels from the line's start to pos (pos within the line).
  int XOf(int line, size_t pos) const;
  // The character boundary of the line nearest to x.
  size_t PosAt(int line, int x) const;
  int WidestLine() const;

 private:
  // Per character of the text, its advance (0 for line breaks).
  std::vector<int> advances_;
  std::vector<EditLine> lines_;
};

}  // namespace kx2::user32
