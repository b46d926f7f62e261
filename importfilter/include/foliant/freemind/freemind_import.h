// Reads a FreeMind map (".mm", plain XML, also as Freeplane writes it) into the open host
// document that may receive an import: one host topic per "node" element, with its text,
// fonts, colours, folding, icons, attributes, links, clouds, arrow links, images and notes.
//
// The FreeMind filter item drives it for one call: construct, Init, then Probe, or Import
// when Init gave 1, then Cleanup, destroy. Nothing is kept between calls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <foliant/import_base.h>
#include <vantorel/app_interfaces.h>

namespace foliant::freemind {
class FreemindReader;
}

class FreemindImport {
 public:
  FreemindImport();
  virtual ~FreemindImport();
  FreemindImport(const FreemindImport&) = delete;
  FreemindImport& operator=(const FreemindImport&) = delete;

  // Prepares the icon mapper and the texts of the plug-in's resources; 1 when ready.
  int Init();
  // 1 when the path names a ".mm" file (any case) that is empty, or whose XML root has a
  // "version" and a child "node"; else 0.
  int Probe(LPCWSTR path);
  // Imports into the last open document that may receive an import: 1 done, 0 failed (no
  // such document, unreadable file, no "map" root, a failing node). Topics made before a
  // failure stay in the document.
  int Import(IVtlDocumentManager* documents, LPCWSTR path);
  // Releases the XML root and document.
  void Cleanup();

  // One "attribute" element kept: its name and value.
  struct AttributeRecord {
    std::u16string name;
    std::u16string value;
  };

  // Reads an "attribute" element (the context's current element) into `records`: 0 when it
  // lacks "NAME" or "VALUE"; an empty text becomes resource text 22036; nothing is added
  // when both are empty.
  int ReadAttributeRecord(ImportBase& context, std::vector<AttributeRecord>& records);
  // Records the "LINK" of a "node" element (the context's current element) for `topic`;
  // always 1.
  int CollectNodeLink(ImportBase& context, IVtlObject* topic);

 private:
  std::unique_ptr<foliant::freemind::FreemindReader> reader_;
};
