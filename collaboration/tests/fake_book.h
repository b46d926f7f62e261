// A book of the test's own items for the rooms' co-editing objects: every call the objects
// make on the host is written to a journal.
#pragma once

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <vantorel/collab_interfaces.h>
#include <vantorel/exports.h>

template <class Interface>
class Uncounted : public Interface {
 public:
  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
};

// What the host objects were asked, in order.
using Journal = std::vector<std::string>;

// An item's data as the host hands it to a sender, or an edit the holder made of received data.
class FakeData final : public Uncounted<IVtlCollabItemData> {
 public:
  FakeData(LONG value, const void* data, LONG length) : value_(value), data_(data), length_(length) {}
  LONG GetValue() override { return value_; }
  void SetSent(LONG sent) override { sent_ = sent; }
  void GetData(const void** data, LONG* length) override {
    *data = data_;
    *length = length_;
  }
  void SetMemberNumber(LONG member) override { member_ = member; }

  std::string Text() const { return std::string(static_cast<const char*>(data_), static_cast<size_t>(length_)); }
  LONG sent_ = 0;
  LONG member_ = -2;

 private:
  LONG value_;
  const void* data_;
  LONG length_;
};

class FakeLocks : public Uncounted<IVtlCollabLockService> {
 public:
  explicit FakeLocks(Journal& journal) : journal_(journal) {}
  LONG Lock(LONG member, const LONG* selector, LONG value) override {
    journal_.push_back("lock " + std::to_string(member) + " " + std::to_string(selector[3]) + " " +
                       std::to_string(value));
    return 1;
  }
  LONG Unlock(LONG member, const LONG* selector, LONG value, LONG) override {
    journal_.push_back("unlock " + std::to_string(member) + " " + std::to_string(selector[3]) + " " +
                       std::to_string(value));
    return 1;
  }

 private:
  Journal& journal_;
};

class FakeEditHolder : public Uncounted<IVtlCollabEditHolder> {
 public:
  FakeEditHolder(Journal& journal, IVtlCollabItem* item) : locks_(journal), journal_(journal), item_(item) {}
  IVtlCollabItem* GetItem() override { return item_; }
  IVtlCollabLockService* GetLockService() override { return withLocks ? &locks_ : nullptr; }
  LONG GetLocalMember() override { return localMember; }
  // Data beginning with 'X' is malformed.
  IVtlCollabItemData* MakeEdit(LONG value, const void* data, LONG length) override {
    if (length > 0 && static_cast<const char*>(data)[0] == 'X') {
      journal_.push_back("refuse");
      return nullptr;
    }
    edits.push_back(std::make_unique<FakeData>(value, data, length));
    return edits.back().get();
  }
  void BeginBatch() override { journal_.push_back("begin"); }
  void EndBatch() override { journal_.push_back("end"); }
  void ApplyEdit(IVtlCollabItemData* edit) override {
    auto* data = static_cast<FakeData*>(edit);
    journal_.push_back("apply " + std::to_string(data->GetValue()) + " " + data->Text() + " by " +
                       std::to_string(data->member_));
  }
  void* GetRoom() override { return room; }
  LONG ApplyQueuedPosition(LONG a, LONG b, LONG c) override {
    journal_.push_back("queued " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
    return 77;
  }
  void ApplyPositionResult(LONG a, LONG b) override {
    journal_.push_back("result " + std::to_string(a) + " " + std::to_string(b));
  }
  LONG QueryPosition(LONG a, LONG b) override { return a + b; }

  std::vector<std::unique_ptr<FakeData>> edits;
  bool withLocks = true;
  LONG localMember = -1;
  void* room = nullptr;

 private:
  FakeLocks locks_;
  Journal& journal_;
  IVtlCollabItem* item_;
};

class FakeValueHolder : public Uncounted<IVtlCollabValueHolder> {
 public:
  explicit FakeValueHolder(Journal& journal) : journal_(journal) {}
  void SetValue(LONG v) override { journal_.push_back("value " + std::to_string(v)); }
  void SetValues(LONG a, LONG b) override {
    journal_.push_back("values " + std::to_string(a) + " " + std::to_string(b));
  }

 private:
  Journal& journal_;
};

class FakeAttachments : public Uncounted<IVtlCollabAttachmentList> {
 public:
  explicit FakeAttachments(Journal& journal) : journal_(journal) {}
  void AddAttachment(const LONG* id) override { journal_.push_back("attach " + std::to_string(id[0])); }

 private:
  Journal& journal_;
};

class FakeItem : public Uncounted<IVtlCollabItem> {
 public:
  FakeItem(Journal& journal, LONG last)
      : edits_(journal, this), values_(journal), attachments_(journal), journal_(journal) {
    selector_[3] = last;
  }
  const LONG* GetSelector() override { return selector_; }
  IVtlCollabValueHolder* GetValueHolder() override { return &values_; }
  LONG GetLockValue(LONG kind) override { return 40 + kind; }
  IVtlCollabAttachmentList* GetAttachmentList() override { return &attachments_; }
  void SetChanged(LONG changed) override { journal_.push_back("changed " + std::to_string(changed)); }
  IVtlCollabEditHolder* GetEditHolder() override { return withHolder ? &edits_ : nullptr; }
  void SetRoom(void* room) override {
    edits_.room = room;
    journal_.push_back(room ? "room" : "no room");
  }
  void SetShared(LONG shared) override { journal_.push_back("shared " + std::to_string(shared)); }
  LONG TakesPart() override { return takesPart; }

  FakeEditHolder& Holder() { return edits_; }
  LONG selector_[4] = {1, 2, 3, 0};
  LONG takesPart = 1;
  bool withHolder = true;

 private:
  FakeEditHolder edits_;
  FakeValueHolder values_;
  FakeAttachments attachments_;
  Journal& journal_;
};

class FakeBook : public Uncounted<IVtlCollabBook> {
 public:
  explicit FakeBook(Journal& journal) : journal_(journal) {}
  ULONG_PTR GetFirstPosition() override { return items.empty() ? 0 : 1; }
  IVtlCollabItem* GetNextItem(ULONG_PTR* position) override {
    if (!position || *position == 0 || *position > items.size()) return nullptr;
    IVtlCollabItem* item = items[*position - 1];
    *position = *position < items.size() ? *position + 1 : 0;
    return item;
  }
  IVtlCollabItem* FindItem(const LONG* selector) override {
    for (FakeItem* item : items) {
      if (std::equal(selector, selector + 4, item->selector_)) return item;
    }
    return nullptr;
  }
  // The host's own application, whose file store keeps attachments.
  IVtlApplication* GetApplication() override { return VtlGetApplication(); }
  LONG SaveTo(LPCWSTR path, LPCWSTR format, LPCWSTR) override {
    journal_.push_back(std::u16string(format) == u"ETq" ? "save ETq" : "save ?");
    if (writes) {
      std::string p;
      // A Windows path of this machine ("Z:" is the root).
      for (const char16_t* c = path + 2; *c; ++c) p.push_back(*c == u'\\' ? '/' : static_cast<char>(*c));
      std::FILE* f = std::fopen(p.c_str(), "wb");
      if (f) std::fclose(f);
    }
    return 0;  // the file tells
  }

  std::vector<FakeItem*> items;
  bool writes = true;

 private:
  Journal& journal_;
};

class FakeDocument : public Uncounted<IVtlCollabBookDocument> {
 public:
  LONG AdoptBookFile(LPCWSTR, LPCWSTR, LONG) override { return adopt; }
  LONG OpenBook(LPCWSTR name) override { return std::u16string(name) == u"book" ? 5 : -1; }
  LONG adopt = 0;
};
