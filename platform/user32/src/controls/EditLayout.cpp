#include "EditLayout.h"

#include <algorithm>

namespace kx2::user32 {

namespace {

bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// The length of the line break at i (CR LF, CR or LF), 0 when there is none.
size_t BreakLength(const std::u16string& text, size_t i) {
  if (i >= text.size()) return 0;
  if (text[i] == u'\r') return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
  return text[i] == u'\n' ? 1 : 0;
}

}  // namespace

void EditLayout::Build(const std::u16string& text, bool multiline, bool wrap, int wrapWidth, const Advance& advance) {
  lines_.clear();
  advances_.assign(text.size(), 0);
  if (!multiline) {
    EditLine line{0, text.size(), text.size(), 0};
    for (size_t i = 0; i < text.size(); ++i) {
      advances_[i] = advance(text[i], line.width);
      line.width += advances_[i];
    }
    lines_.push_back(line);
    return;
  }
  const size_t n = text.size();
  size_t pos = 0;
  while (true) {
    EditLine line{pos, 0, pos, 0};
    size_t i = pos;
    size_t lastBlankEnd = 0;  // the position after the last blank that fit
    int widthAtBlank = 0;
    bool wrapped = false;
    size_t after = 0;  // where the line's characters (and hanging blanks) end
    while (i < n && !IsBreak(text[i])) {
      const int a = advance(text[i], line.width);
      if (wrap && line.width + a > wrapWidth && i > pos) {
        wrapped = true;
        if (text[i] == u' ' || text[i] == u'\t') {
          // Blanks at the end of a wrapped line hang past its edge.
          while (i < n && (text[i] == u' ' || text[i] == u'\t')) advances_[i++] = 0;
          line.length = i - pos;
        } else if (lastBlankEnd > pos) {
          line.length = lastBlankEnd - pos;
          line.width = widthAtBlank;
        } else {
          line.length = i - pos;
        }
        after = pos + line.length;
        break;
      }
      advances_[i] = a;
      line.width += a;
      ++i;
      if (text[i - 1] == u' ' || text[i - 1] == u'\t') {
        lastBlankEnd = i;
        widthAtBlank = line.width;
      }
    }
    if (!wrapped) {
      line.length = i - pos;
      after = i;
    }
    // A break right where the line ends belongs to it.
    const size_t br = BreakLength(text, after);
    line.next = after + br;
    lines_.push_back(line);
    if (br == 0 && (!wrapped || after >= n)) break;
    pos = line.next;
  }
}

int EditLayout::LineOf(size_t pos) const {
  // The last line starting at or before pos.
  auto it = std::upper_bound(lines_.begin(), lines_.end(), pos,
                             [](size_t p, const EditLine& line) { return p < line.start; });
  if (it == lines_.begin()) return 0;
  return static_cast<int>(it - lines_.begin()) - 1;
}

int EditLayout::XOf(int line, size_t pos) const {
  const EditLine& l = Line(line);
  int x = 0;
  for (size_t i = l.start; i < std::min(pos, l.start + l.length); ++i) x += advances_[i];
  return x;
}

size_t EditLayout::PosAt(int line, int x) const {
  const EditLine& l = Line(line);
  int at = 0;
  for (size_t i = l.start; i < l.start + l.length; ++i) {
    const int a = advances_[i];
    if (x < at + (a + 1) / 2) return i;
    at += a;
  }
  return l.start + l.length;
}

int EditLayout::WidestLine() const {
  int widest = 0;
  for (const EditLine& l : lines_) widest = std::max(widest, l.width);
  return widest;
}

}  // namespace kx2::user32
