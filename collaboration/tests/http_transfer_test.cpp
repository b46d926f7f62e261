// HTTP transfers against the HTTP test server on a loopback port.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include <kx2/Utf.h>
#include <kx2test/PeerLauncher.h>
#include <tendril/http_form.h>
#include <tendril/http_transfers.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using TDRL::HttpForm;
using TDRL::HttpHelper::TransferList;
namespace HttpError = TDRL::HttpError;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (auto& b : bytes) b = static_cast<char>(random());
  return bytes;
}

std::u16string Wide(const fs::path& path) { return kx2::Utf8ToUtf16(path.string()); }

// Records what downloads hand to the room.
class RecordingRoom : public TDRL::IAttachmentRoom, public TDRL::IAttachmentApplier {
 public:
  struct Call {
    TDRL::Int32Quad attachment;
    std::u16string path;
  };
  TDRL::IAttachmentApplier* GetCoEditManager() override { return this; }
  void ApplyAttachmentFile(const TDRL::Int32Quad& attachment, const char16_t* localPath) override {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back({attachment, localPath});
  }
  std::vector<Call> Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

 private:
  std::mutex mutex_;
  std::vector<Call> calls_;
};

class HttpTransferTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) / ("tendril-http-" + std::to_string(::getpid()) + "-" +
                                              testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "server");
    fs::create_directories(folder_ / "client");
    server_ = kx2test::PeerProcess::StartPythonPeer("http_server.py", {(folder_ / "server").string()});
    ASSERT_NE(server_, nullptr);
    host_ = "127.0.0.1:" + std::to_string(server_->Port());
    ::setenv("KX2_TENDRIL_HTTP", host_.c_str(), 1);
    ::setenv("KX2_TENDRIL_HTTP_RETRY_MS", "20", 1);
  }
  void TearDown() override {
    server_.reset();
    ::unsetenv("KX2_TENDRIL_HTTP");
    ::unsetenv("KX2_TENDRIL_HTTP_RETRY_MS");
    fs::remove_all(folder_);
  }

  // Runs a server command and waits until the server has carried it out.
  void Command(const std::string& line) {
    ASSERT_TRUE(server_->Send(line));
    ASSERT_TRUE(server_->Send("ping " + std::to_string(++pings_)));
    const std::string pong = "\"pong\", \"token\": \"" + std::to_string(pings_) + "\"";
    ASSERT_TRUE(server_->WaitForLine([&](const std::string& l) { return l.find(pong) != l.npos; }));
  }
  std::optional<std::string> WaitEvent(const std::string& text, std::chrono::milliseconds timeout = 10s) {
    return server_->WaitForLine([&](const std::string& l) { return l.find(text) != l.npos; }, timeout);
  }
  size_t Requests() const {
    size_t count = 0;
    for (const auto& line : server_->Lines()) count += line.find("\"event\": \"request\"") != std::string::npos;
    return count;
  }
  std::u16string Host() const { return kx2::Utf8ToUtf16(host_); }
  fs::path Client(const std::string& name) const { return folder_ / "client" / name; }
  fs::path Stored(const std::string& name) const { return folder_ / "server" / "attachments" / name; }

  fs::path folder_;
  std::string host_;
  std::unique_ptr<kx2test::PeerProcess> server_;
  int pings_ = 0;
};

TEST_F(HttpTransferTest, EmptyTendrilFieldIsNinetyEightBytesOnTheWire) {
  HttpForm form;
  ASSERT_EQ(form.Open(Host().c_str()), 0u);
  ASSERT_EQ(form.AddTextField(u""), 0u);
  EXPECT_EQ(form.ComputedLength(), 67 + 7 + 25);
  HttpForm::Answer answer;
  ASSERT_EQ(form.Post(u"/statistics.php", &answer, true), 0u);
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.text, u"OK");
  form.Close();

  const auto line = WaitEvent("\"request\"");
  ASSERT_TRUE(line);
  const std::string raw = ReadFile(folder_ / "server" / "requests" / "1.raw");
  const size_t head = raw.find("\r\n\r\n");
  ASSERT_NE(head, std::string::npos);
  const std::string headers = raw.substr(0, head + 2), body = raw.substr(head + 4);
  EXPECT_EQ(body,
            "-------TDRL-BOUNDARY\r\nContent-Disposition: form-data; name=\"tendril\"\r\n\r\n\r\n"
            "-------TDRL-BOUNDARY--\r\n");
  EXPECT_EQ(body.size(), 98u);
  EXPECT_EQ(headers.rfind("POST /statistics.php HTTP/1.1\r\n", 0), 0u) << headers;
  EXPECT_NE(headers.find("\r\nUser-Agent: tendrilAgent\r\n"), std::string::npos) << headers;
  EXPECT_NE(headers.find("\r\nContent-Type: multipart/form-data; boundary=-----TDRL-BOUNDARY\r\n"), std::string::npos);
  EXPECT_NE(headers.find("\r\nContent-Length: 98\r\n"), std::string::npos);
  EXPECT_EQ(headers.find("Expect:"), std::string::npos);
}

