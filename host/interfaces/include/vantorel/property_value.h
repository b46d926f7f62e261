// The tagged value record that crosses the host's property interfaces, and the numbers
// (value types, class identifiers, role tags, property identifiers) both sides agree on.
//
// The record is laid out like an OLE VARIANT with one extra word. On 32-bit Windows it is
// 20 bytes; here the owner word carries a pointer and widens to 8 bytes, so it is 24.
#pragma once

#include <cstddef>

#include <vantorel/host_unknown.h>

struct PropertyValue {
  WORD type;       // kind of the value; 0 = empty
  WORD flags;      // bit 0: the record does not own its payload
  DWORD reserved;  // never written by the modules
  union {
    ULONGLONG u64;  // a 64-bit value (dates, colours) uses the whole payload
    LONG i32;       // a 32-bit value lives in the low word
    DWORD u32;
    BSTR text;           // type 1
    GUID* guid;          // type 14: a block the record's filler allocated
    IVtlUnknown* iface;  // 0x8000, 0x8001
    ULONG_PTR key;       // 0x8002: a key issued by `owner`
  };
  IVtlKeyOwner* owner;  // for type 0x8002 only
};

static_assert(sizeof(PropertyValue) == 24, "PropertyValue: 20 bytes on Win32, 24 with a pointer-sized owner");
static_assert(offsetof(PropertyValue, type) == 0 && offsetof(PropertyValue, flags) == 2 &&
                  offsetof(PropertyValue, reserved) == 4 && offsetof(PropertyValue, u64) == 8 &&
                  offsetof(PropertyValue, owner) == 16,
              "PropertyValue layout");

namespace vantorel {

// Value types.
enum : WORD {
  kPropEmpty = 0,
  kPropText = 1,    // BSTR
  kPropInt = 4,     // signed 32-bit
  kPropEnum = 6,    // enumeration or switch (1 = on)
  kPropShort = 7,   // 16-bit (transparencies)
  kPropNumber = 9,  // 32-bit number in model units
  kPropWide = 11,   // 64-bit: a date value, or a colour as two words
  kPropGuid = 14,   // pointer to a 16-byte GUID block
  kPropUnknown = 0x8000,
  kPropDispatch = 0x8001,
  kPropKey = 0x8002,
};

enum : WORD { kPropFlagNotOwned = 0x0001 };

// Classes of host model objects the modules create with VtlCreateObject.
enum : LONG {
  kClassTextStyle = 515,
  kClassParagraphStyle = 521,
  kClassTableEntry = 524,
  kClassTableGroup = 525,
  kClassMarker = 527,
  kClassLabels = 528,
  kClassTaskSchedule = 530,
  kClassTask = 531,
  kClassFormat = 538,
  kClassImage = 539,
  kClassHyperlink = 540,
  kClassNumbering = 541,
  kClassRelationship = 546,
  kClassBoundary = 547,
  kClassSummaryMember = 550,
  kClassNotes = 554,
  kClassAttachment = 555,
  kClassPictureFormat = 0x4008,
  // Objects the host makes itself and never hands out through VtlCreateObject.
  kClassTopic = 0x10001,
  kClassDocumentObject = 0x10002,
  kClassList = 0x10003,
  kClassSubRecord = 0x10004,
};

// Role tags under which an object is attached to a topic: "#so" and one character.
constexpr ULONG RoleTag(char c) { return 0x23736F00u | static_cast<unsigned char>(c); }
enum : ULONG {
  kRoleTextStyle = 0x23736F31,      // '1'
  kRolePicture = 0x23736F32,        // '2'
  kRoleMarker = 0x23736F33,         // '3'
  kRoleLabels = 0x23736F34,         // '4'
  kRoleTask = 0x23736F35,           // '5'
  kRoleHyperlink = 0x23736F39,      // '9'
  kRoleNotes = 0x23736F3A,          // ':'
  kRoleAttachment = 0x23736F3B,     // ';'
  kRoleRelationship = 0x23736F3D,   // '='
  kRoleSummaryMember = 0x23736F3E,  // '>'
  kRoleBoundary = 0x23736F3F,       // '?'
};
constexpr bool IsRoleTag(ULONG value) { return (value & 0xFFFFFF00u) == 0x23736F00u; }

// Property identifiers the modules set (their meaning depends on the object's class).
enum : USHORT {
  kPropFormatStructure = 0x4008,  // 538: topic structure kind
  kPropFormatCollapsed = 0x4012,  // 538: 1 = branch folded
  kPropFormatPositionX = 0x4013,  // 538: hundredths of a point
  kPropFormatPositionY = 0x4014,
  kPropFormatImagePlacement = 0x4017,
  kPropFormatNumbering = 0x400c,
  kPropFormatNumberingDepth = 0x400d,
  kPropFormatNumberingOwner = 0x4066,
  kPropEntryGuid = 0x4000,      // 524, 525
  kPropEntryKind = 0x4001,      // 524, 525: 4 markers, 8 labels
  kPropEntryName = 0x4002,      // 524, 525
  kPropEntryFile = 0x4003,      // 524: key of a stored file
  kPropMarkerGuid = 0x4000,     // 527
  kPropLabelList = 0x4001,      // 528
  kPropHyperlinkText = 0x4001,  // 540
  kPropImageWidth = 0x4002,     // 539
  kPropImageHeight = 0x4003,
  kPropTextFace = 0x4000,  // 515
  kPropTextFaceAlt = 0x4001,
  kPropTextBold = 0x402a,
  kPropTextItalic = 0x402b,
  kPropTextColor = 0x4034,
  kPropTextUnderline = 0x4036,
  kPropTextStrike = 0x403b,
  kPropTextSize = 0x403f,
  kPropParagraphAlign = 0x4007,  // 521
  kPropSubLine = 0x7000,         // line sub-object of a format; kind word inside fill and line
  kPropSubFill = 0x7001,         // fill sub-object; colour inside fill, line and colour holders
  kPropSubTransparency = 0x7002,
};

}  // namespace vantorel
