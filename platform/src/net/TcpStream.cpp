// TCP client streams whose time-outs the system keeps (SO_SNDTIMEO, SO_RCVTIMEO): a
// blocking connect, send or receive gives up by itself, so none of them needs a readiness
// wait first, nor the descriptor switched between blocking and non-blocking modes.
#include "kx2/TcpStream.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "kx2/Win32Error.h"
#include "win/kernel.h"

namespace kx2::net {
namespace {

using Clock = std::chrono::steady_clock;

DWORD ErrorOf(int err) {
  switch (err) {
    case EAGAIN:
    case EINPROGRESS:  // a blocking connect whose send time-out ran out
    case ETIMEDOUT:
      return ERROR_TIMEOUT;
    case ECONNREFUSED:
      return ERROR_CONNECTION_REFUSED;
    case EHOSTUNREACH:
      return ERROR_HOST_UNREACHABLE;
    case ENETUNREACH:
      return ERROR_NETWORK_UNREACHABLE;
    case ECONNRESET:
    case ECONNABORTED:
      return ERROR_BROKEN_PIPE;
    default:
      return Win32ErrorFromErrno(err);
  }
}

void SetError(int err) { SetLastError(ErrorOf(err)); }

timeval Interval(std::chrono::microseconds span) {
  // A zero interval means "no time-out" to the system: never hand it one.
  if (span.count() < 1) span = std::chrono::microseconds(1);
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(span.count() / 1000000);
  tv.tv_usec = static_cast<suseconds_t>(span.count() % 1000000);
  return tv;
}

bool SetTimeout(int fd, int option, std::chrono::microseconds span) {
  const timeval tv = Interval(span);
  return ::setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv) == 0;
}

// One attempt at one address within `left`; the descriptor (its send time-out still the
// attempt's) or -1 with errno set.
int ConnectOnce(const sockaddr* address, socklen_t length, std::chrono::microseconds left,
                std::chrono::microseconds whole) {
  const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return -1;
  const int one = 1;
  // The receive time-out is the whole one from the start; the send time-out bounds the
  // connect first. The runtime writes each message in one piece, so it must leave at once.
  if (!SetTimeout(fd, SO_RCVTIMEO, whole) || !SetTimeout(fd, SO_SNDTIMEO, left) ||
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return -1;
  }
  int rc;
  // A connect interrupted by a signal goes on in the system; calling again waits for it.
  do rc = ::connect(fd, address, length);
  while (rc != 0 && errno == EINTR);
  if (rc == 0 && left != whole && !SetTimeout(fd, SO_SNDTIMEO, whole)) rc = -1;
  if (rc != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

struct AddressList {
  void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

}  // namespace

int TcpConnect(const char* host, int port, DWORD timeoutMs) {
  if (!host || !*host || port <= 0 || port > 65535 || timeoutMs == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return kNoStream;
  }
  const std::chrono::microseconds whole = std::chrono::milliseconds(timeoutMs);

  // A numeric address needs no resolver (which would read its configuration files).
  sockaddr_in v4{};
  if (::inet_pton(AF_INET, host, &v4.sin_addr) == 1) {
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<uint16_t>(port));
    const int fd = ConnectOnce(reinterpret_cast<const sockaddr*>(&v4), sizeof v4, whole, whole);
    if (fd < 0) SetError(errno);
    return fd < 0 ? kNoStream : fd;
  }

  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  const int rc = ::getaddrinfo(host, service.c_str(), &hints, &found);
  std::unique_ptr<addrinfo, AddressList> list(found);
  if (rc != 0 || !found) {
    SetLastError(rc == EAI_SYSTEM ? ErrorOf(errno) : rc == EAI_MEMORY ? ERROR_NOT_ENOUGH_MEMORY : WSAHOST_NOT_FOUND);
    return kNoStream;
  }
  // Each address in the resolver's order, all of them within the one connect time-out.
  const Clock::time_point deadline = Clock::now() + whole;
  int err = ETIMEDOUT;
  for (const addrinfo* at = found; at; at = at->ai_next) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      err = ETIMEDOUT;
      break;
    }
    const int fd = ConnectOnce(at->ai_addr, at->ai_addrlen, left, whole);
    if (fd >= 0) return fd;
    err = errno;
    if (err == EINPROGRESS) break;  // the time-out ran out on this one
  }
  SetError(err);
  return kNoStream;
}

bool TcpSendAll(int stream, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t sent = ::send(stream, at, size, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      SetError(errno);
      return false;
    }
    at += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

ptrdiff_t TcpReceive(int stream, void* data, size_t size) {
  for (;;) {
    const ssize_t got = ::recv(stream, data, size, 0);
    if (got >= 0) return got;
    if (errno == EINTR) continue;
    SetError(errno);
    return -1;
  }
}

void TcpClose(int stream) {
  if (stream != kNoStream) ::close(stream);
}

}  // namespace kx2::net