TEST_F(HttpTransferTest, FormRefusalsComeBeforeAnyRequest) {
  WriteFile(Client("empty.bin"), "");
  WriteFile(Client("some.bin"), "abc");
  fs::create_directories(Client("folder"));
  HttpForm form;
  EXPECT_EQ(form.Post(u"/upload.php"), HttpError::kNotReady);
  EXPECT_EQ(form.Open(nullptr), HttpError::kInvalidParameter);
  ASSERT_EQ(form.Open(Host().c_str()), 0u);
  EXPECT_EQ(form.Open(Host().c_str()), HttpError::kAlreadyExists);
  EXPECT_EQ(form.AddTextField(nullptr), HttpError::kInvalidParameter);
  EXPECT_EQ(form.AddFileField(nullptr, Wide(Client("some.bin")).c_str()), HttpError::kInvalidParameter);
  EXPECT_EQ(form.AddFileField(u"empty.bin", Wide(Client("empty.bin")).c_str()), HttpError::kEmptyFile);
  EXPECT_EQ(form.AddFileField(u"missing.bin", Wide(Client("missing.bin")).c_str()), HttpError::kFileNotFound);
  EXPECT_NE(form.AddFileField(u"folder", Wide(Client("folder")).c_str()), 0u);
  EXPECT_EQ(form.ComputedLength(), 25);  // no field was added
  EXPECT_EQ(form.Post(nullptr), HttpError::kInvalidParameter);

  // A file that grows after it was added, or shrinks, or a body past the 32-bit length the
  // header carries (a sparse 2 GiB file) is refused before the request.
  WriteFile(Client("huge.bin"), "");
  fs::resize_file(Client("huge.bin"), uint64_t{1} << 31);
  struct Case {
    const char* name;
    std::string after;  // what some.bin holds when the post starts
    DWORD expected;
  } cases[] = {{"some.bin", "abcd", HttpError::kBufferOverflow},
               {"some.bin", "ab", HttpError::kInternalError},
               {"huge.bin", "", HttpError::kNotEnoughMemory}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + (" " + c.after));
    WriteFile(Client("some.bin"), "abc");
    HttpForm post;
    ASSERT_EQ(post.Open(Host().c_str()), 0u);
    ASSERT_EQ(post.AddFileField(kx2::Utf8ToUtf16(c.name).c_str(), Wide(Client(c.name)).c_str()), 0u);
    if (!c.after.empty()) WriteFile(Client("some.bin"), c.after);
    EXPECT_EQ(post.Post(u"/upload.php"), c.expected);
  }
  Command("ping sync");
  EXPECT_EQ(Requests(), 0u);
}

TEST_F(HttpTransferTest, TenMegabyteUploadArrivesWholeAndTheSourceStays) {
  const std::string bytes = RandomBytes(10u << 20, 1);
  WriteFile(Client("big.bin"), bytes);
  {
    TransferList list(nullptr);
    ASSERT_EQ(list.StartUpload(u"big.bin", Wide(Client("big.bin")).c_str(), false), 0u);
    ASSERT_TRUE(list.WaitIdle(30000));
    EXPECT_EQ(list.UnfinishedUploads(), 0u);
  }
  EXPECT_TRUE(WaitEvent("\"stored\""));
  EXPECT_TRUE(ReadFile(Stored("big.bin")) == bytes);
  EXPECT_TRUE(fs::exists(Client("big.bin")));
  const std::string raw = ReadFile(folder_ / "server" / "requests" / "1.raw");
  EXPECT_EQ(raw.find("Expect:"), std::string::npos);
}

TEST_F(HttpTransferTest, UploadWithDeleteAfterRemovesTheFileOnceStored) {
  WriteFile(Client("temp.bin"), "temporary");
  TransferList list(nullptr);
  ASSERT_EQ(list.StartUpload(u"temp.bin", Wide(Client("temp.bin")).c_str(), true), 0u);
  ASSERT_TRUE(list.WaitIdle(10000));
  EXPECT_EQ(ReadFile(Stored("temp.bin")), "temporary");
  EXPECT_FALSE(fs::exists(Client("temp.bin")));
}

TEST_F(HttpTransferTest, MissingSourceFailsAndCreatesNothing) {
  TransferList list(nullptr);
  EXPECT_EQ(list.StartUpload(u"gone.bin", Wide(Client("gone.bin")).c_str(), true), HttpError::kFileNotFound);
  EXPECT_FALSE(fs::exists(Client("gone.bin")));
  EXPECT_EQ(list.RunningCount(), 0u);
}

