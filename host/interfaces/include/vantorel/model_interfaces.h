// The host's document model as the import plug-in fills it: documents and their manager,
// the model of a document with its topic tree, cursor, text input and object table, and
// the model objects themselves (property bags made by VtlCreateObject).
//
// Results: BOOL operations answer non-zero on success; pointer results are null on failure.
#pragma once

#include <vantorel/host_unknown.h>
#include <vantorel/property_value.h>

class IVtlObject;
class IVtlModel;

// A model object: a property bag keyed by 16-bit property identifiers whose meaning
// depends on the object's class. Values are kept as deep copies: the caller keeps (and
// clears) the record it passed. Topics of the model are objects of this kind too.
class IVtlObject : public IVtlUnknown {
 public:
  // The object that format and text operations work on: a topic's format target, a text
  // or notes object's text target (the object itself). `which` is 0.
  virtual IVtlObject* GetTarget(LONG which) = 0;  // 3
  virtual BOOL GetGuid(GUID* out) = 0;            // 4: the topic's (or object's) GUID
  virtual LONG GetClassId() = 0;                  // 5
  VTL_UNUSED_SLOT(06)
  // For a list object: sets element `index` to a copy of the record.
  virtual BOOL SetListElement(LONG index, const PropertyValue* value) = 0;  // 7
  // Copies property `id` into `out` (which the caller then owns and clears).
  virtual BOOL GetProperty(USHORT id, PropertyValue* out) = 0;  // 8
  // The stored record of property `id`, read-only, valid until the property changes; null
  // when the property is not set.
  virtual const PropertyValue* GetPropertyRecord(USHORT id) = 0;  // 9
  // The sub-object kept under property `id` (a format's line 0x7000 or fill 0x7001 ...),
  // made empty on first use.
  virtual IVtlObject* GetSubObject(USHORT id) = 0;  // 10
  VTL_UNUSED_SLOT(11)
  virtual BOOL SetProperty(USHORT id, const PropertyValue* value) = 0;  // 12
  virtual LONG GetPropertyCount() = 0;                                  // 13
  virtual BOOL GetObjectGuid(GUID* out) = 0;                            // 14: as slot 4
  // Handle of the first object attached under `tag` (0 = none).
  virtual ULONG_PTR FindAttached(ULONG tag) = 0;  // 15
  // (handle, tag): the attached object that FindAttached gave the handle of;
  // (property, class): the sub-object of that class kept under the property, made on
  // first use. A second argument that is a role tag selects the first form.
  virtual IVtlObject* GetObject(ULONG_PTR first, ULONG second) = 0;  // 16
  // A new list of `count` empty elements, kept as property `id`.
  virtual IVtlObject* CreateList(USHORT id, LONG count) = 0;  // 17
  virtual BOOL RemoveProperty(USHORT id) = 0;                 // 18
  VTL_UNUSED_SLOT(19)
  // Copies every property (and sub-object) of `base` into this object.
  virtual BOOL InitFrom(IVtlObject* base) = 0;  // 20

 protected:
  ~IVtlObject() = default;
};

class IVtlView : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  virtual BOOL Activate(LONG show) = 0;  // 13

 protected:
  ~IVtlView() = default;
};

class IVtlDocument : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  virtual BOOL SetTitle(LPCWSTR title, LONG changed) = 0;  // 9
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  VTL_UNUSED_SLOT(13)
  VTL_UNUSED_SLOT(14)
  VTL_UNUSED_SLOT(15)
  VTL_UNUSED_SLOT(16)
  VTL_UNUSED_SLOT(17)
  virtual IVtlModel* GetModel() = 0;  // 18
  VTL_UNUSED_SLOT(19)
  VTL_UNUSED_SLOT(20)
  VTL_UNUSED_SLOT(21)
  VTL_UNUSED_SLOT(22)
  virtual IVtlView* GetView() = 0;  // 23
  VTL_UNUSED_SLOT(24)
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  VTL_UNUSED_SLOT(35)
  VTL_UNUSED_SLOT(36)
  virtual BOOL AcceptsImport() = 0;                 // 37
  virtual BOOL SetAcceptsImport(BOOL accepts) = 0;  // 38

 protected:
  ~IVtlDocument() = default;
};

