// Reading and comparing the feed file the last download left.
#include <basalt/xml/node.h>
#include <basalt/xml/options.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include <kx2/Utf.h>
#include <renewal/Renewal.h>
#include <win/crt.h>

namespace renewal {

const char16_t* FeedFileName(DWORD flags) {
  if (flags & kFeedCollabBeta) return u"taloria_collab_beta_update.xml";
  if (flags & kFeedStarter) return u"taloria_update_starter_version.xml";
  if (flags & kFeedYearly) return u"taloria_yearly_plan_update_check.xml";
  return u"taloria10_perpetual_plan_update_check.xml";
}

HRESULT OnlineUpdateVersioinCheck::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

namespace {

// Leading digits as _wtoi reads them; a missing attribute reads 0.
int32_t Number(const Basalt::XMLDom::XMLNode& root, const char16_t* name) {
  const char16_t* value = root.GetAttrValue(name);
  return value ? _wtoi(value) : 0;
}

constexpr long kMaxFeedBytes = 1 << 20;

// The foundation's loader reads UTF-16LE files; the update site serves its feed as UTF-8
// XML, which is read here and parsed from text by the same parser.
bool LoadUtf8(Basalt::XMLDom::XMLNode& root, const std::u16string& path) {
  FILE* file = _wfopen(path.c_str(), u"rb");
  if (!file) return false;
  std::string bytes;
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && bytes.size() <= kMaxFeedBytes)
    bytes.append(chunk, got);
  std::fclose(file);
  if (bytes.empty() || bytes.size() > kMaxFeedBytes || bytes.find('\0') != std::string::npos) return false;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  std::u16string text = kx2::Utf8ToUtf16(bytes);
  Basalt::XMLDom::ParseInfo info;
  const char16_t* stop = root.Load(text.c_str(), &info);
  return stop && !info.errorOccurred;
}

}  // namespace

int OnlineUpdateVersioinCheck::ReadFeed(UpdateFeedInfo* info) {
  if (!info || feedPath_.empty()) return 1;
  Basalt::XMLDom::XMLNode root;
  if (!root.LoadFile(feedPath_.c_str())) {
    root.Close();
    if (!LoadUtf8(root, feedPath_)) return 1;
  }
  info->major = Number(root, u"major");
  info->minor = Number(root, u"minor");
  info->patch = Number(root, u"patch");
  info->revision = Number(root, u"revision");
  const char16_t* url = root.GetAttrValue(u"url");
  info->url = url ? url : u"";
  return 1;
}

std::u16string FeedVersionText(const UpdateFeedInfo& feed) {
  const std::string text = std::to_string(feed.major) + "." + std::to_string(feed.minor) + "." +
                           std::to_string(feed.patch) + "." + std::to_string(feed.revision);
  return std::u16string(text.begin(), text.end());
}

int CompareFeedVersion(const UpdateFeedInfo& feed, const FeedVersion& current) {
  const int32_t fed[] = {feed.major, feed.minor, feed.patch, feed.revision};
  const int32_t have[] = {current.major, current.minor, current.patch, current.revision};
  for (int i = 0; i < 4; ++i) {
    if (fed[i] > have[i]) return 0;
    if (fed[i] < have[i]) return 1;
  }
  return 1;
}

void OnlineUpdateVersioinCheck::GetFeedVersionText(char16_t* buffer) {
  if (!buffer) return;
  UpdateFeedInfo info;
  ReadFeed(&info);
  const std::u16string text = FeedVersionText(info);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
}

int OnlineUpdateVersioinCheck::CompareWithFeed(const FeedVersion* current) {
  UpdateFeedInfo feed;
  ReadFeed(&feed);
  return CompareFeedVersion(feed, current ? *current : FeedVersion{});
}

HRESULT BindCallback::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOTIMPL;
}

HRESULT BindCallback::OnProgress(ULONG, ULONG, ULONG, LPCWSTR) { return _time64(nullptr) > deadline_ ? E_ABORT : S_OK; }

}  // namespace renewal
