// A chat message record as the rooms keep it for the host.
#pragma once

#include <string>
#include <utility>

#include <tendril/tendril_interfaces.h>

namespace TDRL {

class ChatMessageInfo : public IChatMessageInfo {
 public:
  // An empty record has the kind 2.
  ChatMessageInfo() = default;
  ChatMessageInfo(std::u16string first, std::u16string second, std::u16string third, int kind)
      : first_(std::move(first)), second_(std::move(second)), third_(std::move(third)), kind_(kind) {}
  // A copy of any record.
  explicit ChatMessageInfo(IChatMessageInfo& other)
      : first_(Text(other.GetFirstText())),
        second_(Text(other.GetSecondText())),
        third_(Text(other.GetThirdText())),
        kind_(other.GetKind()) {}

  const char16_t* GetFirstText() override { return first_.c_str(); }
  const char16_t* GetSecondText() override { return second_.c_str(); }
  const char16_t* GetThirdText() override { return third_.c_str(); }
  int GetKind() override { return kind_; }

 private:
  static std::u16string Text(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }

  std::u16string first_;
  std::u16string second_;
  std::u16string third_;
  int kind_ = 2;
};

}  // namespace TDRL
