// The host objects the collaboration client reaches: the application's notice switch and the
// host object handed to the client's SetHostObject (document chain and signed-in account).
// Tests and the command-line host set what they answer.
#pragma once

#include <string>

#include <vantorel/collab_interfaces.h>
#include <vantorel/host_export.h>

namespace vantorel {

// What the application's slot 11 answers: whether rooms take notices (1 unless set).
VANTOREL_API void SetRoomsTakeNotices(bool take);

// The process's host object for the collaboration client; lives as long as the process.
VANTOREL_API IVtlCollabHost* CollabHost();
// The account slot 42 gives: signed in or not, and the mail address it reports.
VANTOREL_API void SetCollabAccount(bool signedIn, const std::u16string& mailAddress);
// The current document of the chain slot 11 begins: none, or one whose state is `state`.
VANTOREL_API void SetCollabDocument(bool open, LONG state);

// A new chat message (one reference) with the given values: numbers as 32-bit integers,
// texts as text records; an absent optional leaves the value unset.
struct ChatMessageValues {
  const LONG* first = nullptr;           // 0x5001
  const LONG* second = nullptr;          // 0x5002
  const LONG* addressee = nullptr;       // 0x5003
  const char16_t* firstText = nullptr;   // 0x5004
  const char16_t* secondText = nullptr;  // 0x5005
};
VANTOREL_API IVtlChatMessage* CreateChatMessage(const ChatMessageValues& values);

}  // namespace vantorel
