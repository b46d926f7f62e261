// XMind workbooks (".xmind": a zip package holding "content.xml" and "styles.xml") read
// into the host's documents, one document per sheet.
//
// The filter item drives one importer per call: Init, then Probe or Import, then Cleanup.
// Nothing is thrown out of these operations: a failure is a 0 result with its cause in the
// calling thread's error record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <foliant/import_base.h>
#include <vantorel/app_interfaces.h>

namespace foliant {
class StoredFile;
}
namespace foliant::xmind {
struct ImportState;
}

class XMindImport : public ImportBase {
 public:
  XMindImport();
  // Reaches the host through `application` (borrowed; it must outlive the importer) instead
  // of the loaded host module.
  explicit XMindImport(IVtlApplication* application);
  ~XMindImport() override;

  // Opens the marker and style mapper for XMind and loads the importer's texts; 1 when
  // ready. Runs Cleanup first when called a second time.
  int Init();
  // 1 for a path whose extension is ".xmind" (any case) naming a package with a
  // "content.xml"; else 0.
  int Probe(LPCWSTR path);
  // Reads every sheet of the workbook at `path` into a host document: the last open
  // document that may receive an import takes the first sheet, every further sheet gets a
  // new document from the default template. 1 when "content.xml" was read; 0 when the
  // package, its content or the host's XML parser fails, when the package is of XMind 2020
  // or later (it carries "content.json"), or when topics nest too deeply.
  int Import(IVtlDocumentManager* documents, LPCWSTR path);
  // Releases the XML document, deletes the temporary files and closes the package.
  void Cleanup();

  // Parses a package entry with the host's XML parser and makes its root the current
  // element: 1 on success; 0 for a missing or empty entry; 0 with error 16 when the host
  // has no XML factory or the entry is not a well-formed document.
  int LoadXMLEntry(LPCWSTR entryName);
  // Releases the current XML document and the stored copies of the package's entries.
  void ReleaseXML();
  // The host's stored copy of a package entry (folder levels separated by "\"): extracted
  // and stored once per import however many topics name it, its temporary file deleted as
  // soon as the store has it. Null when the entry cannot be read or stored, or when the
  // import's extracted bytes would pass kMaxExtractedBytes (which ends the import with a
  // message).
  const foliant::StoredFile* StoreEntry(LPCWSTR entryName);

 private:
  std::unique_ptr<foliant::xmind::ImportState> state_;
};
