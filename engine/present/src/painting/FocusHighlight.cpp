// The focus and pick highlight over a selected figure's rectangle: the node's flags word
// decides (0x01 paint, 0x200 pick, 0x100 focus), the focused selection gives the stronger
// colours.
#include <plastrum/present/painting/Painters.h>

#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/painting/RenderingBrushes.h>

namespace Present::Painting {

int32_t PaintFocusAndPick(PaintContext& context, const Drawing::Diagram& node, const RectF& r, bool emphasis) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  const bool canvasQuiet = context.canvas && (context.canvas->modeFlags & 0x02);
  if (!(node.flags & 0x01) || canvasQuiet) return 0;
  int32_t code = 0;
  if (node.flags & 0x200) {
    Rendering::SolidColorBrush fill(emphasis ? kPickFillEmphasis : kPickFill);
    if (!fill.Valid()) return 3;
    code = NativeRenderFillRectangle(render, fill.Handle(), r.x, r.y, r.width, r.height) == 0 ? 0 : 3;
    Rendering::PenRecord hairline(kPickLine, 0);
    if (!hairline.Valid()) return 3;
    NativeRenderDrawRectangle(render, hairline.pen, r.x, r.y, r.width, r.height);
  }
  if (node.flags & 0x100) {
    const float z = context.zoom == 0 ? 1 : context.zoom;
    Rendering::PenRecord pen(emphasis ? kFocusLineEmphasis : kFocusLine, 2 / z);
    if (!pen.Valid()) return 3;
    NativePenSetJoinType(pen.pen, 0);  // "Round"
    code = NativeRenderDrawRectangle(render, pen.pen, r.x, r.y, r.width, r.height) == 0 ? 0 : 3;
  }
  return code;
}

}  // namespace Present::Painting
