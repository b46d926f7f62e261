// Reads one XMind sheet into the model of one host document: the central topic and
// everything under it, the relationships, and the sheet's title.
//
// The model's cursor stands on the topic being read whenever an object is attached; every
// step that moves it to a child or another topic puts it back.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include <foliant/xmind/xmind_import.h>

#include <foliant/import_limits.h>

#include "common/import_session.h"
#include "xmind/xmind_state.h"
#include "xmind/xmind_values.h"

namespace foliant::xmind {

class SheetReader : public ImportSession {
 public:
  SheetReader(XMindImport& importer, ImportState& state, IVtlDocument* document, IVtlModel* model);
  // Stops with the state's abort set when topics nest deeper than
  // kMaxXMindTopicDepth.
  void ReadSheet(IKX2XMLElement* sheet);

  // Attaches the "xmind:#" links of every sheet to their topics, each pointing at the topic
  // its id names in any sheet; a link whose id names no topic is left out.
  static void ResolveLinks(ImportState& state);

 private:
  // A boundary or summary of a topic's children, built once the children are in.
  struct RangeRecord {
    bool summary = false;
    std::u16string title;  // boundaries
    std::u16string styleId;
    std::u16string range;
    std::u16string topicId;  // summaries: the summary topic
  };
  // What a topic's import gathers for its boundaries and summaries.
  struct TopicWork {
    std::vector<ObjectRef> attached;  // the attached child topics, in order
    std::vector<RangeRecord> ranges;
    std::vector<std::pair<std::u16string, kx2::Ref<IKX2XMLElement>>> summaryTopics;
  };

  // Topics (xmind_topics.cpp).
  void ImportTopic(IKX2XMLElement* topic, int depth);
  // Writes the title into the topic; its text, which the caller keeps too.
  std::u16string ImportTitle(IVtlObject* node, IKX2XMLElement* title, const StyleMap& style, const std::u16string& id);
  void ImportChildren(IVtlObject* node, IKX2XMLElement* children, TopicWork& work, int depth);
  // Inserts a topic under `parent` (kVtlInsert*), reads it, and puts the cursor back on
  // `parent`; the new node, or null when the host refuses it.
  ObjectRef InsertTopic(IVtlObject* parent, LONG kind, IKX2XMLElement* topic, int depth);
  void ImportPosition(IVtlObject* node, IKX2XMLElement* position);
  void ImportNumbering(IVtlObject* node, IKX2XMLElement* numbering);
  void ApplyFormat(IVtlObject* node, IVtlObject* format);
  ObjectRef CurrentNode();

  // Markers, labels and tasks (xmind_entries.cpp).
  void ImportMarker(IKX2XMLElement* markerRef);
  void ImportLabels(IKX2XMLElement* labels);
  void ImportTask(IKX2XMLElement* content);
  GUID FallbackMarker();
  GUID Group(GUID* cached, LONG kind, const std::u16string& name);
  GUID Entry(std::map<std::u16string, GUID>& cache, const GUID& group, LONG kind, const std::u16string& name);

  // Pictures, hyperlinks and attachments (xmind_links.cpp).
  void ImportPicture(IVtlObject* node, IKX2XMLElement* image);
  void ImportHyperlink(IVtlObject* node, const std::u16string& href, const std::u16string& title);
  void ImportAttachment(const std::u16string& entry, const std::u16string& title);

  // Boundaries and summaries (xmind_boundaries.cpp).
  void CollectRanges(IKX2XMLElement* list, bool summary, TopicWork& work);
  void BuildRanges(IVtlObject* node, TopicWork& work, int depth);
  ObjectRef MakeRangeTitle(const std::u16string& title, const StyleMap& style);

  // Relationships (xmind_relationships.cpp).
  void ImportRelationship(IKX2XMLElement* relationship);

  // Notes (xmind_notes.cpp).
  void ImportNotes(IVtlObject* node, IKX2XMLElement* notes);
  void WriteHtmlParagraph(IKX2XMLElement* paragraph, bool& styled);
  void WriteRun(IKX2XMLElement* span, bool& styled);

  // False once the import is to stop: the walks return it to end their loops.
  bool Going() const { return !state_.abort.has_value(); }
  // Sets the abort for topics nested too deeply; false when it did.
  bool DepthAllowed(int depth);

  XMindImport& importer_;
  ImportState& state_;
  IVtlDocument* document_;
  std::u16string documentGuid_;
  // Topic id to node, for relationships and summaries (this sheet only).
  std::unordered_map<std::u16string, ObjectRef> nodes_;
  // Table entries of this document, made on first need.
  GUID markerGroup_{};
  GUID fallbackMarker_{};
  GUID labelGroup_{};
  GUID resourceGroup_{};  // when the host's table has no resource group
  std::map<std::u16string, GUID> labelEntries_;
  std::map<std::u16string, GUID> resourceEntries_;
};

}  // namespace foliant::xmind
