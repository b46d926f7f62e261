#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "present_test_support.h"

using namespace present_test;
using Present::Drawing::Guideline;
using Present::Drawing::PointsRead;
using Present::Drawing::TextRect;
using Present::Geometry::RectF;

namespace {

float Dist(PointF a, PointF b) { return std::hypot(a.x - b.x, a.y - b.y); }

constexpr uint32_t kAllKinds[] = {100, 101, 102, 103, 104, 105, 106, 107, 200, 201, 202, 203, 300, 301, 302, 303, 304,
                                  305, 306, 307, 308, 400, 401, 402, 403, 404, 405, 406, 407, 408, 409, 410, 411};

// Frame with four adjust points that suits every family: a closed boundary of five
// points for the 30x kinds, a tip below the box for callouts.
ShapeFrame SampleFrame(uint32_t kind) {
  if (kind >= 300 && kind <= 304) return Frame({{0, 0}, {1000000, 0}, {1000000, 600000}, {0, 600000}, {0, 0}});
  if (kind >= 400) return Frame(1000000, 600000, {{500000, 900000}});
  return Frame({{900000, 100000}, {600000, 500000}, {300000, 500000}, {0, 800000}});
}

}  // namespace

TEST(PresentPresets, EveryKindBuildsAFlattenableOutline) {
  for (uint32_t kind : kAllKinds) {
    SCOPED_TRACE(kind);
    const ShapeFrame f = SampleFrame(kind);
    auto g = Build(f, kind);
    ASSERT_TRUE(g);
    ASSERT_FALSE(g->segments.Empty());
    EXPECT_EQ(g->segments.Items().front().type, Present::Drawing::kMoveTo);
    const auto flat = Flat(*g);
    EXPECT_EQ(int32_t(flat.size()), g->segments.FlattenedCount());
    // Each segment writes its end point last, so the outline ends where its last segment does.
    EXPECT_EQ(flat.back(), g->segments.Items().back().end);
    const auto& gl = g->guideline;
    if (kind >= 400) {
      EXPECT_EQ(gl.points[Guideline::kBottomRight], (PointF{1000000, 600000}));
      for (uint8_t k : gl.knobs) EXPECT_EQ(k, 3);
      EXPECT_EQ(gl.rotationKnob, 12);
      const RectF text = TextRect(kind, f);
      EXPECT_EQ(g->sanctuary.points[0], (PointF{text.x, text.y}));
    } else {
      const auto box = g->segments.Box();
      EXPECT_EQ(gl.points[Guideline::kTopLeft], (PointF{box.x, box.y}));
      EXPECT_EQ(gl.points[Guideline::kBottomRight], (PointF{box.x + box.width, box.y + box.height}));
      for (uint8_t k : gl.knobs) EXPECT_EQ(k, 0);
      EXPECT_EQ(gl.rotationKnob, 0);
      EXPECT_EQ(g->sanctuary.points[2], gl.points[Guideline::kBottomRight]);
    }
    EXPECT_EQ(gl.angle, 0);
  }
}

TEST(PresentPresets, UnknownKindsBuildNothing) {
  for (uint32_t kind : {0u, 99u, 108u, 199u, 204u, 299u, 309u, 399u, 412u, 0xFFFFFFFFu})
    EXPECT_EQ(Build(Frame(100, 100, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}), kind), nullptr) << kind;
}

TEST(PresentPresets, RectangleKindsAgree) {
  const ShapeFrame f = Frame(300, 200);
  const auto g402 = Build(f, 402);
  for (uint32_t kind : {400u, 401u}) {
    const auto g = Build(f, kind);
    EXPECT_EQ(Ends(*g), Ends(*g402));
    EXPECT_EQ(Types(*g), Types(*g402));
  }
  EXPECT_EQ(Ends(*g402), (std::vector<PointF>{{0, 0}, {300, 0}, {300, 200}, {0, 200}, {0, 0}}));
  std::vector<PointF> sites;
  for (const auto& s : g402->sites.items) sites.push_back(s.point);
  EXPECT_EQ(sites,
            (std::vector<PointF>{{0, 0}, {150, 0}, {300, 0}, {300, 100}, {300, 200}, {150, 200}, {0, 200}, {0, 100}}));
}

