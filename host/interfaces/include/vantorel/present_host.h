// The host interfaces the presentation engine calls.
//
// The canvas owner is the host object behind one canvas (PresentCanvas::SetOwner). Unlike
// the host's model interfaces it is not counted: the engine never adds or drops references
// on it, and the host keeps it alive as long as the canvas. Its slots keep the numbers the
// engine calls them by; slots the engine does not call yet answer 0.
#pragma once

#include <win/types.h>

#include <vantorel/host_unknown.h>

// Where the canvas owner writes a file path: a buffer of `capacity` UTF-16 units, the path
// ended by 0.
struct VtlPathBuffer {
  WCHAR* text;
  DWORD capacity;
};

class IPresentCanvasOwner {
 public:
  VTL_UNUSED_SLOT(00)
  // The file holding the binary data of an identifier (a picture's image; -1 names the
  // placeholder image shown for a picture whose data is missing). TRUE when a path was
  // written, which may be empty when the identifier has no file; FALSE on failure.
  virtual BOOL GetBinaryDataFile(LONG id, VtlPathBuffer* path) = 0;  // 1
  // Whether the pointer is in the canvas's client area (the gesture router asks with 1).
  virtual BOOL IsPointerInClient(LONG) { return FALSE; }  // 2
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  // The pointer's position in client pixels; FALSE when it has none.
  virtual BOOL GetPointerPosition(POINT*) { return FALSE; }  // 6
  // May move a point being dragged (client pixels), to snap it; FALSE leaves it.
  virtual BOOL AdjustDragPoint(POINT*) { return FALSE; }  // 7
  // Draws a topic's text: the paint record the engine drew the topic with, the node's host
  // values A and B, and the anchor point in hundredths of a point. FALSE refuses, which the
  // engine reports as the text painter's failure. The record is valid during the call only;
  // the designer makes a calligraphy over the paint's render from it (its slot 16).
  virtual BOOL DrawText(const void* paintRecord, LONG hostA, LONG hostB, POINT anchor) = 0;  // 8

 protected:
  ~IPresentCanvasOwner() = default;
};

// The host object a gesture motion joins to a handler of the engine. It is not a COM
// object: the router calls every slot below by its number, passing client pixels as a
// point record. The three relays (0, 2, 5) pass the host's values through; 6-15 come before
// the handler sees an event and 29-38 after it. A sink may set the motion's flag, which
// the router returns.
class IPresentGestureSink {
 public:
  virtual BOOL Relay0(LONG_PTR a, LONG_PTR b, LONG_PTR c) = 0;  // 0
  // FALSE lets the handler choose the cursor.
  virtual BOOL SetCursor(const POINT* point) = 0;     // 1
  virtual BOOL Relay2(LONG_PTR value) = 0;            // 2
  virtual BOOL Refresh() = 0;                         // 3
  virtual BOOL CancelMode() = 0;                      // 4
  virtual BOOL Relay5(LONG_PTR a, LONG_PTR b) = 0;    // 5
  virtual BOOL Move(const POINT* point) = 0;          // 6
  virtual BOOL LeftRepeated(const POINT* point) = 0;  // 7
  virtual BOOL LeftDown(const POINT* point) = 0;      // 8
  virtual BOOL LeftUp(const POINT* point) = 0;        // 9
  VTL_UNUSED_SLOT(10)
  virtual BOOL MiddleDown(const POINT* point) = 0;     // 11
  virtual BOOL MiddleUp(const POINT* point) = 0;       // 12
  virtual BOOL RightRepeated(const POINT* point) = 0;  // 13
  virtual BOOL RightDown(const POINT* point) = 0;      // 14
  virtual BOOL RightUp(const POINT* point) = 0;        // 15
  VTL_UNUSED_SLOT(16)
  VTL_UNUSED_SLOT(17)
  VTL_UNUSED_SLOT(18)
  VTL_UNUSED_SLOT(19)
  VTL_UNUSED_SLOT(20)
  VTL_UNUSED_SLOT(21)
  VTL_UNUSED_SLOT(22)
  VTL_UNUSED_SLOT(23)
  VTL_UNUSED_SLOT(24)
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  virtual BOOL AfterMove(const POINT* point) = 0;          // 29
  virtual BOOL AfterLeftRepeated(const POINT* point) = 0;  // 30
  virtual BOOL AfterLeftDown(const POINT* point) = 0;      // 31
  virtual BOOL AfterLeftUp(const POINT* point) = 0;        // 32
  VTL_UNUSED_SLOT(33)
  virtual BOOL AfterMiddleDown(const POINT* point) = 0;     // 34
  virtual BOOL AfterMiddleUp(const POINT* point) = 0;       // 35
  virtual BOOL AfterRightRepeated(const POINT* point) = 0;  // 36
  virtual BOOL AfterRightDown(const POINT* point) = 0;      // 37
  virtual BOOL AfterRightUp(const POINT* point) = 0;        // 38

 protected:
  ~IPresentGestureSink() = default;
};
