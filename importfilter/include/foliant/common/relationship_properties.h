// One relationship between two topics (class 546) as every importer writes it, so that the
// same line drawn in any format means the same to the host:
//   0x4001 (6) the line's shape, 0x4002 (6) automatic routing (1 on, 0 off);
//   0x4003, 0x4004 (14) the GUIDs of the first and the second end's topic, which stay
//     valid however the topics are held;
//   0x4005, 0x4006 a format record (538) per end holding that end's control point as the
//     positions 0x4013 and 0x4014, in hundredths as the format gives them;
// and on its line format (0x4008, sub-object 0x7000): 0x7006 and 0x7008 (6) the arrowheads
// of the first and the second end, 0x7001 (4) the width, 0x7003 (6) the dash, and the
// colour in the line's colour record (0x7000 = 1, 0x7001 = the colour value).
#pragma once

#include <optional>

#include <kx2/Ref.h>
#include <vantorel/model_interfaces.h>

namespace foliant {

struct RelationshipEnd {
  IVtlObject* topic = nullptr;  // borrowed
  std::optional<LONG> arrow;
  std::optional<LONG> controlX, controlY;
};

struct RelationshipProperties {
  RelationshipEnd ends[2];
  std::optional<LONG> shape;
  std::optional<bool> autoRouting;
  std::optional<LONG> lineWidth;
  std::optional<LONG> lineDash;
  std::optional<DWORD> lineColor;  // 0xAARRGGBB
};

// Makes the relationship object with its line format (only the records the map gives are
// made). Null when either end has no topic or GUID, or the host refuses an object or a
// property.
kx2::Ref<IVtlObject> MakeRelationship(IVtlModel* model, const RelationshipProperties& properties);

}  // namespace foliant
