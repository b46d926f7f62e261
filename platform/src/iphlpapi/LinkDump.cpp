// One RTM_GETLINK dump over a route netlink socket: a single round trip to the kernel
// gives every link's name, type, address, MTU, flags and counters, where reading them from
// files would cost several system calls per link.
#include "iphlpapi/LinkDump.h"

#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>

namespace kx2::net {
namespace {

// The kernel fills a dump batch to at most this size when the reader offers as much, so a
// larger message means something other than a link dump.
constexpr size_t kBatchBytes = 32768;
constexpr size_t kBatches = 2;

// One route socket for the process, kept between dumps: opening and closing a socket costs
// as much as the dump, and a socket that has once been read with a large buffer gets the
// whole dump in one batch. A forked child opens its own (the parent's stays the parent's),
// and a dump that went wrong closes the socket so that nothing it left unread can reach
// the next one.
class RouteSocket {
 public:
  RouteSocket() { pthread_atfork(BeforeFork, AfterForkInParent, AfterForkInChild); }

  std::mutex mutex;

  // The socket; -1 when none can be opened. Called under the mutex.
  int Fd() {
    if (fd_ < 0) fd_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    return fd_;
  }
  void Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  uint32_t NextSeq() { return ++seq_; }
  // Room for kBatches batches, kept so that its pages are not fresh for every dump.
  char* Buffers() {
    if (!buffers_) buffers_ = std::make_unique<char[]>(kBatches * kBatchBytes);
    return buffers_.get();
  }

 private:
  static void BeforeFork();
  static void AfterForkInParent();
  static void AfterForkInChild();

  int fd_ = -1;
  uint32_t seq_ = 0;
  std::unique_ptr<char[]> buffers_;
};

RouteSocket& TheRouteSocket() {
  static RouteSocket* socket = new RouteSocket;  // never destroyed: dumps may run during exit
  return *socket;
}

// No dump is half done when the process forks.
void RouteSocket::BeforeFork() { TheRouteSocket().mutex.lock(); }
void RouteSocket::AfterForkInParent() { TheRouteSocket().mutex.unlock(); }
void RouteSocket::AfterForkInChild() {
  RouteSocket& socket = TheRouteSocket();
  socket.Discard();
  socket.mutex.unlock();
}

// Sends one whole request to the kernel's routing socket.
bool SendToKernel(int fd, const void* request, size_t size) {
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  return ::sendto(fd, request, size, 0, reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) ==
         static_cast<ssize_t>(size);
}

bool SendRequest(int fd, uint32_t seq, bool counters) {
  struct {
    nlmsghdr header;
    ifinfomsg info;
    rtattr maskHeader;
    uint32_t mask;
  } request{};
  request.header.nlmsg_len = sizeof request;
  request.header.nlmsg_type = RTM_GETLINK;
  request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  request.header.nlmsg_seq = seq;
  request.info.ifi_family = AF_UNSPEC;
  // Without counters the system leaves out every statistics block, the larger part of its work.
  request.maskHeader.rta_type = IFLA_EXT_MASK;
  request.maskHeader.rta_len = RTA_LENGTH(sizeof request.mask);
  request.mask = counters ? 0 : RTEXT_FILTER_SKIP_STATS;
  return SendToKernel(fd, &request, sizeof request);
}

uint32_t U32(const rtattr* attribute) {
  uint32_t value = 0;
  std::memcpy(&value, RTA_DATA(attribute), sizeof value);
  return value;
}

std::string Text(const rtattr* attribute) {
  const auto* data = static_cast<const char*>(RTA_DATA(attribute));
  return std::string(data, strnlen(data, RTA_PAYLOAD(attribute)));
}

// The kind inside a nested IFLA_LINKINFO (a port's IFLA_INFO_SLAVE_KIND names its master's
// kind, not its own, and is not taken).
std::string KindOf(const rtattr* linkInfo) {
  int left = static_cast<int>(RTA_PAYLOAD(linkInfo));
  for (auto* at = static_cast<const rtattr*>(RTA_DATA(linkInfo)); RTA_OK(at, left); at = RTA_NEXT(at, left))
    if (at->rta_type == IFLA_INFO_KIND) return Text(at);
  return "";
}

// False when the message is malformed.
bool ParseLink(const nlmsghdr* message, Link* link) {
  if (message->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg))) return false;
  ifinfomsg info;
  std::memcpy(&info, NLMSG_DATA(message), sizeof info);
  link->index = info.ifi_index;
  link->hardwareType = info.ifi_type;
  link->flags = info.ifi_flags;
  int left = static_cast<int>(message->nlmsg_len - NLMSG_LENGTH(sizeof(ifinfomsg)));
  for (auto* at = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(NLMSG_DATA(message)) +
                                                  NLMSG_ALIGN(sizeof(ifinfomsg)));
       RTA_OK(at, left); at = RTA_NEXT(at, left)) {
    const auto* data = static_cast<const char*>(RTA_DATA(at));
    const size_t size = RTA_PAYLOAD(at);
    switch (at->rta_type) {
      case IFLA_IFNAME:
        link->name = Text(at);
        break;
      case IFLA_LINKINFO:
        link->kind = KindOf(at);
        break;
      case IFLA_PARENT_DEV_BUS_NAME:
        link->parentBus = Text(at);
        break;
      case IFLA_ADDRESS:
        link->address.assign(data, data + size);
        break;
      case IFLA_MTU:
        if (size >= sizeof(uint32_t)) link->mtu = U32(at);
        break;
      case IFLA_STATS:
        if (size >= sizeof(rtnl_link_stats)) {
          rtnl_link_stats stats;
          std::memcpy(&stats, data, sizeof stats);
          link->rxBytes = stats.rx_bytes;
          link->txBytes = stats.tx_bytes;
          link->rxPackets = stats.rx_packets;
          link->txPackets = stats.tx_packets;
          link->rxErrors = stats.rx_errors;
          link->txErrors = stats.tx_errors;
        }
        break;
      default:
        break;
    }
  }
  return !link->name.empty();
}

