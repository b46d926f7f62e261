// What one XMind import keeps from Init to Cleanup: the package, the parsed XML document,
// the mapper and texts, the style table, the temporary files, and what links the sheets
// of a workbook to each other.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <foliant/import_limits.h>
#include <foliant/tq_resource_mapper.h>
#include <foliant/common/package_files.h>
#include <kx2/Ref.h>
#include <foliant/zip/tq_xml_storage.h>
#include <vantorel/app_interfaces.h>

#include "common/import_session.h"

namespace foliant::xmind {

// Style property name to its text, as "styles.xml" writes it. Looked up by a name's view,
// without making a string of it.
using StyleMap = std::map<std::u16string, std::u16string, std::less<>>;

// A style of "styles.xml", read from its element the first time a map names it: a package
// carries many more styles than its topics use.
struct StyleRecord {
  kx2::Ref<IKX2XMLElement> element;  // until read
  bool read = false;
  std::u16string family;  // the style's "type": "topic", "boundary", "summary" ...
  StyleMap properties;
};

// Why an import stops early. The reader does not unwind by throwing (the XML walks hold
// host references on the way down): once set, every walk stops at its next step.
struct ImportAbort {
  uint32_t code;  // for the error record; 1 with `message`
  std::u16string message;
};

// Texts of the plug-in's language resource module, each read when an import first needs it.
struct ImportTexts {
  ResourceText markerPicture{22017};  // picture of the stand-in marker
  ResourceText markerGroup{22038};
  ResourceText labelGroup{22039};
  ResourceText fallbackMarker{22040};
  ResourceText resourceGroup{22041};
  ResourceText newerCaption{22046};
  ResourceText newerText{22047};
  // Read again by the next import.
  void Reset() {
    for (ResourceText* text :
         {&markerPicture, &markerGroup, &labelGroup, &fallbackMarker, &resourceGroup, &newerCaption, &newerText})
      text->Reset();
  }
};

struct ImportState {
  explicit ImportState(IVtlApplication* app) : application(app) {}

  IVtlApplication* application;  // borrowed; null when no host is loaded
  TqXMLStorage package;
  kx2::Ref<IKX2XMLDocument> document;
  kx2::Ref<IKX2XMLElement> root;
  // The XMind tables, made once for the process (null until an Init made them).
  const TqResourceMapper* sharedMapper = nullptr;
  const TqResourceMapper& mapper() const;
  bool initialised = false;
  ImportTexts texts;
  // The package's pictures and attachments in the host's file store, each extracted once.
  PackageFiles files{u"ETq", u"Taloria1\\XML\\", kMaxExtractedBytes, application};
  // Tables by id, looked up by exact id and never walked in order: hashed.
  // Filled in as styles are first asked for (FindStyle).
  mutable std::unordered_map<std::u16string, StyleRecord> styles;

  // For the whole workbook: an "xmind:#" link may name a topic of any sheet.
  std::unordered_map<std::u16string, std::u16string> topicGuidTexts;      // id -> "{document}|{topic}"
  std::unordered_map<std::u16string, std::u16string> topicTitles;         // id -> title text
  std::unordered_map<std::u16string, std::u16string> sheetCentralTopics;  // sheet id -> central topic id
  // "xmind:#" links (the target is the topic id), resolved once every sheet has been read.
  std::vector<PendingLink> pendingLinks;
  std::vector<kx2::Ref<IVtlModel>> models;
  std::optional<ImportAbort> abort;
  // Why the host's parser refused the last entry it was given.
  std::u16string parseError;
};

}  // namespace foliant::xmind
