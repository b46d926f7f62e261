// The MindManager importer's state and steps, behind MindManagerImport: one Init-to-Close
// run reading one map package into one host document.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include <foliant/import_base.h>
#include <foliant/import_limits.h>
#include <foliant/mindmanager/mindmanager_import.h>
#include <foliant/tq_resource_mapper.h>
#include <foliant/common/package_files.h>
#include <foliant/zip/tq_xml_storage.h>
#include <kx2/Ref.h>

#include "common/import_session.h"

namespace foliant::mindmanager {

class MindManagerReader : public ImportSession {
 public:
  // How a topic enters the model.
  enum TopicKind : int {
    kCentralTopic = 0,   // the model's root node
    kSubTopic = 1,       // under its parent (insert kind 2)
    kMapFloating = 2,    // floating topic of the map, under the root (insert kind 4)
    kTopicFloating = 3,  // floating (callout) topic of a topic (insert kind 5)
    kSummaryTopic = 4,   // topic of a summary (insert kind 5, with a summary member)
    kBoundaryTopic = 5,  // topic of a boundary (insert kind 5, with a summary member)
  };

  // The line settings a topic hands down to its children (by value).
  struct TopicRecord {
    bool hasLineStyle = false;
    LONG lineStyle = 0;  // branch line shape (vocabulary 3)
    bool noLineColor = true;
    DWORD lineColor[2] = {0, 0x10000000};
    bool shapeGiven = false;  // the topic's own layout gives line style and colour
  };

  MindManagerReader() = default;
  ~MindManagerReader() override;

  int Init();
  int Probe(LPCWSTR path);
  int Import(IVtlDocumentManager* documents, LPCWSTR path);
  void Close();

 private:
  // Driver.
  bool FindTargetDocument();
  bool LoadDocument();
  void RefuseEncrypted();
  int WalkMap(ImportBase& context);
  int WalkTopics(ImportBase& context);
  void ClearImportState();

  // Map steps.
  bool ReadStyleGroup(ImportBase& context);
  bool ReadMarkerSets(ImportBase& context);
  bool ReadIconMarkers(ImportBase& context, IKX2XMLElement* markersSetGroup);
  bool ReadMarkerEntry(ImportBase& context, IKX2XMLElement* marker);
  bool ReadTaskMarkerEntry(ImportBase& context, IKX2XMLElement* marker, LPCWSTR child, LPCWSTR attribute, LONG group);
  bool ReadTaskMarkers(ImportBase& context, IKX2XMLElement* markersSetGroup, LPCWSTR nameElement,
                       std::initializer_list<std::initializer_list<LPCWSTR>> paths, LPCWSTR child, LPCWSTR attribute,
                       LONG group);
  bool ReadTextLabelSets(ImportBase& context, IKX2XMLElement* markersSetGroup);
  bool ReadTaskResources(ImportBase& context, IKX2XMLElement* markersSetGroup);
  bool RegisterCustomIcon(LPCWSTR name, const std::u16string& reference, GUID* out);
  bool UpdateGroupName(LONG group, LPCWSTR name);
  bool UpdateEntryName(const GUID& entry, LPCWSTR name);
  bool EnsureMarkerEntry(const TqMapRecord& record, LPCWSTR name, GUID* marker);

  // Topics.
  // Builds one "ap:Topic" and everything under it; `inherited` (when given) receives what
  // the topic hands down to its children.
  bool BuildTopic(ImportBase& context, IKX2XMLElement* element, int kind, TopicRecord record, int depth,
                  TopicRecord* inherited = nullptr);
  bool PlaceTopic(int kind, IVtlObject* format, kx2::Ref<IVtlObject>* topic);
  // Sets the topic's layout from its own layout elements, then the line settings it
  // inherits where it gives none; `record` becomes what its children inherit.
  bool ApplyLayout(ImportBase& context, IKX2XMLElement* element, int kind, IVtlObject* topic, IVtlObject* format,
                   IVtlObject* const lines[2], TopicRecord& record);
  bool ApplyNumbering(IKX2XMLElement* custom, IVtlObject* topic, IVtlObject* format);
  bool ReadTopicChild(ImportBase& context, IKX2XMLElement* child, IVtlObject* topic, int depth);
  bool BuildChildTopics(ImportBase& context, IKX2XMLElement* element, int kind, const TopicRecord& record, int depth);
  bool BuildMapFloatingTopics(ImportBase& context, IKX2XMLElement* central, const TopicRecord& record);
  bool ReadText(IKX2XMLElement* text, IVtlObject* topic);
  bool ReadIcons(IKX2XMLElement* group);
  bool ReadTextLabels(IKX2XMLElement* labels);
  bool ReadTask(IKX2XMLElement* task);
  bool ReadImage(IKX2XMLElement* image);
  bool ReadComments(IKX2XMLElement* comments, IVtlObject* topic);
  bool ReadAttachments(IKX2XMLElement* group);
  bool ReadNotes(IKX2XMLElement* notesGroup, IVtlObject* topic);
  bool ReadBoundary(ImportBase& context, IKX2XMLElement* boundary, IVtlObject* topic, int depth);
  bool ReadRelationships(ImportBase& context);
  bool ReadRelationship(IKX2XMLElement* relationship);
  bool ReadBoundaryShape(ImportBase& context, IKX2XMLElement* boundary, IVtlObject* object);
  bool ReadBoundaryFillAndLine(ImportBase& context, IKX2XMLElement* boundary, IVtlObject* format, bool* changed);
  void ResolveLinks();

  // Host helpers.
  bool AttachMarker(const GUID& marker);
  // The host's stored copy of a package entry, extracted and stored once per import; null
  // when it cannot be, or when it would take the import past its cap (`files_.TooLarge()`,
  // which ends the import).
  const foliant::StoredFile* StoreEntry(const std::u16string& entry, LPCWSTR extension);

  // The package and the parsed map.
  TqXMLStorage package_;
  bool packageOpen_ = false;
  IKX2XMLDocument* document_ = nullptr;
  IKX2XMLElement* root_ = nullptr;
  // The package's pictures, attachments and icons in the host's file store.
  foliant::PackageFiles files_{u"ETq", u"Taloria1\\XML\\", foliant::kMaxExtractedBytes};

  // The target document, for one Import.
  IVtlDocument* target_ = nullptr;
  int currentKind_ = 0;
  bool tooDeep_ = false;  // the walk met a topic nested deeper than the limit

  // What the walk made.
  std::map<std::u16string, kx2::Ref<IVtlObject>> objects_;    // by "OId"
  std::map<std::u16string, kx2::Ref<IVtlObject>> bookmarks_;  // by bookmark name
  std::vector<kx2::Ref<IVtlObject>> created_;                 // topics in creation order

  // The document's object table entries of the map's marker sets.
  std::map<std::u16string, GUID> labels_;     // label name -> entry
  std::map<std::u16string, GUID> resources_;  // task resource name -> entry

  // Resources and tables prepared by Init.
  int initialised_ = 0;
  int defaultNumber_ = 0;                  // 22016
  std::u16string defaultTexts_[5];         // 22017 to 22021 (22018: the custom-icon group)
  std::map<char16_t, LONG> numberStyles_;  // "1" 0, "A" 1, "a" 2, "I" 3, "i" 4
  TqResourceMapper mapper_;
};

}  // namespace foliant::mindmanager
