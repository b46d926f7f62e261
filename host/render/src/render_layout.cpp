#include <vantorel/render_layout.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include <kx2/Utf.h>

namespace vantorel::cli {
namespace {

const Value* Path(const Value& v, std::initializer_list<const char*> keys) {
  const Value* at = &v;
  for (const char* key : keys) {
    if (!at || at->kind() != Value::Kind::Object) return nullptr;
    at = at->Find(key);
  }
  return at;
}

bool ColorAt(const Value& v, std::initializer_list<const char*> keys, uint32_t* argb) {
  const Value* c = Path(v, keys);
  return c && c->kind() == Value::Kind::String && ParseHexColor(c->text(), argb);
}

int64_t IntAt(const Value& v, std::initializer_list<const char*> keys, int64_t fallback) {
  const Value* c = Path(v, keys);
  return c && c->kind() == Value::Kind::Int ? c->integer() : fallback;
}

// Defaults per level where the map says nothing: a bolder, larger root, then plainer levels.
void ApplyLevelDefaults(MapTopic& t) {
  static constexpr int32_t kSizes[] = {1400, 1100, 1000};
  t.size = kSizes[std::min(t.level, 2)];
  t.bold = t.level == 0;
  t.lineColor = t.level == 0 ? 0xFF404040u : 0xFF909090u;
}

void AddTopic(const Value& node, int parent, int level, const std::string& parentPath, MapScene& scene) {
  MapTopic t;
  const Value* text = node.Find("text");
  const std::string utf8 = text && text->kind() == Value::Kind::String ? text->text() : std::string();
  t.text = kx2::Utf8ToUtf16(utf8);
  t.path = parent < 0 ? utf8 : parentPath + "/" + utf8;
  t.level = level;
  t.parent = parent;
  ApplyLevelDefaults(t);
  if (const Value* face = Path(node, {"style", "face"});
      face && face->kind() == Value::Kind::String && !face->text().empty())
    t.face = kx2::Utf8ToUtf16(face->text());
  const int64_t size = IntAt(node, {"style", "size"}, 0);
  if (size >= 100 && size <= 20000) t.size = static_cast<int32_t>(size);
  if (const Value* bold = Path(node, {"style", "bold"}); bold && bold->kind() == Value::Kind::Int)
    t.bold = bold->integer() != 0;
  ColorAt(node, {"style", "color"}, &t.textColor);
  // A topic's fill is in its format (FreeMind, MindManager) or in the line-and-fill object
  // attached to it (XMind).
  if (!ColorAt(node, {"format", "fill", "color"}, &t.fillColor))
    ColorAt(node, {"line-and-fill -1", "fill", "color"}, &t.fillColor);
  if (!ColorAt(node, {"format", "line", "line", "color"}, &t.lineColor))
    ColorAt(node, {"format", "line", "color"}, &t.lineColor);
  if (!ColorAt(node, {"line-and-fill -1", "line", "line", "color"}, &t.branchColor) && parent >= 0)
    t.branchColor = scene.topics[static_cast<size_t>(parent)].branchColor;
  t.folded = IntAt(node, {"format", "folded"}, 0) != 0;
  if (const Value* shape = Path(node, {"format", "shape"}); shape && shape->kind() == Value::Kind::Int)
    t.shape = static_cast<int32_t>(std::clamp<int64_t>(shape->integer(), INT32_MIN + 1, INT32_MAX));
  t.kind = TopicKindOf(t.shape);
  // A shape without border draws no line.
  if (t.shape == -1) t.lineColor = 0;
  const int index = static_cast<int>(scene.topics.size());
  scene.topics.push_back(std::move(t));
  if (parent >= 0) scene.topics[static_cast<size_t>(parent)].children.push_back(index);
  const std::string path = scene.topics.back().path;
  if (const Value* children = node.Find("children"); children && children->kind() == Value::Kind::Array)
    for (const Value& child : children->items()) AddTopic(child, index, level + 1, path, scene);
}

uint8_t ArrowCode(const Value& v, const char* key) {
  const int64_t code = IntAt(v, {"format -1", "line", key}, 0);
  return code > 0 && code < 16 ? static_cast<uint8_t>(code) : 0;
}

// Heights of every visible subtree, leaves up; hidden topics count nothing.
int64_t MeasureSubtree(MapScene& scene, int index) {
  MapTopic& t = scene.topics[static_cast<size_t>(index)];
  int64_t sum = 0;
  if (!t.folded && !t.children.empty()) {
    for (int c : t.children) sum += MeasureSubtree(scene, c);
    sum += static_cast<int64_t>(kSiblingGap) * static_cast<int64_t>(t.children.size() - 1);
  }
  t.subtreeHeight = std::max<int64_t>(t.box.height, sum);
  return t.subtreeHeight;
}

void Hide(MapScene& scene, int index) {
  for (int c : scene.topics[static_cast<size_t>(index)].children) {
    scene.topics[static_cast<size_t>(c)].visible = false;
    Hide(scene, c);
  }
}

void PlaceChildren(MapScene& scene, int parent, const std::vector<int>& children, int side) {
  if (children.empty()) return;
  const MapBox p = scene.topics[static_cast<size_t>(parent)].box;
  int64_t total = 0;
  for (int c : children) total += scene.topics[static_cast<size_t>(c)].subtreeHeight;
  total += static_cast<int64_t>(kSiblingGap) * static_cast<int64_t>(children.size() - 1);
  int64_t y = p.MidY() - total / 2;
  for (int c : children) {
    MapTopic& t = scene.topics[static_cast<size_t>(c)];
    t.side = side;
    t.box.y = static_cast<int32_t>(y + t.subtreeHeight / 2 - t.box.height / 2);
    t.box.x = side > 0 ? p.Right() + kLevelGap : p.x - kLevelGap - t.box.width;
    if (!t.folded) PlaceChildren(scene, c, t.children, side);
    y += t.subtreeHeight + kSiblingGap;
  }
}

MapBox Union(const MapBox& a, const MapBox& b) {
  const int32_t x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int32_t x1 = std::max(a.Right(), b.Right()), y1 = std::max(a.Bottom(), b.Bottom());
  return MapBox{x0, y0, x1 - x0, y1 - y0};
}

MapBox SubtreeBox(const MapScene& scene, int index) {
  const MapTopic& t = scene.topics[static_cast<size_t>(index)];
  MapBox box = t.box;
  if (!t.folded)
    for (int c : t.children) box = Union(box, SubtreeBox(scene, c));
  return box;
}

}  // namespace

bool ParseHexColor(const std::string& text, uint32_t* argb) {
  if (text.size() != 7 || text[0] != '#') return false;
  for (size_t i = 1; i < 7; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  *argb = 0xFF000000u | static_cast<uint32_t>(std::strtoul(text.c_str() + 1, nullptr, 16));
  return true;
}

bool SceneFromDescription(const Value& document, MapScene* scene) {
  *scene = MapScene{};
  const Value* root = document.Find("topic");
  if (!root || root->kind() != Value::Kind::Object) return false;
  AddTopic(*root, -1, 0, std::string(), *scene);
  std::map<std::string, int> byPath;
  for (size_t i = 0; i < scene->topics.size(); ++i) byPath.emplace("topic " + scene->topics[i].path, int(i));
  if (const Value* rels = document.Find("relationships"); rels && rels->kind() == Value::Kind::Array) {
    for (const Value& r : rels->items()) {
      const Value* from = r.Find("from");
      const Value* to = r.Find("to");
      if (!from || !to) continue;
      auto f = byPath.find(from->text()), t = byPath.find(to->text());
      if (f == byPath.end() || t == byPath.end()) continue;
      MapRelationship rel;
      rel.from = f->second;
      rel.to = t->second;
      ColorAt(r, {"format -1", "line", "line", "color"}, &rel.color);
      rel.beginArrow = ArrowCode(r, "begin-arrow");
      rel.endArrow = ArrowCode(r, "end-arrow");
      scene->relationships.push_back(rel);
    }
  }
  if (const Value* bounds = document.Find("boundaries"); bounds && bounds->kind() == Value::Kind::Array) {
    for (const Value& b : bounds->items()) {
      const Value* topics = b.Find("topics");
      if (!topics || topics->kind() != Value::Kind::Array || topics->items().empty()) continue;
      auto t = byPath.find("topic " + topics->items().front().text());
      if (t == byPath.end()) continue;
      MapBoundary boundary;
      boundary.topic = t->second;
      ColorAt(b, {"format -1", "line", "line", "color"}, &boundary.lineColor);
      ColorAt(b, {"format -1", "fill", "color"}, &boundary.fillColor);
      scene->boundaries.push_back(boundary);
    }
  }
  return true;
}

int32_t TopicKindOf(int32_t shape) {
  // The values the importers map foreign shapes to (XMind, MindManager and FreeMind alike).
  switch (shape) {
    case -1:
      return 402;  // no border: the rectangle, drawn without line
    case 0:
      return 400;  // a line under the text
    case 1:
      return 402;  // rectangle
    case 2:
      return 403;  // rounded rectangle
    case 3:
      return 404;  // octagon
    case 4:
      return 405;  // hexagon
    case 5:
      return 407;  // ellipse and circle
    case 6:
      return 406;  // diamond
    default:
      return 403;
  }
}

void LayOutScene(MapScene* scene, const MeasureTextFn& measure, const ShapeAroundTextFn& shapeAround) {
  for (MapTopic& t : scene->topics) {
    measure(t, &t.textWidth, &t.textHeight);
    const int32_t width = t.textWidth + 2 * kPadX, height = t.textHeight + 2 * kPadY;
    int32_t x = 0, y = 0;
    MapBox box;
    if (shapeAround && shapeAround(t.kind, width, height, &box, &x, &y) && box.width > 0 && box.height > 0) {
      t.box.width = box.width;
      t.box.height = box.height;
    } else {
      t.box.width = width;
      t.box.height = height;
      x = y = 0;
    }
    t.textX = x + kPadX;
    t.textY = y + kPadY;
  }
  for (size_t i = 0; i < scene->topics.size(); ++i)
    if (scene->topics[i].folded) Hide(*scene, static_cast<int>(i));
  if (scene->topics.empty()) return;
  MeasureSubtree(*scene, 0);
  MapTopic& root = scene->topics[0];
  root.box.x = -root.box.width / 2;
  root.box.y = -root.box.height / 2;
  // The root's children go to the side whose stack is lower so far, the right first.
  std::vector<int> right, left;
  int64_t rightHeight = 0, leftHeight = 0;
  if (!root.folded) {
    for (int c : root.children) {
      const int64_t h = scene->topics[static_cast<size_t>(c)].subtreeHeight + kSiblingGap;
      if (rightHeight <= leftHeight) {
        right.push_back(c);
        rightHeight += h;
      } else {
        left.push_back(c);
        leftHeight += h;
      }
    }
  }
  PlaceChildren(*scene, 0, right, 1);
  PlaceChildren(*scene, 0, left, -1);
  MapBox bounds = scene->topics[0].box;
  for (const MapTopic& t : scene->topics)
    if (t.visible) bounds = Union(bounds, t.box);
  for (MapBoundary& b : scene->boundaries) {
    const MapBox inner = SubtreeBox(*scene, b.topic);
    b.box = MapBox{inner.x - kBoundaryMargin, inner.y - kBoundaryMargin, inner.width + 2 * kBoundaryMargin,
                   inner.height + 2 * kBoundaryMargin};
    if (scene->topics[static_cast<size_t>(b.topic)].visible) bounds = Union(bounds, b.box);
  }
  scene->bounds = bounds;
}

}  // namespace vantorel::cli
