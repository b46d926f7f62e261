// GetIfTable over getifaddrs, whose link entries (AF_PACKET) carry each interface's
// index, hardware type, address, flags and counters, and /sys/class/net for the rest (MTU,
// wireless or not). The size query only counts the interfaces.
#include <ifaddrs.h>
#include <linux/if_link.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netpacket/packet.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kx2/Utf.h"
#include "win/iphlpapi.h"

namespace {

std::string ReadLine(const std::string& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

DWORD InterfaceType(const std::string& dir, unsigned short arpType) {
  switch (arpType) {
    case ARPHRD_ETHER:
      return ::access((dir + "/wireless").c_str(), F_OK) == 0 || ::access((dir + "/phy80211").c_str(), F_OK) == 0
                 ? IF_TYPE_IEEE80211
                 : MIB_IF_TYPE_ETHERNET;
    case ARPHRD_LOOPBACK:
      return MIB_IF_TYPE_LOOPBACK;
    case ARPHRD_PPP:
      return MIB_IF_TYPE_PPP;
    case ARPHRD_SLIP:
    case ARPHRD_CSLIP:
      return MIB_IF_TYPE_SLIP;
    default:
      return MIB_IF_TYPE_OTHER;
  }
}

struct IfAddrsDeleter {
  void operator()(ifaddrs* list) const { freeifaddrs(list); }
};
using IfAddrs = std::unique_ptr<ifaddrs, IfAddrsDeleter>;

IfAddrs Interfaces() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return nullptr;
  return IfAddrs(list);
}

// The interfaces in the order getifaddrs first names them, each with its link entry (null
// when it has none).
std::vector<std::pair<std::string, const ifaddrs*>> Links(const ifaddrs* list) {
  std::vector<std::pair<std::string, const ifaddrs*>> links;
  for (const ifaddrs* at = list; at; at = at->ifa_next) {
    if (!at->ifa_name) continue;
    auto known = std::find_if(links.begin(), links.end(), [&](const auto& l) { return l.first == at->ifa_name; });
    if (known == links.end()) known = links.insert(links.end(), {at->ifa_name, nullptr});
    if (!known->second && at->ifa_addr && at->ifa_addr->sa_family == AF_PACKET) known->second = at;
  }
  return links;
}

MIB_IFROW Row(const std::string& name, const ifaddrs* link) {
  MIB_IFROW row{};
  std::string dir = "/sys/class/net/" + name;
  std::u16string wide = kx2::Utf8ToUtf16(name);
  std::copy_n(wide.begin(), std::min<size_t>(wide.size(), MAX_INTERFACE_NAME_LEN - 1), row.wszName);
  const auto* address = link ? reinterpret_cast<const sockaddr_ll*>(link->ifa_addr) : nullptr;
  row.dwIndex = address ? static_cast<DWORD>(address->sll_ifindex) : if_nametoindex(name.c_str());
  row.dwType = address ? InterfaceType(dir, address->sll_hatype) : MIB_IF_TYPE_OTHER;
  row.dwMtu = static_cast<DWORD>(std::strtoul(ReadLine(dir + "/mtu").c_str(), nullptr, 10));
  if (link && link->ifa_data) {
    // Octet counters are 32-bit and wrap, as on Windows.
    const auto* stats = static_cast<const rtnl_link_stats*>(link->ifa_data);
    row.dwInOctets = stats->rx_bytes;
    row.dwOutOctets = stats->tx_bytes;
    row.dwInUcastPkts = stats->rx_packets;
    row.dwOutUcastPkts = stats->tx_packets;
    row.dwInErrors = stats->rx_errors;
    row.dwOutErrors = stats->tx_errors;
  }
  // The system sets IFF_RUNNING exactly when the operational state is "up" or "unknown".
  row.dwOperStatus = link && (link->ifa_flags & IFF_RUNNING) ? 5 : 1;
  row.dwAdminStatus = link && (link->ifa_flags & IFF_UP) ? 1 : 2;
  // Only a 6-byte hardware address counts; the loopback interface has none, as on Windows.
  if (address && row.dwType != MIB_IF_TYPE_LOOPBACK && address->sll_halen == 6) {
    std::memcpy(row.bPhysAddr, address->sll_addr, 6);
    row.dwPhysAddrLen = 6;
  }
  std::copy_n(name.begin(), std::min<size_t>(name.size(), MAXLEN_IFDESCR - 1), row.bDescr);
  row.dwDescrLen = static_cast<DWORD>(std::min<size_t>(name.size() + 1, MAXLEN_IFDESCR));
  return row;
}

}  // namespace

KX2_EXPORT DWORD GetIfTable(PMIB_IFTABLE pIfTable, ULONG* pdwSize, BOOL bOrder) {
  if (!pdwSize) return ERROR_INVALID_PARAMETER;
  try {
    IfAddrs list = Interfaces();
    auto links = Links(list.get());
    size_t needed = offsetof(MIB_IFTABLE, table) + sizeof(MIB_IFROW) * std::max<size_t>(links.size(), 1);
    if (!pIfTable || *pdwSize < needed) {
      *pdwSize = static_cast<ULONG>(needed);
      return ERROR_INSUFFICIENT_BUFFER;
    }
    std::vector<MIB_IFROW> rows;
    for (const auto& [name, link] : links) rows.push_back(Row(name, link));
    if (bOrder)
      std::stable_sort(rows.begin(), rows.end(),
                       [](const MIB_IFROW& a, const MIB_IFROW& b) { return a.dwIndex < b.dwIndex; });
    pIfTable->dwNumEntries = static_cast<DWORD>(rows.size());
    if (!rows.empty()) std::memcpy(pIfTable->table, rows.data(), rows.size() * sizeof(MIB_IFROW));
    return NO_ERROR;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}
