// Draws the update dialog's banner (405 x 190 pixels, 24 bits) and writes it as a .bmp
// file for the library's resources: a night-blue sky over a teal horizon, a small mind map
// of light topics on the right and the product's name in strokes on the left. Every pixel
// is computed here, so the picture is the same on every machine.
//
//   renewal_banner OUT.bmp
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 405;
constexpr int kHeight = 190;

struct Colour {
  double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

struct Point {
  double x, y;
};

double SegmentDistance(Point p, Point a, Point b) {
  double dx = b.x - a.x, dy = b.y - a.y;
  double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
  double ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

// Coverage of a pixel centre at signed distance d from a shape's edge (negative inside).
double Coverage(double d) { return std::clamp(0.5 - d, 0.0, 1.0); }

class Canvas {
 public:
  Canvas() : pixels_(kWidth * kHeight) {}

  void Sky() {
    const Colour top{18, 32, 74}, middle{28, 78, 120}, bottom{40, 140, 150};
    for (int y = 0; y < kHeight; ++y) {
      double t = static_cast<double>(y) / (kHeight - 1);
      Colour row = t < 0.7 ? Mix(top, middle, t / 0.7) : Mix(middle, bottom, (t - 0.7) / 0.3);
      for (int x = 0; x < kWidth; ++x) {
        // A soft glow behind the map.
        double gx = (x - 300.0) / 140.0, gy = (y - 90.0) / 110.0;
        double glow = std::max(0.0, 1.0 - std::sqrt(gx * gx + gy * gy));
        pixels_[y * kWidth + x] = Mix(row, Colour{90, 170, 200}, 0.35 * glow * glow);
      }
    }
  }

  void Stroke(Point a, Point b, double width, Colour colour, double alpha = 1.0) {
    Each([&](Point p) { return SegmentDistance(p, a, b) - width / 2; }, colour, alpha, a, b, width);
  }

  void Polyline(const std::vector<Point>& points, double width, Colour colour) {
    for (size_t i = 1; i < points.size(); ++i) Stroke(points[i - 1], points[i], width, colour);
  }

  void Disc(Point c, double radius, Colour colour, double alpha = 1.0) {
    Each([&](Point p) { return std::hypot(p.x - c.x, p.y - c.y) - radius; }, colour, alpha, c, c, radius * 2);
  }

  void Ring(Point c, double radius, double width, Colour colour) {
    Each([&](Point p) { return std::fabs(std::hypot(p.x - c.x, p.y - c.y) - radius) - width / 2; }, colour, 1.0, c, c,
         radius * 2 + width);
  }

  bool Write(const char* path) const {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const uint32_t stride = (kWidth * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * kHeight;
    std::vector<uint8_t> out;
    auto u16 = [&](uint32_t v) {
      out.push_back(static_cast<uint8_t>(v));
      out.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
      u16(v & 0xFFFF);
      u16(v >> 16);
    };
    // File header, then the 40-byte information header.
    out.push_back('B');
    out.push_back('M');
    u32(14 + 40 + imageSize);
    u32(0);
    u32(14 + 40);
    u32(40);
    u32(kWidth);
    u32(kHeight);  // positive: rows bottom up
    u16(1);
    u16(24);
    u32(0);  // BI_RGB
    u32(imageSize);
    u32(3780);  // 96 DPI
    u32(3780);
    u32(0);
    u32(0);
    for (int y = kHeight - 1; y >= 0; --y) {
      for (int x = 0; x < kWidth; ++x) {
        const Colour& c = pixels_[y * kWidth + x];
        auto byte = [](double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
        out.push_back(byte(c.b));
        out.push_back(byte(c.g));
        out.push_back(byte(c.r));
      }
      for (uint32_t pad = kWidth * 3; pad < stride; ++pad) out.push_back(0);
    }
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
  }

 private:
  // Blends a shape over the pixels of its bounding box, with 4 x 4 samples a pixel.
  template <class Distance>
  void Each(Distance distance, Colour colour, double alpha, Point a, Point b, double reach) {
    int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach - 2)));
    int x1 = std::min(kWidth - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach + 2)));
    int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach - 2)));
    int y1 = std::min(kHeight - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach + 2)));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        double cover = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx)
            cover += Coverage(distance(Point{x + (sx + 0.5) / 4, y + (sy + 0.5) / 4}) * 4) / 16;
        if (cover > 0) {
          Colour& pixel = pixels_[y * kWidth + x];
          pixel = Mix(pixel, colour, cover * alpha);
        }
      }
  }

  std::vector<Colour> pixels_;
};

