// Reads a MindManager map package (".mmap": a zip holding "Document.xml" and its schemas)
// into the last open host document that may receive an import: the marker sets of the map
// into the document's object table, then one host topic per "ap:Topic" with its text,
// layout, icons, labels, task, image, notes, boundary, hyperlinks, comments and
// attachments, the floating topics, and the relationships between topics.
//
// The MindManager filter item drives it for one call: construct, Init, then Probe, or
// Import when Init gave 1, then Close, destroy. Nothing is kept between calls.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <foliant/import_base.h>
#include <foliant/tq_resource_mapper.h>
#include <foliant/common/face_resolution.h>
#include <kx2/Ref.h>
#include <foliant/zip/tq_xml_storage.h>
#include <vantorel/app_interfaces.h>

class MindManagerImport {
 public:
  // Deepest nesting of topics (sub-topics, floating topics, topics of boundaries) that is
  // imported; a deeper map ends the import with 0 instead of exhausting the stack.
  static constexpr int kMaxTopicDepth = 100;
  // Largest "Document.xml" that is read (its declared size); a larger one is refused.
  static constexpr uint32_t kMaxDocumentBytes = 256u << 20;

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
  struct PendingLink {
    kx2::Ref<IVtlObject> topic;
    std::u16string url;
    bool absolute = false;
  };

  // Driver.
  bool FindTargetDocument();
  bool LoadDocument();
  void RefuseEncrypted();
  int WalkMap(ImportBase& context);
  void ClearImportState();
  std::u16string LoadText(UINT id) const;

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
  bool SetCurrent(IVtlObject* topic);
  bool Attach(ULONG tag, IVtlObject* object);
  bool AttachMarker(const GUID& marker);
  // Extracts a package entry to a new temporary file (deleted by the caller through
  // DeleteTemporary) and gives its path.
  bool ExtractTemporary(const std::u16string& entry, LPCWSTR extension, std::u16string* path);
  void DeleteTemporary();

  // The package and the parsed map.
  TqXMLStorage package_;
  bool packageOpen_ = false;
  IKX2XMLDocument* document_ = nullptr;
  IKX2XMLElement* root_ = nullptr;
  // The temporary file in use (its stamp rebuilds its name), 0 when none.
  uint64_t tempStamp_ = 0;
  std::u16string tempExtension_;

  // The target document, for one Import.
  IVtlDocumentManager* documents_ = nullptr;
  IVtlDocument* target_ = nullptr;
  kx2::Ref<IVtlModel> model_;
  kx2::Ref<IVtlCursor> cursor_;
  int currentKind_ = 0;
  std::u16string folder_;  // of the imported file, with its trailing backslash
  foliant::FaceResolver* faces_ = nullptr;

  // What the walk made.
  std::map<std::u16string, kx2::Ref<IVtlObject>> objects_;    // by "OId"
  std::map<std::u16string, kx2::Ref<IVtlObject>> bookmarks_;  // by bookmark name
  std::vector<kx2::Ref<IVtlObject>> created_;                 // topics in creation order
  std::vector<kx2::Ref<IVtlObject>> stack_;                   // the parent of the topic being placed is last
  std::vector<PendingLink> links_;

  // The document's object table entries of the map's marker sets.
  std::map<std::u16string, GUID> labels_;       // label name -> entry
  std::map<std::u16string, GUID> resources_;    // task resource name -> entry
  std::map<std::u16string, GUID> customIcons_;  // icon signature -> marker entry
  bool haveCustomIconGroup_ = false;
  GUID customIconGroup_{};

  // Resources and tables prepared by Init.
  int initialised_ = 0;
  int defaultNumber_ = 0;                  // 22016
  std::u16string defaultTexts_[5];         // 22017 to 22021 (22018: the custom-icon group)
  std::map<char16_t, LONG> numberStyles_;  // "1" 0, "A" 1, "a" 2, "I" 3, "i" 4
  TqResourceMapper mapper_;
};
