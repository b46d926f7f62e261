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
  VTL_UNUSED_SLOT(02)
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  // Draws a topic's text: the paint record the engine drew the topic with, the node's host
  // values A and B, and the anchor point in hundredths of a point. FALSE refuses, which the
  // engine reports as the text painter's failure.
  virtual BOOL DrawText(const void* paintRecord, LONG hostA, LONG hostB, POINT anchor) = 0;  // 8

 protected:
  ~IPresentCanvasOwner() = default;
};
