// Documents, their manager and the model of a document: the topic tree, the cursor, text
// input into a placed text object, and the object table.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <vantorel/model_interfaces.h>

#include "core/census.h"
#include "model/model_object.h"
#include "model/object_table.h"

namespace vantorel::detail {

class VtlDocument;

class VtlModel : public RefCounted<IVtlModel> {
 public:
  explicit VtlModel(VtlDocument* document);
  const char* Kind() const override { return "model"; }

  IVtlObject* GetDocumentObject() override { return ShareOut(documentObject_); }
  IVtlObject* GetRootNode(LONG) override { return static_cast<IVtlObject*>(ShareOut(root_)); }
  IVtlCursor* GetCursor() override;
  IVtlTextReader* GetTextReader() override;
  IVtlStyleTarget* GetTextStyleList() override;
  IVtlStyleTarget* GetParagraphStyleTarget() override;
  IVtlObjectTable* GetObjectTable() override { return ShareOut(table_); }
  BOOL InsertTopic(LONG, LONG kind, IVtlObject* format) override;
  BOOL AttachObject(LONG, ULONG tag, IVtlObject* object, LONG) override;
  BOOL InsertControl(LONG, LONG code, LONG) override;
  BOOL InsertText(LONG, LPCWSTR text, LONG count) override;
  BOOL InsertParagraphBreak(LONG, LONG, LONG) override;
  BOOL BeginTextInput(LONG, LONG mode) override;
  BOOL GetFormat(IVtlObject* target, IVtlObject* format, LONG index) override;
  BOOL SetFormat(LONG, IVtlObject* target, IVtlObject* format, LONG index) override;
  BOOL ApplyFormat(LONG, IVtlObject* target, IVtlObject* format) override;
  BOOL PlaceObject(LONG, IVtlObject* object, LONG) override;
  BOOL EndSheet(LONG done) override;

  // Host side.
  VtlTopic* root() const { return root_.get(); }
  VtlTopic* current() const { return current_.get(); }
  bool SetCurrent(IVtlObject* node);
  VtlObject* placed() const { return placed_.get(); }
  VtlObjectTable* table() const { return table_.get(); }
  VtlObject* documentObject() const { return documentObject_.get(); }
  VtlDocument* document() const { return document_; }
  int sheetsDone() const { return sheetsDone_; }
  bool ApplyTextStyle(IVtlObject* style);
  bool ApplyParagraphStyle(IVtlObject* style);
  // Breaks every link between the model's objects.
  void Close();

 protected:
  void Dispose() override { Close(); }

 private:
  bool Write(std::u16string_view text);

  VtlDocument* document_;
  Ref<VtlObject> documentObject_;
  Ref<VtlTopic> root_;
  Ref<VtlTopic> current_;
  Ref<VtlObjectTable> table_;
  Ref<VtlObject> placed_;
  Ref<VtlObject> style_;  // the style applied to what is written next; null = the placed object's own
  // The formats kept last, by index: a kept format is never changed in place, so the next
  // topic given a format of the same content (under any index) keeps the same object
  // instead of a copy.
  std::vector<std::pair<LONG, Ref<VtlObject>>> lastKept_;
  int sheetsDone_ = 0;
};

class VtlView : public RefCounted<IVtlView> {
 public:
  const char* Kind() const override { return "view"; }
  BOOL Activate(LONG show) override {
    activations_ += show ? 1 : 0;
    return TRUE;
  }
  int activations() const { return activations_; }

 private:
  int activations_ = 0;
};

class VtlDocument : public RefCounted<IVtlDocument> {
 public:
  VtlDocument(int number, std::u16string templatePath, std::u16string type, std::u16string options);
  const char* Kind() const override { return "document"; }

  BOOL SetTitle(LPCWSTR title, LONG) override;
  IVtlModel* GetModel() override { return ShareOut(model_); }
  IVtlView* GetView() override { return ShareOut(view_); }
  BOOL AcceptsImport() override { return accepts_; }
  BOOL SetAcceptsImport(BOOL accepts) override {
    accepts_ = accepts ? TRUE : FALSE;
    return TRUE;
  }

  int number() const { return number_; }
  const std::u16string& title() const { return title_; }
  const std::u16string& templatePath() const { return template_; }
  const std::u16string& type() const { return type_; }
  const std::u16string& options() const { return options_; }
  VtlModel* model() const { return model_.get(); }
  VtlView* view() const { return view_.get(); }
  void Close();

 protected:
  void Dispose() override { Close(); }

 private:
  int number_;
  std::u16string title_, template_, type_, options_;
  BOOL accepts_ = TRUE;
  Ref<VtlModel> model_;
  Ref<VtlView> view_;
};

class VtlDocumentManager : public RefCounted<IVtlDocumentManager> {
 public:
  const char* Kind() const override { return "document manager"; }

  ULONG_PTR GetFirstDocumentPosition() override { return documents_.empty() ? 0 : 1; }
  IVtlDocument* GetNextDocument(ULONG_PTR* position) override;
  BOOL NewDocument(LPCWSTR templatePath, LPCWSTR type, LPCWSTR options) override;

  const std::vector<Ref<VtlDocument>>& documents() const { return documents_; }
  VtlDocument* Open();  // a new empty document that may receive an import
  void CloseAll();
  void ResetNumbering() { nextNumber_ = 1; }

 private:
  std::vector<Ref<VtlDocument>> documents_;
  int nextNumber_ = 1;
};

}  // namespace vantorel::detail
