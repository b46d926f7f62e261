// Reads a FreeMind map (".mm", plain XML, also as Freeplane writes it) into the open host
// document that may receive an import: one host topic per "node" element, with its text,
// fonts, colours, folding, icons, attributes, links, clouds, arrow links, images and notes.
//
// The FreeMind filter item drives it for one call: construct, Init, then Probe, or Import
// when Init gave 1, then Cleanup, destroy. Nothing is kept between calls.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <foliant/import_base.h>
#include <foliant/tq_resource_mapper.h>
#include <foliant/common/face_resolution.h>
#include <kx2/Ref.h>
#include <foliant/common/object_table.h>
#include <foliant/common/xml_walk.h>
#include <vantorel/app_interfaces.h>

namespace HTML {
struct Paragraph;
}

class FreemindImport {
 public:
  // Deepest nesting of "node" elements that is imported; a deeper map fails the import
  // (result 0) instead of exhausting the stack.
  static constexpr int kMaxNodeDepth = 100;

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
  // A node's "LINK", resolved after the walk.
  struct PendingLink {
    LONG reserved = 0;
    std::u16string text;
    kx2::Ref<IVtlObject> topic;
  };
  // An "arrowlink", resolved after the walk.
  struct ArrowLink {
    std::u16string source;
    std::u16string destination;
    LONG startArrow = 0;  // 3 for "Default", else 0
    LONG endArrow = 0;
    bool hasColor = false;
    DWORD color = 0;
  };

  // Reads an "attribute" element (the context's current element) into `records`: 0 when it
  // lacks "NAME" or "VALUE"; an empty text becomes resource text 22036; nothing is added
  // when both are empty.
  int ReadAttributeRecord(ImportBase& context, std::vector<AttributeRecord>& records);
  // Records the "LINK" of a "node" element (the context's current element) for `topic`;
  // always 1.
  int CollectNodeLink(ImportBase& context, IVtlObject* topic);

 private:
  // What a node hands down to its children (by value).
  struct NodeParameters {
    bool hasEdgeColor = false;
    DWORD edgeColor = 0;
  };

  // The child elements of a "node" that the import reads, gathered in one pass.
  struct NodeChildren {
    foliant::ElementAttributes own{nullptr};  // the node's own attributes
    bool any = false;                         // the node has child nodes of any kind
    std::vector<kx2::Ref<IKX2XMLElement>> attributes, icons, edges, arrowLinks, clouds, nodes;
    kx2::Ref<IKX2XMLElement> font, richText, richNote;
  };

  // The walk.
  int WalkMap(ImportBase& context);
  bool BuildNode(ImportBase& context, IKX2XMLElement* element, int level, NodeParameters parameters, int depth);
  static void GatherChildren(IKX2XMLElement* element, NodeChildren& children);
  // Folding and fill go to the topic's format (*formatChanged tells whether anything did);
  // the edge colour becomes the node's parameter.
  bool ApplyNodeStyle(ImportBase& context, IKX2XMLElement* element, const NodeChildren& children, IVtlObject* format,
                      NodeParameters& parameters, bool* formatChanged);
  bool BuildNodeContent(ImportBase& context, IKX2XMLElement* element, const NodeChildren& children, IVtlObject* topic,
                        const std::u16string& id);
  bool ImportAttributes(ImportBase& context, const NodeChildren& children);
  bool ImportIcons(const NodeChildren& children);
  bool ImportText(const NodeChildren& children, IVtlObject* topic);
  bool ImportNotes(const NodeChildren& children, IVtlObject* topic);
  bool ImportImages(const std::vector<HTML::Paragraph>& paragraphs);
  bool AddCloud(IKX2XMLElement* cloud);
  bool RecordArrowLink(IKX2XMLElement* arrow, const std::u16string& source);

  // After the walk.
  bool ResolveArrowLinks();
  bool ResolveLinks();
  bool AttachHyperlink(IVtlObject* topic, const std::u16string& description);

  // Host helpers.
  bool SetCurrent(IVtlObject* topic);
  bool Attach(ULONG tag, IVtlObject* object);
  IVtlObject* TextObjectOf(IVtlObject* topic);
  bool EnsureMarkerEntry(LPCWSTR name, GUID* marker);
  bool EnsureLabelEntry(const AttributeRecord& record, GUID* entry);
  const foliant::StoredFile* FallbackMarkerPicture();
  void ClearWalkState();
  std::u16string LoadText(UINT id);

  // The parsed file.
  IKX2XMLDocument* document_ = nullptr;
  IKX2XMLElement* root_ = nullptr;
  // The target document's model and its cursor, for one Import.
  kx2::Ref<IVtlModel> model_;
  kx2::Ref<IVtlCursor> cursor_;
  IVtlDocumentManager* documents_ = nullptr;

  int level_ = 0;
  int initialised_ = 0;
  std::vector<kx2::Ref<IVtlObject>> stack_;
  std::map<std::u16string, kx2::Ref<IVtlObject>> nodes_;
  std::vector<ArrowLink> arrowLinks_;
  std::vector<PendingLink> links_;
  std::u16string folder_;  // of the imported file, with its trailing backslash
  int idCounter_ = 0;

  // Texts and numbers of the plug-in's resources.
  int defaultNumber_ = 0;           // 22016
  std::u16string markerPicture_;    // 22017
  std::u16string centralTopic_;     // 22028
  std::u16string topicText_;        // 22029
  std::u16string noteText_;         // 22030
  std::u16string linkText_;         // 22031
  std::u16string emptyText_;        // 22036
  std::u16string attributesText_;   // 22037
  std::u16string customIconsText_;  // 22018

  // Entries this import added to the document's object table.
  std::map<std::u16string, GUID> attributeGroups_;                             // by name
  std::map<std::pair<std::u16string, std::u16string>, GUID> attributeValues_;  // by name, value
  std::map<std::u16string, GUID> customIcons_;                                 // by icon name
  bool haveCustomIconGroup_ = false;
  GUID customIconGroup_{};
  foliant::StoredFile markerPictureFile_;  // the stand-in picture, stored once per import
  bool markerPictureStored_ = false;

  foliant::FaceResolver* faces_ = nullptr;
  TqResourceMapper mapper_;
};
