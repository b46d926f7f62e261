// The report's SOAP transport (see soap_transport.h).
#include "soap_transport.h"

#include <algorithm>
#include <atomic>

#include <kx2/TcpStream.h>
#include <win/kernel.h>

#include "soapH.h"

namespace fennic {

namespace {

using Opener = SOAP_SOCKET (*)(struct soap*, const char*, const char*, int);
using Shutter = int (*)(struct soap*, SOAP_SOCKET, int);

// Every context starts with the runtime's own connect and shutdown; the first seen are kept.
std::atomic<Opener> g_runtimeOpen{nullptr};
std::atomic<Shutter> g_runtimeShutdown{nullptr};

// The runtime's time-outs: seconds when positive, microseconds when negative.
DWORD Milliseconds(int timeout) {
  if (timeout > 0) return static_cast<DWORD>(timeout) * 1000;
  if (timeout < 0) return std::max<DWORD>(static_cast<DWORD>(-(timeout / 1000)), 1);
  return 0;
}

SOAP_SOCKET Open(struct soap* soap, const char* endpoint, const char* host, int port) {
  const DWORD timeoutMs = Milliseconds(soap->connect_timeout);
  if (soap_tag_cmp(endpoint, "http:*") != 0 || timeoutMs == 0) return g_runtimeOpen.load()(soap, endpoint, host, port);
  const int stream = kx2::net::TcpConnect(host, port, timeoutMs);
  if (stream == kx2::net::kNoStream) {
    soap->errnum = static_cast<int>(GetLastError());
    soap_set_receiver_error(soap, GetLastError() == ERROR_TIMEOUT ? "Timeout" : "Connection failed",
                            "connect failed in the report's transport", SOAP_TCP_ERROR);
    return SOAP_INVALID_SOCKET;
  }
  return stream;
}

int Send(struct soap* soap, const char* data, size_t size) {
  if (kx2::net::TcpSendAll(soap->socket, data, size)) return SOAP_OK;
  soap->errnum = static_cast<int>(GetLastError());
  return SOAP_EOF;
}

// 0 ends the answer: at its end, on a failure and when nothing came for the time-out.
size_t Receive(struct soap* soap, char* data, size_t size) {
  const ptrdiff_t got = kx2::net::TcpReceive(soap->socket, data, size);
  if (got >= 0) return static_cast<size_t>(got);
  soap->errnum = static_cast<int>(GetLastError());
  return 0;
}

// The runtime shuts a stream down both ways only right before it closes it, and the close
// ends the connection the same way: that call is left out. A half shutdown still happens.
int Shutdown(struct soap* soap, SOAP_SOCKET socket, int how) {
  if (how == SOAP_SHUT_RDWR) return SOAP_OK;
  return g_runtimeShutdown.load()(soap, socket, how);
}

}  // namespace

void UseStreamTransport(struct soap* soap) {
  if (soap->fopen != Open) {
    Opener expected = nullptr;
    g_runtimeOpen.compare_exchange_strong(expected, soap->fopen);
    soap->fopen = Open;
  }
  if (soap->fshutdownsocket != Shutdown) {
    Shutter expected = nullptr;
    g_runtimeShutdown.compare_exchange_strong(expected, soap->fshutdownsocket);
    soap->fshutdownsocket = Shutdown;
  }
  soap->fsend = Send;
  soap->frecv = Receive;
  soap->send_timeout = soap->recv_timeout = 0;
}

}  // namespace fennic
