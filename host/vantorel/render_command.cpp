// vantorel render: the imported map laid out by the host and painted by the engine, driven
// in the order the host application drives it.
#include <cmath>
#include <iostream>

#include <vantorel/host_api.h>
#include <vantorel/render_scene.h>

#include "commands.h"
#include "plugin.h"

namespace vantorel::cli {
namespace {

Value PixelBox(const PixelMap& map, const MapBox& b) {
  Value v = Value::MakeObject();
  const long x0 = std::lround(map.X(b.x)), y0 = std::lround(map.Y(b.y));
  v.Set("x", int64_t(x0));
  v.Set("y", int64_t(y0));
  v.Set("width", int64_t(std::lround(map.X(b.Right())) - x0));
  v.Set("height", int64_t(std::lround(map.Y(b.Bottom())) - y0));
  return v;
}

}  // namespace

int RenderMap(const RenderRequest& request) {
  ImportPlugin plugin;
  std::u16string path, filter;
  CensusReport census;
  if (const int code = ImportIntoDocument(request.import, plugin, &path, &filter, &census)) return code;
  MapScene scene;
  {
    const Value all = DescribeDocuments(DescribeOptions{});
    const Value* docs = all.Find("documents");
    if (!docs || docs->items().empty() || !SceneFromDescription(docs->items().front(), &scene)) {
      std::cerr << "vantorel: " << request.import.file << ": the map has no topic\n";
      CloseAllDocuments();
      return 1;
    }
  }
  CloseAllDocuments();
  MeasureAndLayOut(&scene);
  Painted painted;
  PaintRequest paint;
  paint.dpi = request.dpi;
  paint.png = request.output;
  paint.svg = request.svg;
  std::string error;
  const int code = PaintScene(scene, paint, &painted, &error);
  if (!error.empty()) std::cerr << "vantorel: " << request.import.file << ": " << error << "\n";
  const bool clean = CheckNothingLeft(census) && !painted.leaks;
  if (code != 0) return code;
  const SyncCounts& n = painted.counts;
  std::cout << n.topics << " topics, " << n.branches << " branches, " << n.relationships << " relationships, "
            << n.boundaries << " boundaries, " << painted.width << "x" << painted.height << " pixels\n";
  if (request.import.json) {
    Value root = Value::MakeObject();
    root.Set("filter", PrintableUtf8(filter));
    root.Set("topics", n.topics);
    root.Set("branches", n.branches);
    root.Set("relationships", n.relationships);
    root.Set("boundaries", n.boundaries);
    root.Set("width", painted.width);
    root.Set("height", painted.height);
    Value boxes = Value::MakeArray();
    for (const MapTopic& t : scene.topics) {
      Value b = Value::MakeObject();
      b.Set("text", PrintableUtf8(t.text));
      b.Set("path", t.path);
      b.Set("visible", t.visible);
      b.Set("folded", t.folded && !t.children.empty());
      if (t.visible) {
        b.Set("box", PixelBox(painted.map, t.box));
        MapBox text{t.box.x + t.textX, t.box.y + t.textY, t.textWidth, t.textHeight};
        b.Set("text-box", PixelBox(painted.map, text));
      }
      boxes.Push(std::move(b));
    }
    root.Set("boxes", std::move(boxes));
    Value bounds = Value::MakeArray();
    for (const MapBoundary& b : scene.boundaries) bounds.Push(PixelBox(painted.map, b.box));
    root.Set("boundary-boxes", std::move(bounds));
    std::cout << FormatJson(root);
  }
  return clean ? 0 : 3;
}

}  // namespace vantorel::cli