// The product's name in strokes: each letter in a box one unit wide and 1.4 high.
void Name(Canvas& canvas, Point origin, double size, Colour colour) {
  const double w = size / 1.4;
  const double stroke = size * 0.11;
  double x = origin.x;
  auto at = [&](double u, double v) { return Point{x + u * w, origin.y + v * w}; };
  auto line = [&](double u0, double v0, double u1, double v1) {
    canvas.Stroke(at(u0, v0), at(u1, v1), stroke, colour);
  };
  // T
  line(0, 0, 0.9, 0);
  line(0.45, 0, 0.45, 1.4);
  x += w * 1.1;
  // A
  line(0, 1.4, 0.45, 0);
  line(0.45, 0, 0.9, 1.4);
  line(0.2, 0.9, 0.7, 0.9);
  x += w * 1.15;
  // L
  line(0, 0, 0, 1.4);
  line(0, 1.4, 0.75, 1.4);
  x += w * 0.95;
  // O
  {
    std::vector<Point> ring;
    for (int i = 0; i <= 40; ++i) {
      double t = i * 2 * M_PI / 40;
      ring.push_back(at(0.48 + 0.48 * std::cos(t), 0.7 + 0.7 * std::sin(t)));
    }
    canvas.Polyline(ring, stroke, colour);
  }
  x += w * 1.2;
  // R
  canvas.Polyline(
      {at(0, 1.4), at(0, 0), at(0.55, 0), at(0.8, 0.12), at(0.85, 0.35), at(0.8, 0.58), at(0.55, 0.7), at(0, 0.7)},
      stroke, colour);
  line(0.4, 0.7, 0.85, 1.4);
  x += w * 1.1;
  // I
  line(0.1, 0, 0.1, 1.4);
  x += w * 0.45;
  // A
  line(0, 1.4, 0.45, 0);
  line(0.45, 0, 0.9, 1.4);
  line(0.2, 0.9, 0.7, 0.9);
}

void MindMap(Canvas& canvas) {
  const Point centre{300, 88};
  const Colour branch{200, 230, 240}, topic{250, 250, 245}, accent{255, 196, 87};
  const Point topics[] = {{225, 40}, {232, 140}, {375, 35}, {385, 92}, {362, 152}, {300, 166}};
  for (const Point& t : topics) canvas.Stroke(centre, t, 2.2, branch, 0.85);
  const Point leaves[][2] = {{{225, 40}, {196, 22}},
                             {{225, 40}, {190, 52}},
                             {{375, 35}, {398, 14}},
                             {{362, 152}, {396, 170}},
                             {{232, 140}, {200, 160}}};
  for (const auto& leaf : leaves) {
    canvas.Stroke(leaf[0], leaf[1], 1.4, branch, 0.7);
    canvas.Disc(leaf[1], 3.5, branch, 0.9);
  }
  for (const Point& t : topics) {
    canvas.Disc(t, 9, topic);
    canvas.Ring(t, 9, 1.6, accent);
  }
  canvas.Disc(centre, 22, accent);
  canvas.Ring(centre, 22, 2.5, topic);
  // An arrow rising through the middle topic: the update.
  canvas.Stroke({300, 100}, {300, 74}, 4, Colour{40, 70, 110});
  canvas.Stroke({300, 72}, {290, 83}, 4, Colour{40, 70, 110});
  canvas.Stroke({300, 72}, {310, 83}, 4, Colour{40, 70, 110});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: renewal_banner OUT.bmp\n");
    return 2;
  }
  Canvas canvas;
  canvas.Sky();
  MindMap(canvas);
  Name(canvas, {22, 58}, 40, Colour{245, 248, 250});
  // A thin line under the name.
  canvas.Stroke({22, 116}, {178, 116}, 1.5, Colour{255, 196, 87});
  if (!canvas.Write(argv[1])) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