TEST_F(HttpTransferTest, UnfinishedUploadIsSentAgainWhenTheListGoes) {
  WriteFile(Client("host.bin"), "host attachment");
  Command("answer /upload.php 500");
  {
    TransferList list(nullptr);
    ASSERT_EQ(list.StartUpload(u"host.bin", Wide(Client("host.bin")).c_str(), false), 0u);
    ASSERT_TRUE(list.WaitIdle(10000));
    EXPECT_EQ(list.UnfinishedUploads(), 1u);
    EXPECT_FALSE(fs::exists(Stored("host.bin")));
  }
  EXPECT_EQ(ReadFile(Stored("host.bin")), "host attachment");
  EXPECT_TRUE(fs::exists(Client("host.bin")));  // the host's own file is never deleted
}

TEST_F(HttpTransferTest, DownloadAfterThree404sHoldsOnlyThe200Body) {
  WriteFile(Stored("doc.bin"), "the attachment");
  WriteFile(Client("doc.bin"), "older local content");
  Command("answer /attachments/doc.bin 404 3");
  RecordingRoom room;
  TransferList list(&room);
  ASSERT_EQ(list.StartDownload(Wide(Client("doc.bin")).c_str(), u"doc.bin", TDRL::Int32Quad{{1, 2, 3, 4}}), 0u);
  ASSERT_TRUE(list.WaitIdle(10000));
  EXPECT_EQ(ReadFile(Client("doc.bin")), "the attachment");
  EXPECT_FALSE(fs::exists(Client("doc.bin.part")));
  const auto calls = room.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].attachment.values[3], 4);
  EXPECT_EQ(calls[0].path, Wide(Client("doc.bin")));
  Command("ping sync");  // every earlier event is in once the answer is
  EXPECT_EQ(Requests(), 4u);
}

TEST_F(HttpTransferTest, IncompleteOrFailedAnswersLeaveNoFileAndCallNoOne) {
  WriteFile(Stored("doc.bin"), RandomBytes(100000, 2));
  for (const char* kind : {"500", "short", "badchunk", "huge"}) {
    SCOPED_TRACE(kind);
    Command(std::string("answer /attachments/doc.bin ") + kind);
    RecordingRoom room;
    TransferList list(&room);
    ASSERT_EQ(list.StartDownload(Wide(Client("doc.bin")).c_str(), u"doc.bin", {}), 0u);
    ASSERT_TRUE(list.WaitIdle(10000));
    EXPECT_FALSE(fs::exists(Client("doc.bin")));
    EXPECT_FALSE(fs::exists(Client("doc.bin.part")));
    EXPECT_TRUE(room.Calls().empty());
  }
  Command("answer /attachments/doc.bin chunked");
  RecordingRoom room;
  TransferList list(&room);
  ASSERT_EQ(list.StartDownload(Wide(Client("doc.bin")).c_str(), u"doc.bin", {}), 0u);
  ASSERT_TRUE(list.WaitIdle(10000));
  EXPECT_EQ(ReadFile(Client("doc.bin")), ReadFile(Stored("doc.bin")));
  EXPECT_EQ(room.Calls().size(), 1u);
}

TEST_F(HttpTransferTest, StatisticsPostTheValue) {
  TransferList list(nullptr);
  ASSERT_EQ(list.StartStatistics(42), 0u);
  const auto line = WaitEvent("\"statistics\"");
  ASSERT_TRUE(line);
  EXPECT_NE(line->find("\"value\": \"42\""), std::string::npos) << *line;
  EXPECT_TRUE(list.WaitIdle(10000));
}

TEST_F(HttpTransferTest, StalledTransferEndsAtOnceOnStopAll) {
  WriteFile(Stored("slow.bin"), "never arrives");
  Command("answer /attachments/slow.bin stall");
  RecordingRoom room;
  TransferList list(&room);
  ASSERT_EQ(list.StartDownload(Wide(Client("slow.bin")).c_str(), u"slow.bin", {}), 0u);
  ASSERT_TRUE(WaitEvent("\"kind\": \"stall\""));
  const auto start = std::chrono::steady_clock::now();
  list.StopAll();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(list.RunningCount(), 0u);
  EXPECT_FALSE(fs::exists(Client("slow.bin")));
  EXPECT_FALSE(fs::exists(Client("slow.bin.part")));
  EXPECT_TRUE(room.Calls().empty());
}

TEST_F(HttpTransferTest, UnreachableServerFailsTheTransferQuietly) {
  ::setenv("KX2_TENDRIL_HTTP", "127.0.0.1:1", 1);
  RecordingRoom room;
  TransferList list(&room);
  ASSERT_EQ(list.StartDownload(Wide(Client("x.bin")).c_str(), u"x.bin", {}), 0u);
  ASSERT_TRUE(list.WaitIdle(10000));
  EXPECT_TRUE(room.Calls().empty());
  HttpForm form;
  ASSERT_EQ(form.Open(u"127.0.0.1:1"), 0u);
  form.AddTextField(u"1");
  EXPECT_EQ(form.Post(u"/statistics.php"), HttpError::kCannotConnect);
}

}  // namespace
