// Reads a MindManager map package (".mmap": a zip holding "Document.xml" and its schemas)
// into the last open host document that may receive an import: the marker sets of the map
// into the document's object table, then one host topic per "ap:Topic" with its text,
// layout, icons, labels, task, image, notes, boundary, hyperlinks, comments and
// attachments, the floating topics, and the relationships between topics.
//
// The MindManager filter item drives it for one call: construct, Init, then Probe, or
// Import when Init gave 1, then Close, destroy. Nothing is kept between calls.
#pragma once

#include <memory>

#include <vantorel/app_interfaces.h>

namespace foliant::mindmanager {
class MindManagerReader;
}

class MindManagerImport {
 public:
  MindManagerImport();
  virtual ~MindManagerImport();
  MindManagerImport(const MindManagerImport&) = delete;
  MindManagerImport& operator=(const MindManagerImport&) = delete;

  // Closes what an earlier run left open, prepares the marker mapper and loads the texts
  // and numbers of the plug-in's resources; the mapper's result (1 when ready).
  int Init();
  // 1 when the path names a ".mmap" file (any case) whose package holds "Document.xml" or
  // "Document.xml.zencr" and the four schema entries; else 0.
  int Probe(LPCWSTR path);
  // Imports into the last open document that may receive an import: 1 done, 0 failed (no
  // such document, unreadable or encrypted package, no "ap:Map" root, a failing step).
  // What was added before a failure stays in the document.
  int Import(IVtlDocumentManager* documents, LPCWSTR path);
  // Releases the parsed document, deletes a temporary file still held, closes the package.
  void Close();

 private:
  std::unique_ptr<foliant::mindmanager::MindManagerReader> reader_;
};
