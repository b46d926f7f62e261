// GetIfTable over getifaddrs (which interfaces exist) and /sys/class/net (their type,
// address and counters).
#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <set>
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

unsigned long long ReadNumber(const std::string& file) {
  try {
    return std::stoull(ReadLine(file));
  } catch (...) {
    return 0;
  }
}

DWORD InterfaceType(const std::string& dir, unsigned long long arpType) {
  switch (arpType) {
    case ARPHRD_ETHER: {
      std::ifstream wireless(dir + "/wireless");
      std::ifstream phy(dir + "/phy80211/name");
      return wireless.good() || phy.good() ? IF_TYPE_IEEE80211 : MIB_IF_TYPE_ETHERNET;
    }
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

MIB_IFROW Row(const std::string& name) {
  MIB_IFROW row{};
  std::string dir = "/sys/class/net/" + name;
  std::u16string wide = kx2::Utf8ToUtf16(name);
  std::copy_n(wide.begin(), std::min<size_t>(wide.size(), MAX_INTERFACE_NAME_LEN - 1), row.wszName);
  row.dwIndex = if_nametoindex(name.c_str());
  row.dwType = InterfaceType(dir, ReadNumber(dir + "/type"));
  row.dwMtu = static_cast<DWORD>(ReadNumber(dir + "/mtu"));
  // Octet counters are 32-bit and wrap, as on Windows.
  row.dwInOctets = static_cast<DWORD>(ReadNumber(dir + "/statistics/rx_bytes"));
  row.dwOutOctets = static_cast<DWORD>(ReadNumber(dir + "/statistics/tx_bytes"));
  row.dwInUcastPkts = static_cast<DWORD>(ReadNumber(dir + "/statistics/rx_packets"));
  row.dwOutUcastPkts = static_cast<DWORD>(ReadNumber(dir + "/statistics/tx_packets"));
  row.dwInErrors = static_cast<DWORD>(ReadNumber(dir + "/statistics/rx_errors"));
  row.dwOutErrors = static_cast<DWORD>(ReadNumber(dir + "/statistics/tx_errors"));
  std::string operstate = ReadLine(dir + "/operstate");
  row.dwOperStatus = operstate == "up" || operstate == "unknown" ? 5 : 1;
  row.dwAdminStatus = (ReadNumber(dir + "/flags") & IFF_UP) ? 1 : 2;
  if (row.dwType != MIB_IF_TYPE_LOOPBACK) {
    // "aa:bb:cc:dd:ee:ff"
    std::string text = ReadLine(dir + "/address");
    DWORD length = 0;
    bool wellFormed = text.size() == 17;
    for (size_t at = 0; wellFormed && at < text.size(); at += 3) {
      if (!std::isxdigit(static_cast<unsigned char>(text[at])) ||
          !std::isxdigit(static_cast<unsigned char>(text[at + 1])) || (at + 2 < text.size() && text[at + 2] != ':'))
        wellFormed = false;
      else
        row.bPhysAddr[length++] = static_cast<BYTE>(std::stoul(text.substr(at, 2), nullptr, 16));
    }
    if (!wellFormed) length = 0;
    row.dwPhysAddrLen = length == 6 ? 6 : 0;
    if (row.dwPhysAddrLen == 0) std::memset(row.bPhysAddr, 0, sizeof row.bPhysAddr);
  }
  std::copy_n(name.begin(), std::min<size_t>(name.size(), MAXLEN_IFDESCR - 1), row.bDescr);
  row.dwDescrLen = static_cast<DWORD>(std::min<size_t>(name.size() + 1, MAXLEN_IFDESCR));
  return row;
}

std::vector<std::string> InterfaceNames() {
  std::vector<std::string> names;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return names;
  std::set<std::string> seen;
  for (ifaddrs* at = list; at; at = at->ifa_next)
    if (at->ifa_name && seen.insert(at->ifa_name).second) names.push_back(at->ifa_name);
  freeifaddrs(list);
  return names;
}

}  // namespace

KX2_EXPORT DWORD GetIfTable(PMIB_IFTABLE pIfTable, ULONG* pdwSize, BOOL bOrder) {
  if (!pdwSize) return ERROR_INVALID_PARAMETER;
  try {
    std::vector<MIB_IFROW> rows;
    for (const std::string& name : InterfaceNames()) rows.push_back(Row(name));
    if (bOrder)
      std::stable_sort(rows.begin(), rows.end(),
                       [](const MIB_IFROW& a, const MIB_IFROW& b) { return a.dwIndex < b.dwIndex; });
    size_t needed = offsetof(MIB_IFTABLE, table) + sizeof(MIB_IFROW) * std::max<size_t>(rows.size(), 1);
    if (!pIfTable || *pdwSize < needed) {
      *pdwSize = static_cast<ULONG>(needed);
      return ERROR_INSUFFICIENT_BUFFER;
    }
    pIfTable->dwNumEntries = static_cast<DWORD>(rows.size());
    if (!rows.empty()) std::memcpy(pIfTable->table, rows.data(), rows.size() * sizeof(MIB_IFROW));
    return NO_ERROR;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}
