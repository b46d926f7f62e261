// The feedback box painters, with the engine's fixed feedback colours. Each maps with the
// paint context like the painters (Painters.h) and answers 0, or 21 without a target.
#pragma once

#include <cstdint>
#include <vector>

#include <plastrum/present/painting/Painters.h>
#include <plastrum/present/painting/RenderingImages.h>
#include <plastrum/Export.h>

namespace Present::Painting {

inline constexpr uint32_t kHighlightPickFill = 0x33000000u;
inline constexpr uint32_t kHighlightPickLine = 0x8CFFFFFFu;
inline constexpr uint32_t kHighlightFocusLine = 0xFFA6A6A6u;
inline constexpr uint32_t kSelectingFill = 0x402486F6u;
inline constexpr uint32_t kSelectingLine = 0xFF2486F6u;
inline constexpr uint32_t kMovingFlagged = 0x99FA271Eu;
inline constexpr uint32_t kMovingPlain = 0x9900FF00u;
inline constexpr uint32_t kDroppingFrame = 0x666AA100u;
inline constexpr uint32_t kDroppingTargetLine = 0xB36AA100u;
inline constexpr uint32_t kDroppingTargetFill = 0x336AA100u;
inline constexpr uint32_t kDroppingZoneFill = 0x596AA100u;
inline constexpr uint32_t kRelatingColor = 0x99FF8A00u;

// A pointed-at figure (node flags 0x02; 0x200 pick, 0x100 focus) unless the canvas's flag
// 0x02 is set: the pick fill's status, or the focus outline's; 1 without outline points.
PLASTRUM_API int32_t PaintOutlineHighlight(PaintContext& context, const Drawing::Diagram& node,
                                           const PaintPosition& at);
// The focus outline's width: the line's in pixels, at least 2, plus 2.
PLASTRUM_API float FocusOutlineWidth(float lineWidthEmu, const DeviceMap& map);
// The rubber band: 1 when a drawing call fails.
PLASTRUM_API int32_t PaintSelectingBand(PaintContext& context, const RectF& box);
// The icon at the left end of the floating box, a square of the smaller of its height and
// 12 pt (0.8 of the box's height when that does not fit); 25 without an icon.
PLASTRUM_API int32_t PaintFloatingIcon(PaintContext& context, Rendering::Image* icon, const RectF& box);
// The moving box: the branch (device points; filled when closed with 3 segments or more),
// the target rectangle and a frame around the moved node's bounds.
PLASTRUM_API int32_t PaintMovingFeedback(PaintContext& context, const std::vector<PointF>& branch,
                                         int32_t branchSegments, const RectF& movedBounds, const RectF& target,
                                         bool flag);
// The dropping box: a frame around the dragged node at the offset; unless mode 5, the target
// with its four zones, the mode's zone filled (1 top, 2 bottom, 3 left, 4 right).
PLASTRUM_API int32_t PaintDroppingFeedback(PaintContext& context, const Drawing::Diagram* dragged, const PointF& offset,
                                           const RectF& target, int32_t mode);
// A marker (bitmap 4) centred on every control point, its size divided by the zoom.
PLASTRUM_API void PaintControlMarkers(PaintContext& context, const PointF* controls, int32_t count);
// The relating box: frames around the source and target bounds, the free line for exactly
// two control points without a target, and a marker on every control point.
PLASTRUM_API int32_t PaintRelatingFeedback(PaintContext& context, const RectF* source, const RectF* target,
                                           const PointF* controls, int32_t count);

}  // namespace Present::Painting