class IVtlDocumentManager : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  // Position of the first open document, 0 when none is open.
  virtual ULONG_PTR GetFirstDocumentPosition() = 0;  // 6
  // The document at *position (owned by the manager: not released by the caller); moves
  // *position to the next one (0 after the last).
  virtual IVtlDocument* GetNextDocument(ULONG_PTR* position) = 0;  // 7
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  VTL_UNUSED_SLOT(13)
  VTL_UNUSED_SLOT(14)
  VTL_UNUSED_SLOT(15)
  VTL_UNUSED_SLOT(16)
  VTL_UNUSED_SLOT(17)
  // Opens a new, empty document at the end of the list; the template path, type and option
  // texts are recorded with it. FALSE on failure.
  virtual BOOL NewDocument(LPCWSTR templatePath, LPCWSTR type, LPCWSTR options) = 0;  // 18

 protected:
  ~IVtlDocumentManager() = default;
};

// Where the model's cursor stands: the current topic, and the text mode of text input.
class IVtlCursor : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  virtual BOOL EndTextInput() = 0;  // 13
  VTL_UNUSED_SLOT(14)
  VTL_UNUSED_SLOT(15)
  VTL_UNUSED_SLOT(16)
  VTL_UNUSED_SLOT(17)
  VTL_UNUSED_SLOT(18)
  virtual BOOL SetTextMode(LONG on, LONG code) = 0;  // 19
  VTL_UNUSED_SLOT(20)
  VTL_UNUSED_SLOT(21)
  VTL_UNUSED_SLOT(22)
  VTL_UNUSED_SLOT(23)
  virtual IVtlObject* GetCurrentNode() = 0;  // 24
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  virtual BOOL SetCurrentNode(LONG reserved, IVtlObject* node, LONG reserved2) = 0;  // 35

 protected:
  ~IVtlCursor() = default;
};

// Reads back the text of the text object placed with IVtlModel::PlaceObject.
class IVtlTextReader : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  virtual BOOL Open(LONG format, LONG reserved, LONG reserved2) = 0;  // 9: format 0x505 = plain text
  virtual BOOL Rewind(LONG reserved, LONG reserved2) = 0;             // 10
  VTL_UNUSED_SLOT(11)
  // The next chunk of text (a paragraph with its line feed); FALSE after the last.
  virtual BOOL ReadChunk(LPCWSTR* chunk, LONG* length) = 0;  // 12

 protected:
  ~IVtlTextReader() = default;
};

// A style target: the text-style list of the model (entry 0 is the base style of the placed
// text) and the paragraph-style target. Applying a style changes what is written next.
class IVtlStyleTarget : public IVtlUnknown {
 public:
  virtual IVtlObject* GetStyle(LONG index) = 0;    // 3
  virtual BOOL ApplyStyle(IVtlObject* style) = 0;  // 4

 protected:
  ~IVtlStyleTarget() = default;
};

class IVtlTableEntry : public IVtlUnknown {
 public:
  virtual BOOL GetGuid(GUID* out) = 0;  // 3
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  // Copies the entry's properties (0x4000 GUID, 0x4001 kind, 0x4002 name, 0x4003 file)
  // into `object`; slot 7 is used for groups, slot 9 for entries, and both do the same.
  virtual BOOL ReadGroupInto(IVtlObject* object) = 0;  // 7
  VTL_UNUSED_SLOT(08)
  virtual BOOL ReadInto(IVtlObject* object) = 0;  // 9

 protected:
  ~IVtlTableEntry() = default;
};

class IVtlTableIndex : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  virtual ULONG_PTR FindPosition(REFGUID guid) = 0;  // 7: 0 = none
  VTL_UNUSED_SLOT(08)
  virtual IVtlTableEntry* FindEntry(REFGUID guid) = 0;  // 9

 protected:
  ~IVtlTableIndex() = default;
};

// The document's object table: groups (class 525) holding entries (class 524) that
// markers, labels and task resources refer to by GUID. An object added with an all-zero
// GUID in 0x4000 gets a new GUID; one that names a GUID already in the table is refused.
class IVtlObjectTable : public IVtlUnknown {
 public:
  virtual IVtlTableIndex* GetIndex() = 0;                    // 3
  virtual IVtlTableEntry* AddAtTop(IVtlObject* object) = 0;  // 4
  VTL_UNUSED_SLOT(05)
  virtual IVtlTableEntry* AddUnder(ULONG_PTR position, IVtlObject* object) = 0;  // 6
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  // Updates the group or entry named by the object's 0x4000 from its other properties.
  virtual BOOL UpdateGroup(IVtlObject* object) = 0;  // 9
  virtual BOOL UpdateEntry(IVtlObject* object) = 0;  // 10

 protected:
  ~IVtlObjectTable() = default;
};