// A builder that gets fewer points than it reads builds nothing and reads nothing past
// the points (the frame's array is exactly as long as its count, so ASan sees a read).
TEST(PresentPresets, TooFewPointsBuildNoSegments) {
  const struct {
    uint32_t first, last;
    int32_t reads;
  } families[] = {{100, 107, 4}, {200, 203, 4}, {300, 300, 2}, {301, 303, 3},
                  {304, 304, 2}, {305, 308, 4}, {408, 410, 1}};
  for (const auto& fam : families) {
    for (uint32_t kind = fam.first; kind <= fam.last; ++kind) {
      EXPECT_EQ(PointsRead(kind), fam.reads) << kind;
      for (int32_t n = 0; n < fam.reads; ++n) {
        SCOPED_TRACE(testing::Message() << "kind " << kind << " with " << n << " points");
        ShapeFrame f;
        f.width = 1000;
        f.height = 1000;
        std::vector<PointF> pts;
        for (int32_t i = 0; i < n; ++i) pts.push_back({float(i * 1000), float(i * i * 700)});
        f.SetPoints(pts.data(), n);
        auto g = Build(f, kind);
        ASSERT_TRUE(g);
        EXPECT_TRUE(g->segments.Empty());
        EXPECT_TRUE(g->handles.items.empty());
        EXPECT_EQ(g->segments.FlattenedCount(), 0);
      }
    }
  }
  // A count larger than the points held is never trusted past the array.
  ShapeFrame lying;
  lying.count = 4;  // no array
  for (uint32_t kind : {100u, 200u, 305u, 408u}) EXPECT_TRUE(Build(lying, kind)->segments.Empty()) << kind;
}

TEST(PresentPresets, NonFiniteFramesBuildNoSegments) {
  const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity()};
  for (float v : bad) {
    for (uint32_t kind : {100u, 203u, 304u, 402u, 407u, 408u, 411u}) {
      ShapeFrame sizes[] = {Frame(v, 100, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}),
                            Frame(100, v, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}),
                            Frame(100, 100, {{1, 1}, {2, v}, {3, 3}, {4, 4}})};
      sizes[0].angle = 0;
      for (const auto& f : sizes) EXPECT_TRUE(Build(f, kind)->segments.Empty()) << kind << " " << v;
      ShapeFrame turned = Frame(100, 100, {{1, 1}, {2, 2}, {3, 3}, {4, 4}});
      turned.angle = v;
      EXPECT_TRUE(Build(turned, kind)->segments.Empty()) << kind << " angle " << v;
    }
  }
}

