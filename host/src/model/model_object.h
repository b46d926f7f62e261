// Host model objects: property bags with sub-objects, attachments, lists, kept formats
// and, for text targets, rich text.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <vantorel/model_interfaces.h>

#include "core/census.h"

namespace vantorel::detail {

class VtlObject;
class VtlModel;

// One stretch of text written with one style (null: the text object's own style).
struct TextRun {
  std::u16string text;
  Ref<VtlObject> style;
};

struct TextParagraph {
  std::vector<TextRun> runs;
  Ref<VtlObject> paragraphStyle;
};

struct Attachment {
  ULONG tag;
  Ref<IVtlObject> object;
};

class VtlObject : public RefCounted<IVtlObject> {
 public:
  explicit VtlObject(LONG classId);
  ~VtlObject() override;
  const char* Kind() const override { return "model object"; }

  // IVtlObject
  IVtlObject* GetTarget(LONG which) override;
  BOOL GetGuid(GUID* out) override;
  LONG GetClassId() override { return classId_; }
  BOOL SetListElement(LONG index, const PropertyValue* value) override;
  BOOL GetProperty(USHORT id, PropertyValue* out) override;
  const PropertyValue* GetPropertyRecord(USHORT id) override;
  IVtlObject* GetSubObject(USHORT id) override;
  BOOL SetProperty(USHORT id, const PropertyValue* value) override;
  LONG GetPropertyCount() override { return static_cast<LONG>(props_.size()); }
  BOOL GetObjectGuid(GUID* out) override { return GetGuid(out); }
  ULONG_PTR FindAttached(ULONG tag) override;
  IVtlObject* GetObject(ULONG_PTR first, ULONG second) override;
  IVtlObject* CreateList(USHORT id, LONG count) override;
  BOOL RemoveProperty(USHORT id) override;
  BOOL InitFrom(IVtlObject* base) override;

  // Host side.
  LONG classId() const { return classId_; }
  const GUID& guid();  // given from the counter on first use
  bool hasGuid() const { return hasGuid_; }
  void setGuid(const GUID& g) { guid_ = g, hasGuid_ = true; }
  const std::map<USHORT, PropertyValue>& properties() const { return props_; }
  const std::map<USHORT, Ref<VtlObject>>& subObjects() const { return subs_; }
  const std::vector<PropertyValue>& listElements() const { return list_; }
  std::vector<Attachment>& attachments() { return attachments_; }
  std::map<LONG, Ref<VtlObject>>& formats() { return formats_; }
  std::vector<TextParagraph>& paragraphs() { return paragraphs_; }
  std::u16string PlainText() const;  // paragraphs joined by line feeds
  // Copies every property and sub-object of `from` over this object's (deeply).
  bool MergeFrom(const VtlObject& from);
  Ref<VtlObject> Clone() const;
  bool Empty() const { return props_.empty() && subs_.empty(); }
  // The sub-object kept under `id`, made with `classId` when missing.
  VtlObject* SubObject(USHORT id, LONG classId);
  // Drops everything the object holds (breaks links between objects when a document
  // closes).
  void DropContents();

 protected:
  void Dispose() override { DropContents(); }

 private:
  LONG classId_;
  GUID guid_{};
  bool hasGuid_ = false;
  std::map<USHORT, PropertyValue> props_;
  std::map<USHORT, Ref<VtlObject>> subs_;
  std::vector<PropertyValue> list_;
  std::vector<Attachment> attachments_;
  std::map<LONG, Ref<VtlObject>> formats_;
  std::vector<TextParagraph> paragraphs_;
};

// A topic of a model: an object with its own format target, text object (attached under
// the text-style role tag), two line-and-fill formats and child topics.
class VtlTopic : public VtlObject {
 public:
  VtlTopic(VtlModel* model, VtlTopic* parent, LONG insertKind);
  const char* Kind() const override { return "topic"; }

  IVtlObject* GetTarget(LONG which) override;

  struct Child {
    Ref<VtlTopic> topic;
    LONG kind;
  };
  VtlModel* model() const { return model_; }
  VtlTopic* parent() const { return parent_; }
  LONG insertKind() const { return insertKind_; }
  std::vector<Child>& children() { return children_; }
  const std::vector<Child>& children() const { return children_; }
  VtlObject* format() const { return format_.get(); }  // null until first asked for
  VtlObject* EnsureFormat();                           // null only when memory fails
  VtlObject* textObject() const { return text_.get(); }
  VtlTopic* AddChild(LONG kind);
  // Empties the topic and its subtree.
  void DropTree();

 private:
  VtlModel* model_;
  VtlTopic* parent_;
  LONG insertKind_;
  Ref<VtlObject> format_;
  Ref<VtlObject> text_;
  std::vector<Child> children_;
};

// Makes a model object of a class the host knows; null for another class.
VtlObject* NewModelObject(LONG classId);

}  // namespace vantorel::detail
