// The host's own layout of an imported map for `vantorel render`: topics as boxes in
// hundredths of a point, the root in the middle, its children split left and right by
// subtree height, each level a fixed gap further out, siblings stacked and centred on their
// parent. Folded topics hide their subtrees.
#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <vantorel/report_value.h>

namespace vantorel::cli {

struct MapBox {
  int32_t x = 0, y = 0, width = 0, height = 0;  // hundredths of a point
  int32_t Right() const { return x + width; }
  int32_t Bottom() const { return y + height; }
  int32_t MidY() const { return y + height / 2; }
  int32_t MidX() const { return x + width / 2; }
};

inline constexpr int32_t kUnknownShape = INT32_MIN;

struct MapTopic {
  std::u16string text;
  std::string path;  // texts from the root joined by "/", as the import describes ends
  std::u16string face = u"DejaVu Sans";
  int32_t size = 1000;  // hundredths of a point
  bool bold = false;
  uint32_t textColor = 0xFF000000u;  // ARGB
  uint32_t fillColor = 0xFFFFFFFFu;  // ARGB; 0 none
  uint32_t lineColor = 0xFF7F7F7Fu;  // ARGB
  uint32_t branchColor = 0xFF808080u;
  bool folded = false;
  int32_t shape = kUnknownShape;  // the host's topic shape value, as the import set it
  int32_t kind = 403;             // the engine's topic kind drawing it
  int level = 0;
  int parent = -1;
  int side = 1;  // +1 right of the root, -1 left
  bool visible = true;
  std::vector<int> children;
  int32_t textWidth = 0, textHeight = 0;  // measured, hundredths of a point
  int32_t textX = 0, textY = 0;           // the text's corner inside the box
  MapBox box;
  int64_t subtreeHeight = 0;
};

struct MapRelationship {
  int from = -1, to = -1;
  uint32_t color = 0xFF808080u;
  uint8_t beginArrow = 0, endArrow = 0;
};

struct MapBoundary {
  int topic = -1;
  uint32_t lineColor = 0xFF808080u;
  uint32_t fillColor = 0;
  MapBox box;
};

struct MapScene {
  std::vector<MapTopic> topics;  // the root first
  std::vector<MapRelationship> relationships;
  std::vector<MapBoundary> boundaries;
  MapBox bounds;
};

// Builds the scene from the document description the import produced (DescribeDocuments's
// first document). False when the document has no topic.
bool SceneFromDescription(const Value& document, MapScene* scene);

// Text measuring: width and height in hundredths of a point of a topic's text in its style.
using MeasureTextFn = std::function<void(const MapTopic&, int32_t* width, int32_t* height)>;

// Shape sizing: the box of a topic's kind around its padded text (width and height in
// hundredths of a point), and where the text's corner lies in it. False keeps the plain
// rectangle: the box is the padded text.
using ShapeAroundTextFn =
    std::function<bool(int32_t kind, int32_t width, int32_t height, MapBox* box, int32_t* textX, int32_t* textY)>;

// Places every visible topic and the boundaries; the scene's bounds enclose everything drawn.
void LayOutScene(MapScene* scene, const MeasureTextFn& measure, const ShapeAroundTextFn& shapeAround = nullptr);

// The engine's topic kind for a host topic shape value; the rounded rectangle for values
// the host does not know.
int32_t TopicKindOf(int32_t shape);

// Parses "#RRGGBB" into opaque ARGB; false for anything else.
bool ParseHexColor(const std::string& text, uint32_t* argb);

// Layout constants shared with the painter road.
inline constexpr int32_t kPadX = 800, kPadY = 500;  // text to box edge
inline constexpr int32_t kLevelGap = 4500;          // parent edge to child edge
inline constexpr int32_t kSiblingGap = 900;         // between stacked subtrees
inline constexpr int32_t kBoundaryMargin = 600;     // boundary around its subtree
inline constexpr int32_t kSceneMargin = 1500;       // around the whole picture

}  // namespace vantorel::cli
