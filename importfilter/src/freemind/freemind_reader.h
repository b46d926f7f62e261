// The FreeMind importer's state and steps, behind FreemindImport: one Init-to-Cleanup run
// reading one map into one host document.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <foliant/common/face_resolution.h>
#include <foliant/common/object_table.h>
#include <foliant/common/xml_walk.h>
#include <foliant/freemind/freemind_import.h>
#include <foliant/import_base.h>
#include <foliant/import_limits.h>
#include <foliant/tq_resource_mapper.h>
#include <kx2/Ref.h>

#include "common/import_session.h"

namespace HTML {
struct Paragraph;
}

namespace foliant::freemind {

class FreemindReader : public ImportSession {
 public:
  using AttributeRecord = FreemindImport::AttributeRecord;

  FreemindReader() = default;
  ~FreemindReader() override;

  int Init();
  int Probe(LPCWSTR path);
  int Import(IVtlDocumentManager* documents, LPCWSTR path);
  void Cleanup();

  // Reads an "attribute" element (the context's current element) into `records`: 0 when it
  // lacks "NAME" or "VALUE"; an empty text becomes resource text 22036; nothing is added
  // when both are empty.
  int ReadAttributeRecord(ImportBase& context, std::vector<AttributeRecord>& records);
  // Records the "LINK" of a "node" element (the context's current element) for `topic`;
  // always 1.
  int CollectNodeLink(ImportBase& context, IVtlObject* topic);

 private:
  // An "arrowlink", resolved after the walk.
  struct ArrowLink {
    std::u16string source;
    std::u16string destination;
    LONG startArrow = 0;  // 3 for "Default", else 0
    LONG endArrow = 0;
    bool hasColor = false;
    DWORD color = 0;
  };

  // What a node hands down to its children (by value).
  struct NodeParameters {
    bool hasEdgeColor = false;
    DWORD edgeColor = 0;
  };

  // Child elements a node may have several of.
  enum class ChildKind : uint8_t { kNode, kAttribute, kIcon, kEdge, kArrowLink, kCloud };
  struct Gathered {
    ChildKind kind;
    kx2::Ref<IKX2XMLElement> element;
  };
  // The child elements of a "node" that the import reads, gathered in one pass. Those of
  // which a node may have several stand in the reader's `gathered_`, from `first` to its
  // end while the node is built (a node's children gather theirs after them and take them
  // away when done), so that a node costs no list of its own.
  struct NodeChildren {
    ElementAttributes own{nullptr};  // the node's own attributes
    bool any = false;                // the node has child nodes of any kind
    size_t first = 0;
    kx2::Ref<IKX2XMLElement> font, richText, richNote;
  };
  // Calls visit(element) for each gathered child of `kind`, in document order, until it
  // returns false (then false).
  template <class Visit>
  bool ForEachGathered(const NodeChildren& children, ChildKind kind, Visit&& visit) {
    for (size_t i = children.first; i < gathered_.size(); ++i)
      if (gathered_[i].kind == kind && gathered_[i].element && !visit(gathered_[i].element.get())) return false;
    return true;
  }

  // The walk.
  int WalkMap(ImportBase& context);
  bool BuildNode(ImportBase& context, IKX2XMLElement* element, int level, NodeParameters parameters, int depth);
  void GatherChildren(IKX2XMLElement* element, NodeChildren& children);
  // Folding and fill go to the topic's format (*formatChanged tells whether anything did);
  // the edge colour becomes the node's parameter.
  bool ApplyNodeStyle(ImportBase& context, IKX2XMLElement* element, const NodeChildren& children, IVtlObject* format,
                      NodeParameters& parameters, bool* formatChanged);
  bool BuildNodeContent(ImportBase& context, IKX2XMLElement* element, const NodeChildren& children, IVtlObject* topic,
                        std::u16string_view id);
  bool ImportAttributes(ImportBase& context, const NodeChildren& children);
  bool ImportIcons(const NodeChildren& children);
  bool ImportText(const NodeChildren& children, IVtlObject* topic);
  bool ImportNotes(const NodeChildren& children, IVtlObject* topic);
  bool ImportImages(const std::vector<HTML::Paragraph>& paragraphs);
  bool AddCloud(IKX2XMLElement* cloud);
  bool RecordArrowLink(IKX2XMLElement* arrow, std::u16string_view source);

  // After the walk.
  bool ResolveArrowLinks();
  bool ResolveLinks();
  bool AttachHyperlink(IVtlObject* topic, const std::u16string& description);

  // Host helpers.
  IVtlObject* TextObjectOf(IVtlObject* topic);
  bool EnsureMarkerEntry(LPCWSTR name, GUID* marker);
  bool EnsureLabelEntry(const AttributeRecord& record, GUID* entry);
  const StoredFile* FallbackMarkerPicture();
  void ClearWalkState();

  // The parsed file.
  IKX2XMLDocument* document_ = nullptr;
  IKX2XMLElement* root_ = nullptr;

  int level_ = 0;
  bool tooDeep_ = false;  // the walk met a node nested deeper than the limit
  int initialised_ = 0;
  // The topics by the map's node ID, found by any text of an ID without a copy of it.
  struct IdHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view id) const { return std::hash<std::u16string_view>()(id); }
  };
  struct IdEqual {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const { return a == b; }
  };
  std::unordered_map<std::u16string, kx2::Ref<IVtlObject>, IdHash, IdEqual> nodes_;
  std::deque<ArrowLink> arrowLinks_;  // in small blocks, as the links
  // The gathered children of the nodes on the walk's path (see NodeChildren); in small
  // blocks that never move, as the links.
  std::deque<Gathered> gathered_;
  // The line-and-fill format the walk colours for each new topic with an edge colour, and
  // its inner line (made when first needed).
  kx2::Ref<IVtlObject> edgeLines_, edgeLine_;
  int idCounter_ = 0;

  // Texts and numbers of the plug-in's resources, each read when first used.
  foliant::ResourceText defaultNumber_{22016};
  foliant::ResourceText markerPicture_{22017};
  foliant::ResourceText centralTopic_{22028};
  foliant::ResourceText topicText_{22029};
  foliant::ResourceText noteText_{22030};
  foliant::ResourceText linkText_{22031};
  foliant::ResourceText emptyText_{22036};
  foliant::ResourceText attributesText_{22037};
  foliant::ResourceText customIconsText_{22018};

  // Entries this import added to the document's object table.
  std::map<std::u16string, GUID> attributeGroups_;                             // by name
  std::map<std::pair<std::u16string, std::u16string>, GUID> attributeValues_;  // by name, value
  StoredFile markerPictureFile_;  // the stand-in picture, stored once per import
  bool markerPictureStored_ = false;

  // The FreeMind tables, shared by every reader of the process (null before Init).
  const TqResourceMapper* mapper_ = nullptr;
};

}  // namespace foliant::freemind
