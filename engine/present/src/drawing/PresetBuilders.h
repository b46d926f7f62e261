// The builders behind BuildGeometry, one per shape kind. Each appends segments (and, for
// some kinds, connection sites or adjust handles) to a fresh geometry. BuildGeometry
// calls a builder only with a finite frame holding at least PointsRead(kind) points.
#pragma once

#include "plastrum/present/drawing/Geometry.h"
#include "plastrum/present/drawing/ShapeFrame.h"

namespace Present::Drawing::Presets {

using Builder = void (*)(Geometry&, const ShapeFrame&);

// Flattened point counts of the builders' curves.
inline constexpr int32_t kCurvePoints = 32;
inline constexpr int32_t kLongCurvePoints = 128;
inline constexpr int32_t kBoundaryCurvePoints = 8;

void BuildStraightBranch(Geometry& g, const ShapeFrame& f);      // 100
void BuildQuadraticBranch(Geometry& g, const ShapeFrame& f);     // 101
void BuildCubicBranch(Geometry& g, const ShapeFrame& f);         // 102
void BuildPolylineBranch(Geometry& g, const ShapeFrame& f);      // 103
void BuildRoundedElbowBranch(Geometry& g, const ShapeFrame& f);  // 104
void BuildBevelElbowBranch(Geometry& g, const ShapeFrame& f);    // 105
void BuildElbowBranch(Geometry& g, const ShapeFrame& f);         // 106
void BuildTaperedBranch(Geometry& g, const ShapeFrame& f);       // 107

void BuildCurvedRelation(Geometry& g, const ShapeFrame& f);    // 200
void BuildStraightRelation(Geometry& g, const ShapeFrame& f);  // 201
void BuildPolylineRelation(Geometry& g, const ShapeFrame& f);  // 202
void BuildSplineRelation(Geometry& g, const ShapeFrame& f);    // 203

void BuildPolygonBoundary(Geometry& g, const ShapeFrame& f);  // 300
void BuildZigzagBoundary(Geometry& g, const ShapeFrame& f);   // 301
void BuildScallopBoundary(Geometry& g, const ShapeFrame& f);  // 302
void BuildWaveBoundary(Geometry& g, const ShapeFrame& f);     // 303
void BuildRoundedBoundary(Geometry& g, const ShapeFrame& f);  // 304
void BuildSquareBracket(Geometry& g, const ShapeFrame& f);    // 305
void BuildAngularBrace(Geometry& g, const ShapeFrame& f);     // 306
void BuildCurlyBrace(Geometry& g, const ShapeFrame& f);       // 307
void BuildArcBracket(Geometry& g, const ShapeFrame& f);       // 308

void BuildRectangle(Geometry& g, const ShapeFrame& f);         // 400..402
void BuildRoundedRectangle(Geometry& g, const ShapeFrame& f);  // 403
void BuildOctagon(Geometry& g, const ShapeFrame& f);           // 404
void BuildHexagon(Geometry& g, const ShapeFrame& f);           // 405
void BuildDiamond(Geometry& g, const ShapeFrame& f);           // 406
void BuildEllipse(Geometry& g, const ShapeFrame& f);           // 407
void BuildRectangleCallout(Geometry& g, const ShapeFrame& f);  // 408
void BuildRoundedCallout(Geometry& g, const ShapeFrame& f);    // 409
void BuildEllipseCallout(Geometry& g, const ShapeFrame& f);    // 410
void BuildBubble(Geometry& g, const ShapeFrame& f);            // 411

// The eight rectangle sites: corners and edge midpoints, clockwise from the top-left.
void AddRectangleSites(Geometry& g, float w, float h);
// The four edge midpoints: top, right, bottom, left.
void AddMidpointSites(Geometry& g, float w, float h);

}  // namespace Present::Drawing::Presets
