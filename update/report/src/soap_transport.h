// Private: the report's SOAP transport over the platform's TCP streams.
#pragma once

struct soap;

namespace fennic {

// Connects, sends and receives for `soap` over a platform stream whose time-outs the
// system keeps: the context's connect time-out bounds the connect and then each send and
// each receive, and the context's own send and receive time-outs are cleared, so the
// runtime neither waits for readiness before each call nor switches the socket's mode.
// An endpoint other than plain HTTP stays with the runtime's own connect.
void UseStreamTransport(struct soap* soap);

}  // namespace fennic
