// The whole answer a server gives, from a loopback server inside the target, to a download
// and to a statistics post. A download is applied only after a complete 200, and nothing is
// written but its part file and its local path.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include <kx2/Utf.h>
#include <tendril/http_transfers.h>

namespace {

namespace fs = std::filesystem;

// Answers every request with the current input, then closes the connection.
class LoopbackServer {
 public:
  LoopbackServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      std::abort();
    }
    port_ = ntohs(address.sin_port);
    std::thread([this] { Serve(); }).detach();
  }
  uint16_t Port() const { return port_; }
  void SetAnswer(std::string answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_ = std::move(answer);
  }

 private:
  void Serve() {
    for (;;) {
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      std::string request;
      char buffer[4096];
      // The head, then as many body bytes as it announces (a form post's is small).
      size_t need = std::string::npos;
      while (request.size() < need) {
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<size_t>(got));
        const size_t head = request.find("\r\n\r\n");
        if (head != std::string::npos && need == std::string::npos) {
          const size_t field = request.find("Content-Length: ");
          need = head + 4 +
                 (field != std::string::npos && field < head ? std::strtoul(request.c_str() + field + 16, nullptr, 10)
                                                             : 0);
        }
      }
      std::string answer;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        answer = answer_;
      }
      ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
      ::shutdown(client, SHUT_WR);
      while (::recv(client, buffer, sizeof buffer, 0) > 0) {}
      ::close(client);
    }
  }

  int listener_ = -1;
  uint16_t port_ = 0;
  std::mutex mutex_;
  std::string answer_;
};

class Room : public TDRL::IAttachmentRoom, public TDRL::IAttachmentApplier {
 public:
  TDRL::IAttachmentApplier* GetCoEditManager() override { return this; }
  void ApplyAttachmentFile(const TDRL::Int32Quad&, const char16_t*) override { ++applied; }
  std::atomic<int> applied{0};
};

bool IsStatusLine(const std::string& answer, size_t at, const char* code) {
  return answer.size() >= at + 12 &&
         (answer.compare(at, 9, "HTTP/1.0 ") == 0 || answer.compare(at, 9, "HTTP/1.1 ") == 0) &&
         (!code || answer.compare(at + 9, 3, code) == 0) &&
         (answer.size() == at + 12 || answer[at + 12] == ' ' || answer[at + 12] == '\r' || answer[at + 12] == '\n');
}

// A 200 status line at the start of the answer, or after interim (1xx) answers.
bool HasStatus200(const std::string& answer) {
  for (size_t at = 0; at != std::string::npos; at = answer.find('\n', at), at = at == std::string::npos ? at : at + 1) {
    if (IsStatusLine(answer, at, "200")) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static LoopbackServer server;
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / ("fuzz-collab-http-" + std::to_string(::getpid()));
    fs::create_directories(path);
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    ::setenv("KX2_TENDRIL_HTTP", host.c_str(), 1);
    ::setenv("KX2_TENDRIL_HTTP_RETRY_MS", "0", 1);
    return path;
  }();
  const std::string answer(reinterpret_cast<const char*>(data), size);
  server.SetAnswer(answer);

  const fs::path local = folder / "attachment.bin";
  Room room;
  {
    TDRL::HttpHelper::TransferList list(&room);
    list.StartDownload(kx2::Utf8ToUtf16(local.string()).c_str(), u"attachment.bin", TDRL::Int32Quad{{1, 2, 3, 4}});
    list.WaitIdle(60000);
    list.StartStatistics(42);
    list.WaitIdle(60000);
  }
  if (room.applied > 0 && (!IsStatusLine(answer, 0, nullptr) || !HasStatus200(answer) || !fs::exists(local)))
    std::abort();
  if (room.applied == 0 && fs::exists(local)) std::abort();
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path() != local) std::abort();  // a part file left behind, or anything else
  }
  fs::remove(local);
  return 0;
}
