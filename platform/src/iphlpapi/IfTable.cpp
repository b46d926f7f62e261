// GetIfTable over one dump of the system's links (see LinkDump.h); only an Ethernet-type
// link costs a further look in /sys/class/net, to tell wireless from wired.
#include <net/if.h>
#include <net/if_arp.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "iphlpapi/LinkDump.h"
#include "kx2/Utf.h"
#include "win/iphlpapi.h"

namespace {

// Kinds of links made through rtnetlink that are never wireless: the system gives them no
// "wireless" folder, so there is no need to look for one (a look in /sys costs as much as
// the whole link dump). Any other kind, and a link without one, is looked at.
bool NeverWireless(const std::string& kind) {
  static constexpr std::string_view kKinds[] = {"bond",   "bridge", "dummy",   "geneve",  "gretap", "ifb",  "ip6gretap",
                                                "ipvlan", "macsec", "macvlan", "macvtap", "netkit", "team", "tun",
                                                "veth",   "vlan",   "vrf",     "vxlan",   "ipvtap", "nlmon"};
  return std::find(std::begin(kKinds), std::end(kKinds), kind) != std::end(kKinds);
}

// Buses that carry no wireless devices: the network devices of virtual machines.
bool OnWiredOnlyBus(const std::string& bus) {
  static constexpr std::string_view kBuses[] = {"virtio", "vmbus", "xen"};
  return std::find(std::begin(kBuses), std::end(kBuses), bus) != std::end(kBuses);
}

// Every wireless link has a "wireless" folder: the system makes it for each link with a
// wireless configuration, and a link with a wireless device ("phy80211") always has one.
bool IsWireless(const kx2::net::Link& link) {
  if (NeverWireless(link.kind) || OnWiredOnlyBus(link.parentBus)) return false;
  return ::access(("/sys/class/net/" + link.name + "/wireless").c_str(), F_OK) == 0;
}

DWORD InterfaceType(const kx2::net::Link& link) {
  switch (link.hardwareType) {
    case ARPHRD_ETHER:
      return IsWireless(link) ? IF_TYPE_IEEE80211 : MIB_IF_TYPE_ETHERNET;
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

void FillRow(const kx2::net::Link& link, MIB_IFROW* row) {
  std::memset(row, 0, sizeof *row);
  std::u16string wide = kx2::Utf8ToUtf16(link.name);
  std::copy_n(wide.begin(), std::min<size_t>(wide.size(), MAX_INTERFACE_NAME_LEN - 1), row->wszName);
  row->dwIndex = static_cast<DWORD>(link.index);
  row->dwType = InterfaceType(link);
  row->dwMtu = link.mtu;
  row->dwInOctets = link.rxBytes;
  row->dwOutOctets = link.txBytes;
  row->dwInUcastPkts = link.rxPackets;
  row->dwOutUcastPkts = link.txPackets;
  row->dwInErrors = link.rxErrors;
  row->dwOutErrors = link.txErrors;
  // The system sets IFF_RUNNING exactly when the operational state is "up" or "unknown".
  row->dwOperStatus = link.flags & IFF_RUNNING ? 5 : 1;
  row->dwAdminStatus = link.flags & IFF_UP ? 1 : 2;
  // Only a 6-byte hardware address counts; the loopback interface has none, as on Windows.
  if (row->dwType != MIB_IF_TYPE_LOOPBACK && link.address.size() == 6) {
    std::memcpy(row->bPhysAddr, link.address.data(), 6);
    row->dwPhysAddrLen = 6;
  }
  std::copy_n(link.name.begin(), std::min<size_t>(link.name.size(), MAXLEN_IFDESCR - 1), row->bDescr);
  row->dwDescrLen = static_cast<DWORD>(std::min<size_t>(link.name.size() + 1, MAXLEN_IFDESCR));
}

// The dump a size query made, kept for the call on the same thread that fills the table
// right after it. Callers ask for the size and then for the rows, and each question would
// cost a dump of its own, the larger part of the call's time; the rows a size query saw are
// the ones a caller sized its buffer for, and a table a few microseconds old is the one the
// second dump would have given had it run a little sooner. Kept only briefly, so that a
// caller that waits between the two calls still gets fresh counters.
struct SizedDump {
  std::vector<kx2::net::Link> links;
  timespec taken{};
  bool held = false;
};
thread_local SizedDump t_sized;

constexpr long kSizedDumpKeptNs = 20'000'000;

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

// The links the last size query on this thread dumped, when it was recent; they are taken.
std::optional<std::vector<kx2::net::Link>> TakeSizedDump() {
  if (!t_sized.held) return std::nullopt;
  t_sized.held = false;
  const timespec now = Now();
  const long long ageNs = (now.tv_sec - t_sized.taken.tv_sec) * 1'000'000'000LL + (now.tv_nsec - t_sized.taken.tv_nsec);
  if (ageNs < 0 || ageNs > kSizedDumpKeptNs) return std::nullopt;
  return std::move(t_sized.links);
}

}  // namespace

KX2_EXPORT DWORD GetIfTable(PMIB_IFTABLE pIfTable, ULONG* pdwSize, BOOL bOrder) {
  if (!pdwSize) return ERROR_INVALID_PARAMETER;
  try {
    auto Needed = [](size_t count) {
      return offsetof(MIB_IFTABLE, table) + sizeof(MIB_IFROW) * std::max<size_t>(count, 1);
    };
    auto links = pIfTable ? TakeSizedDump() : std::nullopt;
    if (!links) links = kx2::net::DumpLinks(true);
    if (!links) return ERROR_GEN_FAILURE;
    const size_t needed = Needed(links->size());
    if (!pIfTable || *pdwSize < needed) {
      *pdwSize = static_cast<ULONG>(needed);
      t_sized.links = std::move(*links);
      t_sized.taken = Now();
      t_sized.held = true;
      return ERROR_INSUFFICIENT_BUFFER;
    }
    if (bOrder)
      std::stable_sort(links->begin(), links->end(),
                       [](const kx2::net::Link& a, const kx2::net::Link& b) { return a.index < b.index; });
    pIfTable->dwNumEntries = static_cast<DWORD>(links->size());
    for (size_t i = 0; i < links->size(); ++i) FillRow((*links)[i], &pIfTable->table[i]);
    return NO_ERROR;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}
