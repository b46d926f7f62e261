// The host's chat message object: a few values under numeric identifiers.
#include <map>

#include <vantorel/collab_host.h>

#include "core/census.h"

namespace vantorel::detail {
namespace {

class ChatMessage : public RefCounted<IVtlChatMessage> {
 public:
  const char* Kind() const override { return "chat message"; }

  const PropertyValue* GetValue(LONG id) override {
    auto it = values_.find(id);
    return it == values_.end() ? nullptr : &it->second;
  }
  BOOL HasValue(LONG id) override { return values_.count(id) ? TRUE : FALSE; }

  void SetNumber(LONG id, LONG value) {
    PropertyValue record = {};
    record.type = kPropInt;
    record.i32 = value;
    values_[id] = record;
  }
  void SetText(LONG id, const char16_t* text) {
    PropertyValue record = {};
    record.type = kPropText;
    record.text = SysAllocString(reinterpret_cast<const OLECHAR*>(text));
    values_[id] = record;
  }

 protected:
  void Dispose() override {
    for (auto& [id, record] : values_) {
      if (record.type == kPropText) SysFreeString(record.text);
    }
    values_.clear();
  }

 private:
  std::map<LONG, PropertyValue> values_;
};

}  // namespace
}  // namespace vantorel::detail

namespace vantorel {

IVtlChatMessage* CreateChatMessage(const ChatMessageValues& values) {
  auto* message = new detail::ChatMessage();
  if (values.first) message->SetNumber(0x5001, *values.first);
  if (values.second) message->SetNumber(0x5002, *values.second);
  if (values.addressee) message->SetNumber(0x5003, *values.addressee);
  if (values.firstText) message->SetText(0x5004, values.firstText);
  if (values.secondText) message->SetText(0x5005, values.secondText);
  return message;
}

}  // namespace vantorel
