// A room member: its number and the XMPP settings it connects with. Texts are kept as UTF-8
// and offered as UTF-16, so that names in any script survive the round trip.
#pragma once

#include <string>

#include <tendril/tendril_interfaces.h>

namespace TDRL {

// The connection settings of a room (what the XMPP client logs in with).
struct XmppSettings {
  std::string user;
  std::string host;  // the XMPP domain
  std::string password;
  std::string resource;
  std::string serverHost;
  int serverPort = 5222;
  bool useTls = false;
  bool allowPlainLogin = true;
};

// UTF-8 <-> UTF-16 through the foundation's code-page calls.
std::u16string Utf8ToWide(const std::string& text);
std::string WideToUtf8(const char16_t* text);

// A wide name to find among UTF-8 names. Names are mostly ASCII, whose UTF-8 bytes are the
// units themselves: those are compared in place, any other name is converted once.
class WideName {
 public:
  explicit WideName(const char16_t* wide);
  bool Matches(const std::string& utf8) const;

 private:
  const char16_t* wide_;
  size_t units_ = 0;
  bool ascii_ = true;
  std::string converted_;
};

class MemberInfo : public IMemberInfo {
 public:
  int GetNumber() override { return number_; }
  void SetNumber(int number) override { number_ = number; }
  char16_t* GetUserName() override { return NewWide(settings_.user); }
  void SetUserName(const char16_t* name) override { settings_.user = WideToUtf8(name); }
  char16_t* GetDomain() override { return NewWide(settings_.host); }
  void SetDomain(const char16_t* domain) override { settings_.host = WideToUtf8(domain); }
  char16_t* GetResource() override { return NewWide(settings_.resource); }
  void SetResource(const char16_t* resource) override { settings_.resource = WideToUtf8(resource); }

  XmppSettings& Settings() { return settings_; }
  const std::string& UserNameUtf8() const { return settings_.user; }

 private:
  static char16_t* NewWide(const std::string& text);

  int number_ = 0;
  XmppSettings settings_;
};

class ConnectedUser : public MemberInfo {};

}  // namespace TDRL