// Reads the answer to a request on `fd` into `buffers` (kBatches of kBatchBytes), handing
// each batch to `take` (the TakeLinkBatch contract) until it reports the answer complete;
// false when it fails or is malformed. The system makes a dump's next batch while a batch is
// being read, so one call usually takes the answer and the closing message.
template <typename Take>
bool ReadDump(int fd, char* buffers, Take take) {
  for (;;) {
    sockaddr_nl from[kBatches]{};
    iovec parts[kBatches];
    mmsghdr headers[kBatches]{};
    for (size_t i = 0; i < kBatches; ++i) {
      parts[i] = {buffers + i * kBatchBytes, kBatchBytes};
      headers[i].msg_hdr.msg_name = &from[i];
      headers[i].msg_hdr.msg_namelen = sizeof from[i];
      headers[i].msg_hdr.msg_iov = &parts[i];
      headers[i].msg_hdr.msg_iovlen = 1;
    }
    int got = ::recvmmsg(fd, headers, kBatches, MSG_WAITFORONE, nullptr);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    for (int i = 0; i < got; ++i) {
      const msghdr& header = headers[i].msg_hdr;
      if (headers[i].msg_len == 0 || (header.msg_flags & MSG_TRUNC)) return false;
      // Only the kernel's answer counts; any other sender is ignored.
      if (header.msg_namelen != sizeof from[i] || from[i].nl_pid != 0) continue;
      bool failed = false;
      if (take(buffers + i * kBatchBytes, headers[i].msg_len, &failed)) return !failed;
    }
  }
}

// The messages of one batch that answer request `seq`, each handed to `message` (false
// there: malformed); true once the answer is complete, with *failed set when it is an
// error or malformed.
template <typename Message>
bool WalkBatch(const char* batch, size_t size, uint32_t seq, bool* failed, Message message) {
  for (size_t at = 0; at < size && size - at >= sizeof(nlmsghdr);) {
    const auto* header = reinterpret_cast<const nlmsghdr*>(batch + at);
    if (header->nlmsg_len < sizeof(nlmsghdr) || header->nlmsg_len > size - at) {
      *failed = true;
      return true;
    }
    at += NLMSG_ALIGN(header->nlmsg_len);
    if (header->nlmsg_seq != seq) continue;
    if (header->nlmsg_type == NLMSG_DONE) return true;
    if (header->nlmsg_type == NLMSG_ERROR || !message(header)) {
      *failed = true;
      return true;
    }
  }
  return false;
}

}  // namespace

bool TakeLinkBatch(const char* batch, size_t size, uint32_t seq, std::vector<Link>* links, bool* failed) {
  return WalkBatch(batch, size, seq, failed, [links](const nlmsghdr* message) {
    if (message->nlmsg_type != RTM_NEWLINK) return true;
    Link link;
    if (!ParseLink(message, &link)) return false;
    links->push_back(std::move(link));
    return true;
  });
}

std::optional<std::vector<Link>> DumpLinks(bool counters) {
  RouteSocket& socket = TheRouteSocket();
  std::lock_guard lock(socket.mutex);
  const int fd = socket.Fd();
  if (fd < 0) return std::nullopt;
  const uint32_t seq = socket.NextSeq();
  std::vector<Link> links;
  const bool read = SendRequest(fd, seq, counters) &&
                    ReadDump(fd, socket.Buffers(), [&](const char* batch, size_t size, bool* failed) {
                      return TakeLinkBatch(batch, size, seq, &links, failed);
                    });
  if (!read) {
    socket.Discard();
    return std::nullopt;
  }
  return links;
}

}  // namespace kx2::net