// Topic insertion kinds.
enum : LONG { kVtlInsertChild = 2, kVtlInsertFloating = 4, kVtlInsertCallout = 5 };

class IVtlModel : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  virtual IVtlObject* GetDocumentObject() = 0;  // 4: its slot 14 gives the document's GUID
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  virtual IVtlObject* GetRootNode(LONG reserved) = 0;  // 8: the central topic
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  virtual IVtlCursor* GetCursor() = 0;          // 11
  virtual IVtlTextReader* GetTextReader() = 0;  // 12
  VTL_UNUSED_SLOT(13)
  VTL_UNUSED_SLOT(14)
  VTL_UNUSED_SLOT(15)
  VTL_UNUSED_SLOT(16)
  virtual IVtlStyleTarget* GetTextStyleList() = 0;         // 17
  virtual IVtlStyleTarget* GetParagraphStyleTarget() = 0;  // 18
  VTL_UNUSED_SLOT(19)
  VTL_UNUSED_SLOT(20)
  VTL_UNUSED_SLOT(21)
  VTL_UNUSED_SLOT(22)
  VTL_UNUSED_SLOT(23)
  VTL_UNUSED_SLOT(24)
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  virtual IVtlObjectTable* GetObjectTable() = 0;  // 30
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  VTL_UNUSED_SLOT(35)
  VTL_UNUSED_SLOT(36)
  // Inserts a new topic under the cursor's current topic (kVtlInsert*), gives it the
  // format object's properties, and makes it the current topic.
  virtual BOOL InsertTopic(LONG reserved, LONG kind, IVtlObject* format) = 0;  // 37
  // Attaches `object` to the current topic under a role tag (the topic keeps a reference).
  virtual BOOL AttachObject(LONG reserved, ULONG tag, IVtlObject* object, LONG reserved2) = 0;  // 38
  VTL_UNUSED_SLOT(39)
  VTL_UNUSED_SLOT(40)
  VTL_UNUSED_SLOT(41)
  VTL_UNUSED_SLOT(42)
  VTL_UNUSED_SLOT(43)
  VTL_UNUSED_SLOT(44)
  virtual BOOL InsertControl(LONG reserved, LONG code, LONG reserved2) = 0;  // 45: code 9 = tab
  VTL_UNUSED_SLOT(46)
  // Writes `count` characters (-1: up to the terminator) into the placed text object.
  virtual BOOL InsertText(LONG reserved, LPCWSTR text, LONG count) = 0;  // 47
  VTL_UNUSED_SLOT(48)
  virtual BOOL InsertParagraphBreak(LONG reserved, LONG reserved2, LONG reserved3) = 0;  // 49
  virtual BOOL BeginTextInput(LONG reserved, LONG mode) = 0;                             // 50
  VTL_UNUSED_SLOT(51)
  VTL_UNUSED_SLOT(52)
  VTL_UNUSED_SLOT(53)
  VTL_UNUSED_SLOT(54)
  VTL_UNUSED_SLOT(55)
  VTL_UNUSED_SLOT(56)
  // Copies the format kept for `target` under `index` (-1 or 1 for a topic's two line and
  // fill formats) into `format`. FALSE when the target keeps none.
  virtual BOOL GetFormat(IVtlObject* target, IVtlObject* format, LONG index) = 0;  // 57
  // Keeps a copy of `format` for `target` under `index` (also binds a picture format to a
  // picture object).
  virtual BOOL SetFormat(LONG reserved, IVtlObject* target, IVtlObject* format, LONG index) = 0;  // 58
  VTL_UNUSED_SLOT(59)
  // Merges the format object's properties into a topic's format target (IVtlObject slot 3).
  virtual BOOL ApplyFormat(LONG reserved, IVtlObject* target, IVtlObject* format) = 0;  // 60
  VTL_UNUSED_SLOT(61)
  VTL_UNUSED_SLOT(62)
  VTL_UNUSED_SLOT(63)
  // Places a text object (a topic's text, a notes object's text target) as the target of
  // the text input operations and of the text reader.
  virtual BOOL PlaceObject(LONG reserved, IVtlObject* object, LONG reserved2) = 0;  // 64
  VTL_UNUSED_SLOT(65)
  VTL_UNUSED_SLOT(66)
  VTL_UNUSED_SLOT(67)
  VTL_UNUSED_SLOT(68)
  VTL_UNUSED_SLOT(69)
  VTL_UNUSED_SLOT(70)
  virtual BOOL EndSheet(LONG done) = 0;  // 71

 protected:
  ~IVtlModel() = default;
};