TEST(PresentPresets, TextRectangles) {
  const struct {
    uint32_t kind;
    float w, h;
    RectF expected;
  } cases[] = {
      {402, 1000, 500, {0, 0, 1000, 500}},
      {404, 1000, 500, {100, 0, 800, 500}},
      {409, 500, 1000, {100, 0, 300, 1000}},
      {411, 1000, 1000, {200, 0, 600, 1000}},
      {405, 1000, 500, {200, 0, 600, 500}},
      // f = 0.4 for a wide frame: (0.4 x 500, 250 - 0.4 x 250).
      {406, 1000, 500, {200, 150, 600, 200}},
      {406, 500, 1000, {150, 200, 200, 600}},
      // 30 degrees when wider than tall, else 60 (whole-degree tables).
      {407, 1000, 500, {(1 - 0.866025f) * 500, (1 - 0.5f) * 250, 0, 0}},
      {410, 500, 1000, {(1 - 0.5f) * 250, (1 - 0.866025f) * 500, 0, 0}},
      {407, 500, 500, {(1 - 0.5f) * 250, (1 - 0.866025f) * 250, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const RectF r = TextRect(c.kind, Frame(c.w, c.h));
    EXPECT_NEAR(r.x, c.expected.x, 0.01);
    EXPECT_NEAR(r.y, c.expected.y, 0.01);
    EXPECT_NEAR(r.width, c.w - 2 * r.x, 0.01);
    EXPECT_NEAR(r.height, c.h - 2 * r.y, 0.01);
    if (c.expected.width != 0) {
      EXPECT_NEAR(r.width, c.expected.width, 0.01);
      EXPECT_NEAR(r.height, c.expected.height, 0.01);
    }
  }
}

TEST(PresentPresets, BranchLines) {
  const PointF p0{900, 100}, p1{600, 500}, p2{300, 500}, p3{0, 800};
  const ShapeFrame f = Frame({p0, p1, p2, p3});
  const PointF m{150, 650};
  // The elbow's turn: |M - P2| (about 212) from P2 towards P1, capped at 0.7 of 300.
  const PointF turn{510, 500};
  const struct {
    uint32_t kind;
    std::vector<int> types;
    std::vector<PointF> ends;
  } cases[] = {
      {100, {0, 1}, {p3, p0}},
      {101, {0, 3}, {p3, p0}},
      {102, {0, 4}, {p3, p0}},
      {103, {0, 1, 1, 1}, {p3, p2, p1, p0}},
      {104, {0, 1, 3, 1, 1}, {p3, m, turn, p1, p0}},
      {105, {0, 1, 1, 1, 1}, {p3, m, turn, p1, p0}},
      {106, {0, 1, 1, 1}, {p3, m, p1, p0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const auto g = Build(f, c.kind);
    EXPECT_EQ(Types(*g), c.types);
    const auto ends = Ends(*g);
    ASSERT_EQ(ends.size(), c.ends.size());
    for (size_t i = 0; i < ends.size(); ++i) EXPECT_LT(Dist(ends[i], c.ends[i]), 0.01f) << i;
  }
  const auto cubic = Build(f, 102);
  EXPECT_EQ(cubic->segments.Items()[1].second, p2);
  EXPECT_EQ(cubic->segments.Items()[1].third, p1);
  EXPECT_EQ(cubic->segments.Items()[1].count, 32);
  EXPECT_EQ(Build(f, 104)->segments.Items()[2].second, p2);
}

TEST(PresentPresets, TaperedBranchWidthAndStart) {
  // Straight horizontal branches (the all-y-equal rule), P3 at the start on the left.
  const struct { float length, width; } cases[] = {{500000, 38100}, {10000000, 165100}, {2000000, 80000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const float l = c.length;
    const auto g = Build(Frame({{l, 0}, {2 * l / 3, 0}, {l / 3, 0}, {0, 0}}), 107);
    ASSERT_EQ(Types(*g), (std::vector<int>{0, 4, 1, 4, 0}));
    const auto ends = Ends(*g);
    // A0 and B0 at the end P0: the full width apart.
    EXPECT_NEAR(Dist(ends[1], ends[2]), c.width, 0.5);
    // The start narrows to one pixel either side of P3.
    EXPECT_EQ(ends[0], (PointF{0, -9525}));
    EXPECT_EQ(ends[3], (PointF{0, 9525}));
    EXPECT_EQ(ends[4], ends[0]);
    EXPECT_TRUE(g->segments.IsClosed());
    EXPECT_EQ(g->segments.Items()[1].count, 128);
  }
  // Vertical: A to the right, B to the left.
  const auto v = Build(Frame({{0, 900000}, {0, 600000}, {0, 300000}, {0, 0}}), 107);
  EXPECT_EQ(Ends(*v)[0], (PointF{9525, 0}));
  EXPECT_EQ(Ends(*v)[3], (PointF{-9525, 0}));
  // A bent branch uses the offset polylines; both sides stay a half-width from P0
  // (0.04 x (500000 + 300000 + 424264) / 2).
  const auto bent = Build(Frame({{900000, 100000}, {600000, 500000}, {300000, 500000}, {0, 800000}}), 107);
  const auto ends = Ends(*bent);
  EXPECT_NEAR(Dist(ends[1], {900000, 100000}), 24485.3, 1);
  EXPECT_NEAR(Dist(ends[2], {900000, 100000}), 24485.3, 1);
  EXPECT_NEAR(Dist(ends[0], {0, 800000}), 9525, 0.5);
}

TEST(PresentPresets, RelationsAndTheirHandles) {
  const PointF p[4] = {{0, 0}, {100, 300}, {400, 300}, {500, 0}};
  const ShapeFrame f = Frame({p[0], p[1], p[2], p[3]});
  struct Handle {
    int point, type, knob;
    PointF anchor;
    int lever;
  };
  const struct {
    uint32_t kind;
    std::vector<int> types;
    std::vector<Handle> handles;
  } cases[] = {
      {200, {0, 4}, {{0, 5, 4, p[1], 1}, {1, 1, 1, p[0], 0}, {2, 1, 1, p[3], 1}, {3, 5, 4, {}, 0}}},
      {201, {0, 1}, {{0, 5, 4, {}, 0}, {3, 5, 4, {}, 0}}},
      {202, {0, 1, 1, 1}, {{0, 5, 4, {}, 0}, {1, 1, 1, {}, 0}, {2, 1, 1, {}, 0}, {3, 5, 4, {}, 0}}},
      {203, {0, 4, 4, 4}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const auto g = Build(f, c.kind);
    EXPECT_EQ(Types(*g), c.types);
    EXPECT_EQ(Ends(*g).back(), p[3]);
    ASSERT_EQ(g->handles.items.size(), c.handles.size());
    for (size_t i = 0; i < c.handles.size(); ++i) {
      const auto& h = *g->handles.items[i];
      EXPECT_EQ(h.kind, 0);
      EXPECT_EQ(h.point, p[c.handles[i].point]);
      EXPECT_EQ(h.type, c.handles[i].type);
      EXPECT_EQ(h.knob, c.handles[i].knob);
      EXPECT_EQ(h.anchor, c.handles[i].anchor);
      EXPECT_EQ(h.lever, c.handles[i].lever);
    }
  }
  EXPECT_EQ(Build(f, 200)->segments.Items()[1].count, 128);
  // The spline passes through the inner points.
  EXPECT_EQ(Ends(*Build(f, 203)), (std::vector<PointF>{p[0], p[1], p[2], p[3]}));
}

TEST(PresentPresets, RoundedBoundaryRadius) {
  const struct {
    float w, h, radius;
  } cases[] = {{1000000, 1000000, 190500}, {1000000, 200000, 80000}, {381000, 381000, 152400}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.w);
    const auto g = Build(Frame({{0, 0}, {c.w, 0}, {c.w, c.h}, {0, c.h}, {0, 0}}), 304);
    // Move to a0, then per corner a line and a quadratic around the corner.
    ASSERT_EQ(Types(*g), (std::vector<int>{0, 1, 3, 1, 3, 1, 3, 1, 3}));
    const auto& items = g->segments.Items();
    EXPECT_NEAR(items[0].end.x, c.radius, 0.05);
    EXPECT_EQ(items[0].end.y, 0);
    EXPECT_NEAR(items[1].end.x, c.w - c.radius, 0.05);
    EXPECT_EQ(items[2].second, (PointF{c.w, 0}));
    EXPECT_NEAR(items[2].end.y, c.radius, 0.05);
    EXPECT_EQ(items.back().end, items[0].end);
    EXPECT_EQ(items.back().count, 32);
  }
  // Two points: one edge there and back.
  EXPECT_FALSE(Build(Frame({{0, 0}, {1000, 0}}), 304)->segments.Empty());
}

TEST(PresentPresets, CurvedBoundaries) {
  const ShapeFrame closed = Frame({{0, 0}, {1000000, 0}, {1000000, 600000}, {0, 600000}, {0, 0}});
  for (uint32_t kind : {301u, 302u, 303u}) {
    SCOPED_TRACE(kind);
    const auto g = Build(closed, kind);
    ASSERT_GT(g->segments.Items().size(), 10u);
    EXPECT_TRUE(g->segments.IsClosed());
    const int expected = kind == 301 ? 1 : 3;
    for (size_t i = 1; i < g->segments.Items().size(); ++i) {
      EXPECT_EQ(g->segments.Items()[i].type, expected);
      if (kind != 301) {
        EXPECT_EQ(g->segments.Items()[i].count, 8);
      }
    }
  }
  // A routine that yields no points (a step too small for the cap) leaves no segments.
  const ShapeFrame huge = Frame({{0, 0}, {3e38f, 0}, {3e38f, 3e38f}});
  EXPECT_TRUE(Build(huge, 301)->segments.Empty());
}

TEST(PresentPresets, BracketsAndBraces) {
  const PointF p0{0, 0}, p1{-100, 0}, p2{-100, 1000}, p3{0, 1000};
  const ShapeFrame f = Frame({p0, p1, p2, p3});
  const PointF m01{-50, 0}, m12{-100, 500}, m32{-50, 1000};
  auto q = [&](float t) { return PointF{-50, 1000 * t}; };
  const struct {
    uint32_t kind;
    std::vector<int> types;
    std::vector<PointF> ends;
  } cases[] = {
      {305, {0, 1, 1, 1, 1, 1, 1}, {p0, m01, q(0.5f), m12, q(0.5f), m32, p3}},
      {306, {0, 1, 1, 1, 1, 1, 1}, {p0, q(0.1f), q(0.4f), m12, q(0.6f), q(0.9f), p3}},
      {307, {0, 3, 1, 3, 3, 1, 3}, {p0, q(0.1f), q(0.4f), m12, q(0.6f), q(0.9f), p3}},
      {308, {0, 4}, {p0, p3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const auto g = Build(f, c.kind);
    EXPECT_EQ(Types(*g), c.types);
    const auto ends = Ends(*g);
    ASSERT_EQ(ends.size(), c.ends.size());
    for (size_t i = 0; i < ends.size(); ++i) EXPECT_LT(Dist(ends[i], c.ends[i]), 0.01f) << i;
    EXPECT_TRUE(g->handles.items.empty());
    EXPECT_TRUE(g->sites.items.empty());
  }
  const auto arc = Build(f, 308);
  EXPECT_LT(Dist(arc->segments.Items()[1].second, {-100, 300}), 0.01f);
  EXPECT_LT(Dist(arc->segments.Items()[1].third, {-100, 700}), 0.01f);
  const auto curly = Build(f, 307);
  EXPECT_EQ(curly->segments.Items()[1].second, m01);
  EXPECT_LT(Dist(curly->segments.Items()[3].second, q(0.5f)), 0.01f);
}

TEST(PresentPresets, TopicShapeOutlines) {
  const float w = 1000, h = 500;
  const ShapeFrame f = Frame(w, h);
  // Octagon: corners cut by min(0.2 w, 0.2 h) = 100, clockwise from (c, 0).
  EXPECT_EQ(Ends(*Build(f, 404)),
            (std::vector<PointF>{
                {100, 0}, {900, 0}, {1000, 100}, {1000, 400}, {900, 500}, {100, 500}, {0, 400}, {0, 100}, {100, 0}}));
  EXPECT_EQ(Ends(*Build(f, 405)),
            (std::vector<PointF>{{200, 0}, {800, 0}, {1000, 250}, {800, 500}, {200, 500}, {0, 250}, {200, 0}}));
  EXPECT_EQ(Build(f, 405)->sites.items.size(), 8u);
  EXPECT_EQ(Ends(*Build(f, 406)), (std::vector<PointF>{{500, 0}, {1000, 250}, {500, 500}, {0, 250}, {500, 0}}));
  const auto ellipse = Build(f, 407);
  EXPECT_EQ(Types(*ellipse), (std::vector<int>{0, 2, 2, 2, 2}));
  EXPECT_EQ(ellipse->segments.FlattenedCount(), 1 + 4 * 30);
  // Every flattened point of the ellipse lies on it.
  for (const PointF& p : Flat(*ellipse)) {
    const float u = (p.x - 500) / 500, v = (p.y - 250) / 250;
    EXPECT_NEAR(u * u + v * v, 1, 1e-4);
  }
  EXPECT_EQ(ellipse->sites.items.size(), 4u);
}

TEST(PresentPresets, RoundedRectangleCorners) {
  // 63500 EMU corners on frames of 127000 and more; smaller frames get half their size
  // so that the straight edges never run backwards.
  const struct {
    float w, h, radius;
  } cases[] = {{1000000, 600000, 63500}, {127000, 127000, 63500}, {100000, 600000, 50000}, {600000, 20000, 10000}};
  for (uint32_t kind : {403u, 409u}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << kind << " " << c.w << "x" << c.h);
      const auto g = Build(Frame(c.w, c.h, {{c.w / 2, c.h / 2}}), kind);
      const auto& items = g->segments.Items();
      ASSERT_EQ(Types(*g), (std::vector<int>{0, 1, 2, 1, 2, 1, 2, 1, 2}));
      EXPECT_EQ(items[0].end, (PointF{c.radius, 0}));
      EXPECT_EQ(items[1].end, (PointF{c.w - c.radius, 0}));
      EXPECT_GE(items[1].end.x, items[0].end.x);
      EXPECT_GE(items[3].end.y, items[2].end.y);
      EXPECT_EQ(items[2].second, (PointF{c.w - c.radius, c.radius}));
      EXPECT_EQ(g->segments.FlattenedCount(), 5 + 4 * 30);
      EXPECT_EQ(g->sites.items.size(), 4u);
    }
  }
}

TEST(PresentPresets, RectangleCalloutPointer) {
  const float w = 1000000, h = 600000;
  const struct {
    PointF tip;
    std::vector<PointF> ends;
  } cases[] = {
      // Straight below the centre: bottom edge, left half (ties go left).
      {{500000, 900000}, {{0, 0}, {w, 0}, {w, h}, {400000, h}, {500000, 900000}, {180000, h}, {0, h}, {0, 0}}},
      // Above, right half: base from w - d - q to w - d.
      {{900000, -300000}, {{0, 0}, {600000, 0}, {900000, -300000}, {820000, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}}},
      // Left, lower half: 0.22 h = 132000, d = 108000.
      {{-500000, 500000}, {{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 492000}, {-500000, 500000}, {0, 360000}, {0, 0}}},
      // Right, upper half.
      {{1500000, 100000}, {{0, 0}, {w, 0}, {w, 108000}, {1500000, 100000}, {w, 240000}, {w, h}, {0, h}, {0, 0}}},
      // Tip inside: a plain rectangle.
      {{300000, 200000}, {{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tip.x << "," << c.tip.y);
    const auto g = Build(Frame(w, h, {c.tip}), 408);
    const auto ends = Ends(*g);
    ASSERT_EQ(ends.size(), c.ends.size());
    for (size_t i = 0; i < ends.size(); ++i) EXPECT_LT(Dist(ends[i], c.ends[i]), 0.5f) << i;
    EXPECT_EQ(g->sites.items.size(), 8u);
  }
}

TEST(PresentPresets, TipJustOutsideNarrowsThePointer) {
  for (uint32_t kind : {408u, 409u}) {
    SCOPED_TRACE(kind);
    const auto g = Build(Frame(1000000, 600000, {{500000, 600010}}), kind);
    const auto ends = Ends(*g);
    // The base points either side of the tip on the bottom edge.
    size_t tip = 0;
    while (tip < ends.size() && !(ends[tip] == PointF{500000, 600010})) ++tip;
    ASSERT_LT(tip, ends.size());
    EXPECT_NEAR(Dist(ends[tip - 1], ends[tip + 1]), 10, 0.1);
  }
}

TEST(PresentPresets, RoundedCalloutPointerSitsAgainstTheCorner) {
  const float w = 1000000, h = 600000, r = 63500;
  // Bottom, right half: after the arc to (w - r, h), the tip, then (w - r - q, h).
  const auto g = Build(Frame(w, h, {{800000, 1000000}}), 409);
  const auto& items = g->segments.Items();
  ASSERT_EQ(Types(*g), (std::vector<int>{0, 1, 2, 1, 2, 1, 1, 1, 2, 1, 2}));
  EXPECT_EQ(items[4].end, (PointF{w - r, h}));
  EXPECT_EQ(items[5].end, (PointF{800000, 1000000}));
  EXPECT_NEAR(items[6].end.x, w - r - 220000, 0.5);
  EXPECT_EQ(items[7].end, (PointF{r, h}));
  // Top, left half: right after the move.
  const auto top = Build(Frame(w, h, {{100000, -500000}}), 409);
  EXPECT_EQ(top->segments.Items()[1].end, (PointF{100000, -500000}));
  EXPECT_NEAR(top->segments.Items()[2].end.x, r + 220000, 0.5);
}

TEST(PresentPresets, EllipseCalloutReplacesOneQuarter) {
  const float w = 1000, h = 600;
  const struct {
    PointF tip;
    PointF start;
    int replaced;  // index of the quarter (0..3) taken by the pointer
  } cases[] = {
      {{500, 1000}, {500, 0}, 2},     // below the centre: bottom to left
      {{900, 1000}, {500, 0}, 1},     // bottom, right half: right to bottom
      {{100, -400}, {1000, 300}, 2},  // top, left half: left to top
      {{900, -400}, {1000, 300}, 3},  // top, right half: top to right
      {{-500, 100}, {500, 0}, 3},     // left, upper: left to top
      {{-500, 500}, {500, 0}, 2},     // left, lower: bottom to left
      {{1500, 100}, {500, 600}, 2},   // right, upper: top to right
      {{1500, 500}, {500, 600}, 3},   // right, lower: right to bottom
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tip.x << "," << c.tip.y);
    const auto g = Build(Frame(w, h, {c.tip}), 410);
    std::vector<int> expected = {0};
    for (int q = 0; q < 4; ++q) {
      if (q == c.replaced) {
        for (int t : {3, 1, 1, 3}) expected.push_back(t);
      } else {
        expected.push_back(2);
      }
    }
    EXPECT_EQ(Types(*g), expected);
    EXPECT_EQ(g->segments.Items()[0].end, c.start);
    EXPECT_EQ(g->segments.Items()[c.replaced + 2].end, c.tip);
    EXPECT_TRUE(g->segments.IsClosed());
  }
  // The base points of the bottom-to-left quarter: 18 and 36 degrees from the bottom end.
  const auto g = Build(Frame(w, h, {{500, 1000}}), 410);
  const auto& quad = g->segments.Items()[3];
  const float a18 = 18 * 0.017453292f;
  EXPECT_NEAR(quad.end.x, 500 - 500 * std::sin(a18), 0.01);
  EXPECT_NEAR(quad.end.y, 300 + 300 * std::cos(a18), 0.01);
  EXPECT_EQ(quad.second, (PointF{quad.end.x, h}));  // on the tangent at the bottom end
  const auto plain = Build(Frame(w, h, {{500, 300}}), 410);
  EXPECT_EQ(Types(*plain), (std::vector<int>{0, 2, 2, 2, 2}));
}

TEST(PresentPresets, BubbleTail) {
  const struct {
    float w, h;
    float right, left;  // the tail's base points on the bottom edge
  } cases[] = {
      {1000000, 500000, 400000, 200000},  // 0.8 h fits: unchanged
      {400000, 1000000, 320000, 160000},  // taller than wide: held within w - r (r = 80000)
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.w);
    const auto g = Build(Frame(c.w, c.h), 411);
    const auto ends = Ends(*g);
    ASSERT_EQ(Types(*g), (std::vector<int>{0, 1, 2, 1, 2, 1, 1, 1, 1, 2, 1, 2}));
    EXPECT_NEAR(ends[5].x, c.right, 0.5);
    EXPECT_EQ(ends[5].y, c.h);
    EXPECT_NEAR(ends[6].x, c.right, 0.5);
    EXPECT_NEAR(ends[6].y, 1.4f * c.h, 0.5);
    EXPECT_NEAR(ends[7].x, c.left, 0.5);
    const float r = std::min(0.2f * c.w, 0.2f * c.h);
    EXPECT_LE(ends[5].x, c.w - r);
    EXPECT_EQ(ends[8], (PointF{r, c.h}));
  }
}

TEST(PresentPresets, FrameEquality) {
  using Present::Drawing::FrameEqual;
  const ShapeFrame a = Frame(10, 20, {{1, 2}, {3, 4}});
  ShapeFrame b = a;
  EXPECT_TRUE(FrameEqual(a, b));
  b.angle = 5;
  EXPECT_FALSE(FrameEqual(a, b));
  EXPECT_FALSE(FrameEqual(a, Frame(10, 20, {{1, 2}})));
  EXPECT_FALSE(FrameEqual(a, Frame(10, 20, {{1, 2}, {3, 5}})));
  EXPECT_TRUE(FrameEqual(Frame(1, 1), Frame(1, 1)));
  ShapeFrame moved = std::move(b);
  EXPECT_EQ(b.points, nullptr);
  EXPECT_EQ(moved.PointCount(), 2);
}
