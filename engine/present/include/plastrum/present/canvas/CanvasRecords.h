// The host's records for the canvas interface. Positions and sizes are 32-bit hundredths
// of a point, converted to EMU when read; fields that hold nodes or pointers are
// pointer-sized.
#pragma once

#include <cstddef>
#include <cstdint>

#include <win/types.h>

namespace Present::Drawing {
class Diagram;
}

using PresentNode = Present::Drawing::Diagram*;

struct PresentGeometryInfo {
  LONG width;
  LONG height;
  int16_t angleTenths;  // tenths of a degree
  uint16_t padding;
  POINT* points;
  LONG count;
};

struct PresentObjectInfo {
  PresentNode node;  // in: the node or null; out: the node now in use
  LONG kind;
  LONG shapeId;
  DWORD flags;
  PresentGeometryInfo* geometry;
  LONG hostA;
  LONG hostB;
};

struct PresentFirstAnchor {
  LONG value;
  LONG x, y;
};

struct PresentSecondAnchor {
  LONG value;
  LONG x, y;
  LONG lengths[3];
  DWORD color;  // a stored colour and its kind word
  DWORD colorKind;
};

struct PresentSketchInfo {
  PresentNode node;
  LONG x, y;
  BYTE marginsFlag;
  LONG margins[4];
  PresentGeometryInfo* geometry;
  PresentFirstAnchor* first;
  PresentSecondAnchor* second;
  BYTE geometryFlag;
  LONG lengths[2];
};

struct PresentEtudeInfo {
  PresentNode node;
  LONG x, y;
  LONG value;  // the etude's paint flags
  PresentFirstAnchor* first;
  PresentSecondAnchor* second;
};

struct PresentViewInfo {
  LONG originX, originY;
  LONG page[4];
  LONG offsetX, offsetY;
  LONG extentX, extentY;
  const LONG* pageShapeId;  // the page's shape identifier, or null
};

struct PresentMovingBoxInfo {
  PresentNode node;
  LONG x, y, width, height;
  LONG mode;  // the branch kind 100..107 in the low 16 bits, the anchor 0..8 in the next 8
  LONG flag;
};

struct PresentFloatingShapeInfo {
  LONG kind;
  LONG shapeId;
  const WCHAR* iconPath;
  LONG width, height;
};

struct PresentBlindShapeInfo {
  LONG kind;
  LONG shapeId;
  PresentGeometryInfo* geometry;
};

struct PresentCalloutBoxInfo {
  PresentNode node;
  LONG x, y, width, height;
};

struct PresentDroppingBoxInfo {
  PresentNode node;
  LONG x, y;
  LONG lengths[4];
  LONG mode;
};

struct PresentRelatingBoxInfo {
  PresentNode from;
  POINT fromPoint;
  PresentNode to;
  POINT toPoint;
  LONG relationKind;
  LONG shapeId;
  POINT points[4];
  LONG mode;
};

struct PresentOutlineHit {
  LONG x0, y0;
  const POINT* second;
  PresentNode node;
  LONG outX, outY;
};
