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
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  return ::sendto(fd, &request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) ==
         static_cast<ssize_t>(sizeof request);
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

// Reads the answer to request `seq` on `fd` into `buffers` (kBatches of kBatchBytes);
// nullopt when it fails or is malformed. The system makes a dump's next batch while a
// batch is being read, so one call usually takes the links and the closing message.
std::optional<std::vector<Link>> ReadDump(int fd, uint32_t seq, char* buffers) {
  std::vector<Link> links;
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
    if (got <= 0) return std::nullopt;
    for (int i = 0; i < got; ++i) {
      const msghdr& header = headers[i].msg_hdr;
      if (headers[i].msg_len == 0 || (header.msg_flags & MSG_TRUNC)) return std::nullopt;
      // Only the kernel's answer counts; any other sender is ignored.
      if (header.msg_namelen != sizeof from[i] || from[i].nl_pid != 0) continue;
      bool failed = false;
      if (TakeLinkBatch(buffers + i * kBatchBytes, headers[i].msg_len, seq, &links, &failed)) {
        if (failed) return std::nullopt;
        return links;
      }
    }
  }
}

}  // namespace

bool TakeLinkBatch(const char* batch, size_t size, uint32_t seq, std::vector<Link>* links, bool* failed) {
  for (size_t at = 0; at < size && size - at >= sizeof(nlmsghdr);) {
    const auto* message = reinterpret_cast<const nlmsghdr*>(batch + at);
    if (message->nlmsg_len < sizeof(nlmsghdr) || message->nlmsg_len > size - at) {
      *failed = true;
      return true;
    }
    at += NLMSG_ALIGN(message->nlmsg_len);
    if (message->nlmsg_seq != seq) continue;
    if (message->nlmsg_type == NLMSG_DONE) return true;
    if (message->nlmsg_type == NLMSG_ERROR) {
      *failed = true;
      return true;
    }
    if (message->nlmsg_type != RTM_NEWLINK) continue;
    Link link;
    if (!ParseLink(message, &link)) {
      *failed = true;
      return true;
    }
    links->push_back(std::move(link));
  }
  return false;
}

std::optional<std::vector<Link>> DumpLinks(bool counters) {
  RouteSocket& socket = TheRouteSocket();
  std::lock_guard lock(socket.mutex);
  const int fd = socket.Fd();
  if (fd < 0) return std::nullopt;
  const uint32_t seq = socket.NextSeq();
  std::optional<std::vector<Link>> links;
  if (SendRequest(fd, seq, counters)) links = ReadDump(fd, seq, socket.Buffers());
  if (!links) socket.Discard();
  return links;
}

}  // namespace kx2::net
