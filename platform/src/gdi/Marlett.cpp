// "Marlett", the symbol face of window and menu buttons, drawn with our own vector
// glyphs: the face is not installed here, and its characters mean shapes, not letters.
#include <cairo.h>

#include <initializer_list>

#include "Marlett.h"

namespace kx2::gdi {

bool EmitMarlettGlyph(cairo_t* cr, char32_t c, double x, double top, double em) {
  auto px = [&](double f) { return x + f * em; };
  auto py = [&](double f) { return top + f * em; };
  const double thin = em / 14 > 1 ? em / 14 : 1, thick = em / 7 > 1.5 ? em / 7 : 1.5;
  auto box = [&](double l, double t, double r, double b, double topWidth) {
    cairo_rectangle(cr, px(l), py(t), px(r) - px(l), topWidth);
    cairo_rectangle(cr, px(l), py(t), thin, py(b) - py(t));
    cairo_rectangle(cr, px(r) - thin, py(t), thin, py(b) - py(t));
    cairo_rectangle(cr, px(l), py(b) - thin, px(r) - px(l), thin);
  };
  auto triangle = [&](double ax, double ay, double bx, double by, double cx, double cy) {
    cairo_move_to(cr, px(ax), py(ay));
    cairo_line_to(cr, px(bx), py(by));
    cairo_line_to(cr, px(cx), py(cy));
    cairo_close_path(cr);
  };
  switch (c) {
    case 'r':  // close: a cross
      cairo_set_line_width(cr, thick);
      cairo_move_to(cr, px(0.25), py(0.25));
      cairo_line_to(cr, px(0.75), py(0.75));
      cairo_move_to(cr, px(0.75), py(0.25));
      cairo_line_to(cr, px(0.25), py(0.75));
      cairo_stroke(cr);
      return true;
    case '0':  // minimize: a bar at the bottom
      cairo_rectangle(cr, px(0.25), py(0.68), px(0.65) - px(0.25), thick);
      break;
    case '1':  // maximize: a window with a thick title edge
      box(0.2, 0.2, 0.8, 0.8, thick);
      break;
    case '2':  // restore: two windows
      box(0.35, 0.15, 0.85, 0.6, thick);
      box(0.15, 0.4, 0.65, 0.85, thick);
      break;
    case 'a':  // check mark
      cairo_set_line_width(cr, thick);
      cairo_move_to(cr, px(0.22), py(0.5));
      cairo_line_to(cr, px(0.42), py(0.7));
      cairo_line_to(cr, px(0.78), py(0.3));
      cairo_stroke(cr);
      return true;
    case '3':  // arrows: left, right, up, down
      triangle(0.3, 0.5, 0.6, 0.25, 0.6, 0.75);
      break;
    case '4':
      triangle(0.7, 0.5, 0.4, 0.25, 0.4, 0.75);
      break;
    case '5':
      triangle(0.5, 0.3, 0.25, 0.6, 0.75, 0.6);
      break;
    case '6':
      triangle(0.5, 0.7, 0.25, 0.4, 0.75, 0.4);
      break;
    case '8':  // a submenu's arrow: a small right-pointing triangle
      triangle(0.62, 0.5, 0.38, 0.28, 0.38, 0.72);
      break;
    case 'o':  // size grip: three diagonal strokes in the lower right corner
      cairo_set_line_width(cr, thin * 1.5);
      for (double d : {0.25, 0.5, 0.75}) {
        cairo_move_to(cr, px(1.0 - d), py(0.98));
        cairo_line_to(cr, px(0.98), py(1.0 - d));
      }
      cairo_stroke(cr);
      return true;
    case 's':  // help: a question mark
      cairo_set_line_width(cr, thick);
      cairo_new_sub_path(cr);
      cairo_arc(cr, px(0.5), py(0.36), em * 0.16, 3.4, 6.283185307179586 + 1.2);
      cairo_line_to(cr, px(0.5), py(0.62));
      cairo_stroke(cr);
      cairo_rectangle(cr, px(0.5) - thick / 2, py(0.72), thick, thick);
      break;
    case 'h':  // a radio button's dot
    case 'i':
      cairo_new_sub_path(cr);
      cairo_arc(cr, px(0.5), py(0.5), em * 0.17, 0, 6.283185307179586);
      break;
    default:
      return false;
  }
  cairo_fill(cr);
  return true;
}

}  // namespace kx2::gdi
