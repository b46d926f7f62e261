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
#include <mutex>

namespace kx2::net {
namespace {

// The kernel fills a dump batch to at most this size when the reader offers as much, so a
// larger message means something other than a link dump.
constexpr size_t kBatchBytes = 32768;

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

 private:
  static void BeforeFork();
  static void AfterForkInParent();
  static void AfterForkInChild();

  int fd_ = -1;
  uint32_t seq_ = 0;
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

// Reads the answer to request `seq` on `fd`; nullopt when it fails or is malformed.
std::optional<std::vector<Link>> ReadDump(int fd, uint32_t seq) {
  std::vector<Link> links;
  alignas(nlmsghdr) char buffer[kBatchBytes];
  for (;;) {
    sockaddr_nl from{};
    iovec part{buffer, sizeof buffer};
    msghdr header{};
    header.msg_name = &from;
    header.msg_namelen = sizeof from;
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    ssize_t got = ::recvmsg(fd, &header, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || (header.msg_flags & MSG_TRUNC)) return std::nullopt;
    // Only the kernel's answer counts; any other sender is ignored.
    if (header.msg_namelen != sizeof from || from.nl_pid != 0) continue;
    int left = static_cast<int>(got);
    for (auto* message = reinterpret_cast<const nlmsghdr*>(buffer); NLMSG_OK(message, left);
         message = NLMSG_NEXT(message, left)) {
      if (message->nlmsg_seq != seq) continue;
      if (message->nlmsg_type == NLMSG_DONE) return links;
      if (message->nlmsg_type == NLMSG_ERROR) return std::nullopt;
      if (message->nlmsg_type != RTM_NEWLINK) continue;
      Link link;
      if (!ParseLink(message, &link)) return std::nullopt;
      links.push_back(std::move(link));
    }
  }
}

}  // namespace

std::optional<std::vector<Link>> DumpLinks(bool counters) {
  RouteSocket& socket = TheRouteSocket();
  std::lock_guard lock(socket.mutex);
  const int fd = socket.Fd();
  if (fd < 0) return std::nullopt;
  const uint32_t seq = socket.NextSeq();
  std::optional<std::vector<Link>> links;
  if (SendRequest(fd, seq, counters)) links = ReadDump(fd, seq);
  if (!links) socket.Discard();
  return links;
}

}  // namespace kx2::net
