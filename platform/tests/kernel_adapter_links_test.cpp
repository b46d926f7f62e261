// The adapter table read from one link dump shows what getifaddrs shows on this machine:
// the same interfaces in the same order, with the same index, address, type and MTU, and
// counters no older than a look taken before it.
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <linux/if_link.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <netpacket/packet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "win/iphlpapi.h"

namespace {

struct Seen {
  std::string name;
  sockaddr_ll link{};
  rtnl_link_stats stats{};
};

std::vector<Seen> LinksByGetifaddrs() {
  std::vector<Seen> seen;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return seen;
  for (const ifaddrs* at = list; at; at = at->ifa_next) {
    if (!at->ifa_addr || at->ifa_addr->sa_family != AF_PACKET) continue;
    Seen s;
    s.name = at->ifa_name;
    std::memcpy(&s.link, at->ifa_addr, sizeof s.link);
    if (at->ifa_data) std::memcpy(&s.stats, at->ifa_data, sizeof s.stats);
    seen.push_back(s);
  }
  freeifaddrs(list);
  return seen;
}

// The size query's answer and the table read into a buffer of that size.
std::vector<unsigned char> Table(ULONG* queried = nullptr) {
  ULONG size = 0;
  if (GetIfTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) return {};
  if (queried) *queried = size;
  std::vector<unsigned char> buffer(size);
  if (GetIfTable(reinterpret_cast<MIB_IFTABLE*>(buffer.data()), &size, FALSE) != NO_ERROR) return {};
  return buffer;
}

TEST(AdapterLinks, TableMatchesGetifaddrs) {
  const std::vector<Seen> before = LinksByGetifaddrs();
  ULONG queried = 0;
  const std::vector<unsigned char> buffer = Table(&queried);
  const std::vector<Seen> after = LinksByGetifaddrs();
  ASSERT_FALSE(buffer.empty());
  if (before.size() != after.size()) GTEST_SKIP() << "the interfaces changed while the test looked";
  const auto* table = reinterpret_cast<const MIB_IFTABLE*>(buffer.data());
  ASSERT_EQ(table->dwNumEntries, before.size());
  // The size query's answer fits the table it leads to exactly.
  EXPECT_EQ(queried, offsetof(MIB_IFTABLE, table) + sizeof(MIB_IFROW) * std::max<size_t>(before.size(), 1));
  for (size_t i = 0; i < before.size(); ++i) {
    const MIB_IFROW& row = table->table[i];
    const Seen& was = before[i];
    SCOPED_TRACE(was.name);
    EXPECT_EQ(reinterpret_cast<const char*>(row.bDescr), was.name);
    EXPECT_EQ(std::u16string(row.wszName), std::u16string(was.name.begin(), was.name.end()));
    EXPECT_EQ(row.dwIndex, static_cast<DWORD>(was.link.sll_ifindex));
    switch (was.link.sll_hatype) {
      case ARPHRD_ETHER: {
        // The table skips the look in /sys for kinds and buses that are never wireless:
        // the look itself must agree.
        const bool wireless = ::access(("/sys/class/net/" + was.name + "/wireless").c_str(), F_OK) == 0;
        EXPECT_EQ(row.dwType, static_cast<DWORD>(wireless ? IF_TYPE_IEEE80211 : MIB_IF_TYPE_ETHERNET));
        break;
      }
      case ARPHRD_LOOPBACK:
        EXPECT_EQ(row.dwType, static_cast<DWORD>(MIB_IF_TYPE_LOOPBACK));
        break;
      case ARPHRD_PPP:
        EXPECT_EQ(row.dwType, static_cast<DWORD>(MIB_IF_TYPE_PPP));
        break;
      default:
        break;
    }
    if (was.link.sll_halen == 6 && was.link.sll_hatype != ARPHRD_LOOPBACK) {
      ASSERT_EQ(row.dwPhysAddrLen, 6u);
      EXPECT_EQ(std::memcmp(row.bPhysAddr, was.link.sll_addr, 6), 0);
    } else {
      EXPECT_EQ(row.dwPhysAddrLen, 0u);
    }
    std::ifstream mtu("/sys/class/net/" + was.name + "/mtu");
    DWORD shown = 0;
    if (mtu >> shown) {
      EXPECT_EQ(row.dwMtu, shown);
    }
    // Counters only grow between the two looks (they wrap only after 4 GiB).
    EXPECT_GE(row.dwInOctets, was.stats.rx_bytes);
    EXPECT_LE(row.dwInOctets, after[i].stats.rx_bytes);
    EXPECT_GE(row.dwOutOctets, was.stats.tx_bytes);
    EXPECT_LE(row.dwOutOctets, after[i].stats.tx_bytes);
  }
}

// Bytes through the loopback interface, which counts them as they are sent.
bool SendOverLoopback(size_t bytes) {
  const int receiver = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const int sender = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const std::vector<char> payload(bytes, 'x');
  const bool sent = receiver >= 0 && sender >= 0 &&
                    ::bind(receiver, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                    ::getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
                    ::sendto(sender, payload.data(), payload.size(), 0, reinterpret_cast<const sockaddr*>(&address),
                             sizeof address) == static_cast<ssize_t>(payload.size());
  if (receiver >= 0) ::close(receiver);
  if (sender >= 0) ::close(sender);
  return sent;
}

DWORD LoopbackInOctets(const std::vector<unsigned char>& buffer) {
  const auto* table = reinterpret_cast<const MIB_IFTABLE*>(buffer.data());
  for (DWORD i = 0; i < table->dwNumEntries; ++i)
    if (table->table[i].dwType == MIB_IF_TYPE_LOOPBACK) return table->table[i].dwInOctets;
  return 0;
}

// The size query's look at the links serves only the one read that follows it: any later
// read of the table looks again, and sees traffic sent after the first.
TEST(AdapterLinks, ReadAfterTheSizedReadLooksAgain) {
  std::vector<unsigned char> buffer = Table();
  ASSERT_FALSE(buffer.empty());
  const DWORD before = LoopbackInOctets(buffer);
  if (before == 0) GTEST_SKIP() << "no loopback interface with counters";
  ASSERT_TRUE(SendOverLoopback(4000));
  ULONG size = static_cast<ULONG>(buffer.size());
  ASSERT_EQ(GetIfTable(reinterpret_cast<MIB_IFTABLE*>(buffer.data()), &size, FALSE), static_cast<DWORD>(NO_ERROR));
  EXPECT_GE(LoopbackInOctets(buffer) - before, 4000u);
}

}  // namespace
