// Host model objects: property bags with sub-objects, attachments, lists, kept formats
// and, for text targets, rich text.
#pragma once

#include <memory>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include <vantorel/model_interfaces.h>

#include "core/census.h"
#include "model/property_bag.h"
#include "model/small_list.h"

namespace vantorel::detail {

class VtlObject;
class VtlModel;

// One stretch of text written with one style (null: the text object's own style).
struct TextRun {
  std::u16string text;
  Ref<VtlObject> style;
};

struct TextParagraph {
  SmallList<TextRun, 1> runs;
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
  // Sub-objects and kept formats in the order of their keys. An object has few of either,
  // so they are kept in small sorted lists rather than trees.
  using SubObjects = std::vector<std::pair<USHORT, Ref<VtlObject>>>;
  using Formats = std::vector<std::pair<LONG, Ref<VtlObject>>>;

  const PropertyBag& properties() const { return props_; }
  const SubObjects& subObjects() const { return subs_; }
  const std::vector<PropertyValue>& listElements() const;
  using Attachments = SmallList<Attachment, 1>;
  using Paragraphs = SmallList<TextParagraph, 1>;
  Attachments& attachments() { return attachments_; }
  const Formats& formats() const;
  // The format kept under `index`, or null.
  VtlObject* FindFormat(LONG index) const;
  // Keeps `format` under `index`, in place of any format kept there; false when memory fails.
  bool KeepFormat(LONG index, Ref<VtlObject> format);
  Paragraphs& paragraphs() { return paragraphs_; }
  std::u16string PlainText() const;  // paragraphs joined by line feeds
  // Copies every property and sub-object of `from` over this object's (deeply).
  bool MergeFrom(const VtlObject& from);
  Ref<VtlObject> Clone() const;
  // True when `other` holds the same properties and sub-objects, all plain values (texts,
  // numbers, GUIDs), and neither has anything else (a GUID of its own, attachments, text,
  // list elements, kept formats): a copy of one could stand for the other.
  bool SameContent(const VtlObject& other) const;
  bool Empty() const { return props_.empty() && subs_.empty(); }
  // The sub-object kept under `id`, made with `classId` when missing.
  VtlObject* SubObject(USHORT id, LONG classId);
  // Drops everything the object holds (breaks links between objects when a document
  // closes).
  void DropContents();

 protected:
  // For a subclass of another kind, counted in that kind's tally.
  VtlObject(LONG classId, CensusTally& tally);
  void Dispose() override { DropContents(); }

 private:
  // What only some objects hold (a list's elements, kept formats), made when first needed:
  // most of a large map's objects have neither.
  struct Rare {
    std::vector<PropertyValue> list;
    Formats formats;
  };
  Rare* EnsureRare();
  // Where sub-object `id` is kept, or where it would go.
  SubObjects::iterator SubSlot(USHORT id);

  LONG classId_;
  bool hasGuid_ = false;
  GUID guid_{};
  PropertyBag props_;
  SubObjects subs_;
  Attachments attachments_;
  Paragraphs paragraphs_;
  std::unique_ptr<Rare> rare_;
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

// The host's model object behind an interface, or null for an object made elsewhere. The
// model is handed its own objects many times per topic: those of the two classes it makes
// are known by their exact type without a search through the class hierarchy.
inline VtlObject* AsModelObject(IVtlObject* object) {
  if (!object) return nullptr;
  const std::type_info& type = typeid(*object);
  if (&type == &typeid(VtlObject)) return static_cast<VtlObject*>(object);
  if (&type == &typeid(VtlTopic)) return static_cast<VtlTopic*>(object);
  return dynamic_cast<VtlObject*>(object);
}

// The topic behind an interface, or null.
inline VtlTopic* AsTopic(IVtlObject* object) {
  if (object && &typeid(*object) == &typeid(VtlTopic)) return static_cast<VtlTopic*>(object);
  return dynamic_cast<VtlTopic*>(object);
}

}  // namespace vantorel::detail
