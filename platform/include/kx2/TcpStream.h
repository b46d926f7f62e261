// TCP client streams for the transports of the outside network runtimes (the SOAP
// runtime's): the system keeps each stream's time-outs, so a send or a receive is one
// system call and no readiness wait comes before it.
#pragma once

#include <cstddef>

#include "win/types.h"

namespace kx2::net {

// No stream.
constexpr int kNoStream = -1;

// Connects to `host` (a name or a numeric IPv4 or IPv6 address) at `port`, waiting at most
// `timeoutMs` (> 0) for the connection in all, then at most as long for each send and each
// receive. The stream is the system's socket descriptor (close-on-exec, no delay for small
// writes), so a runtime may shut it down and close it with its own calls; kNoStream on
// failure, with the reason in the thread's error record: ERROR_TIMEOUT,
// ERROR_CONNECTION_REFUSED, ERROR_HOST_UNREACHABLE, ERROR_NETWORK_UNREACHABLE,
// WSAHOST_NOT_FOUND (the name has no address), ERROR_INVALID_PARAMETER.
KX2_API int TcpConnect(const char* host, int port, DWORD timeoutMs);

// Sends all `size` bytes: true, or false with the error record set (ERROR_TIMEOUT when
// the peer took nothing for the stream's time-out; a closed peer never raises a signal).
KX2_API bool TcpSendAll(int stream, const void* data, size_t size);

// Receives at most `size` bytes: the count, 0 at the end of the stream, or -1 with the
// error record set (ERROR_TIMEOUT when nothing came for the stream's time-out).
KX2_API ptrdiff_t TcpReceive(int stream, void* data, size_t size);

// Closes a stream (kNoStream is ignored).
KX2_API void TcpClose(int stream);

}  // namespace kx2::net
