// vantorel collab: co-editing a map with other hosts. The map is imported into a document of
// its own, the collaboration library is loaded as the host loads it, and line commands on
// standard input drive one meeting room; each is answered with one JSON line. The host's
// messages (where the chat room's events run) are pumped before every answer.
#include "commands.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>
#include <win/module.h>
#include <win/user_message.h>

#include "plugin.h"

namespace vantorel::cli {
namespace {

using GetTendrilFunc = ITendril* (*)();
using DestroyTendrilFunc = void (*)();

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      continue;
    }
    out += c;
  }
  return out + "\"";
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// "0/1" -> {0, 1}; "" -> the central topic.
bool ParsePath(const std::string& text, std::vector<int>* path) {
  path->clear();
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, '/')) {
    if (part.empty()) continue;
    char* end = nullptr;
    const long v = std::strtol(part.c_str(), &end, 10);
    if (*end || v < 0) return false;
    path->push_back(static_cast<int>(v));
  }
  return true;
}

// The topic tree as [path, text] pairs.
void Tree(int doc, std::vector<int>& path, std::string& out) {
  const std::u16string text = TopicText(doc, path);
  LONG selector[4];
  if (!TopicSelector(doc, path, selector)) return;
  std::string name;
  for (size_t i = 0; i < path.size(); ++i) name += (i ? "/" : "") + std::to_string(path[i]);
  if (out.size() > 1) out += ",";
  out += "[" + Quote(name) + "," + Quote(kx2::Utf16ToUtf8(text)) + "]";
  for (int i = 0;; ++i) {
    path.push_back(i);
    LONG child[4];
    const bool exists = TopicSelector(doc, path, child);
    if (exists) Tree(doc, path, out);
    path.pop_back();
    if (!exists) break;
  }
}

bool ImportInto(const std::string& file, ImportPlugin& plugin) {
  char resolved[PATH_MAX];
  if (!realpath(file.c_str(), resolved)) return false;
  const std::u16string path = kx2::ToWindowsPath(resolved);
  for (const char16_t* name : {u"FREEMIND", u"MINDMANAGER", u"XMIND"}) {
    if (plugin.discoveryFilter(path.c_str(), name))
      return plugin.importExportEx(1, DocumentManager(), path.c_str(), name, 0) != 0;
  }
  return false;
}

}  // namespace

int CollabSession(const std::string& file, const std::string& user) {
  ImportPlugin plugin;
  std::string error;
  if (!plugin.Load(&error)) {
    std::cerr << "vantorel: " << error << "\n";
    return 2;
  }
  VtlGetApplication();
  const int doc = OpenDocument(true);
  if (!ImportInto(file, plugin)) {
    std::cerr << "vantorel: " << file << ": not imported\n";
    return 1;
  }
  HMODULE tendrilModule = LoadLibraryW(u"Tendril.dll");
  auto getTendril = reinterpret_cast<GetTendrilFunc>(
      reinterpret_cast<void*>(tendrilModule ? GetProcAddress(tendrilModule, "GetTendrilInterface") : nullptr));
  auto destroyTendril = reinterpret_cast<DestroyTendrilFunc>(
      reinterpret_cast<void*>(tendrilModule ? GetProcAddress(tendrilModule, "DestroyTendril") : nullptr));
  if (!getTendril || !destroyTendril) {
    std::cerr << "vantorel: the collaboration library cannot be loaded\n";
    return 2;
  }
  SetCollabAccount(true, kx2::Utf8ToUtf16(user));
  SetCollabDocument(true, 0);
  ITendril* tendril = getTendril();
  tendril->SetHostObject(CollabHost());
  IXmppMeetingManager* manager = tendril->GetMeetingManager();
  IMeetingRoom* room = nullptr;

  std::cout << "{\"ready\":true}" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    Pump();
    std::stringstream in(line);
    std::string command;
    in >> command;
    std::string answer = "{\"ok\":false}";
    if (command == "join") {
      std::string name;
      in >> name;
      if (!room && !name.empty()) {
        room = manager->FindMeetingRoomById(manager->CreateMeetingRoom(name.c_str()));
        room->GetWorkbookSyncManager()->SetDocument(CollabBookDocument(doc), u"book");
        room->GetWorkbookSyncManager()->SetBook(CollabBook(doc));
        answer =
            "{\"ok\":true,\"room\":" + std::to_string(room->GetInformationUnit()->GetWorkingRoomInfo()->GetId()) + "}";
      }
    } else if (command == "edit" && room) {
      std::string where, text;
      in >> where;
      std::getline(in >> std::ws, text);
      std::vector<int> path;
      LONG selector[4];
      if (ParsePath(where, &path) && TopicSelector(doc, path, selector)) {
        const std::u16string wide = kx2::Utf8ToUtf16(text);
        SetTopicText(doc, path, wide);
        ItemSelector item;
        std::copy_n(selector, 4, item.values);
        IItemSender* sender = room->GetCoEditManager()->GetItemSender(item);
        ItemData data(kCollabTopicText, EncodeTextValue(wide));
        const bool sent = sender->BeginEdit() && sender->SendItemData(&data) && sender->EndEdit();
        answer = std::string("{\"ok\":") + (sent ? "true" : "false") + "}";
      }
    } else if (command == "lock" && room) {
      std::string where;
      in >> where;
      std::vector<int> path;
      LONG selector[4];
      if (ParsePath(where, &path) && TopicSelector(doc, path, selector)) {
        ItemSelector item;
        std::copy_n(selector, 4, item.values);
        const int sent = room->GetCoEditManager()->GetItemSender(item)->LockTopic(item, 1);
        answer = std::string("{\"ok\":") + (sent ? "true" : "false") + "}";
      }
    } else if (command == "locked") {
      std::string where;
      in >> where;
      std::vector<int> path;
      LONG selector[4];
      if (ParsePath(where, &path) && TopicSelector(doc, path, selector)) {
        answer = "{\"ok\":true,\"holder\":" + std::to_string(LockHolder(doc, selector)) + "}";
      }
    } else if (command == "sync" && room) {
      int number = -1;
      in >> number;
      const bool sent = room->GetWorkbookSyncManager()->SendBookSyncResult(1, number);
      answer = std::string("{\"ok\":") + (sent ? "true" : "false") + "}";
    } else if (command == "process" && room) {
      room->ForwardToCoEdit(2);
      answer = "{\"ok\":true}";
    } else if (command == "events") {
      std::string list;
      for (;;) {
        TendrilUIEvent e;
        tendril->GetUIService()->PopUIEvent(&e);
        if (e.type == -1) break;
        if (!list.empty()) list += ",";
        list += "[" + std::to_string(e.type) + "," + std::to_string(e.first) + "," + std::to_string(e.second) + "," +
                std::to_string(e.third) + "]";
      }
      answer = "{\"ok\":true,\"events\":[" + list + "]}";
    } else if (command == "print") {
      std::string tree = "[";
      std::vector<int> path;
      Tree(doc, path, tree);
      answer = "{\"ok\":true,\"topics\":" + tree + "]}";
    } else if (command == "leave" && room) {
      manager->RemoveMeetingRoom(room);
      room = nullptr;
      answer = "{\"ok\":true}";
    } else if (command == "quit") {
      std::cout << "{\"ok\":true}" << std::endl;
      break;
    }
    std::cout << answer << std::endl;
  }
  tendril->Uninit();
  destroyTendril();
  DropCollabBooks();
  CloseAllDocuments();
  return 0;
}

}  // namespace vantorel::cli
