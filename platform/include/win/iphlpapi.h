// The network adapter table (GetIfTable), read from the system's interfaces: 6-byte
// physical addresses, 32-bit octet counters that wrap as on Windows, and the interface
// type (Ethernet 6, wireless 71, PPP 23, serial line 28, loopback 24, other 1). The loopback
// interface has no physical address, as on Windows.
#pragma once

#include "win/errors.h"
#include "win/types.h"

#define MAX_INTERFACE_NAME_LEN 256
#define MAXLEN_PHYSADDR 8
#define MAXLEN_IFDESCR 256

#define MIB_IF_TYPE_OTHER 1
#define MIB_IF_TYPE_ETHERNET 6
#define MIB_IF_TYPE_PPP 23
#define MIB_IF_TYPE_LOOPBACK 24
#define MIB_IF_TYPE_SLIP 28
#define IF_TYPE_IEEE80211 71

struct MIB_IFROW {
  WCHAR wszName[MAX_INTERFACE_NAME_LEN];
  DWORD dwIndex;
  DWORD dwType;
  DWORD dwMtu;
  DWORD dwSpeed;
  DWORD dwPhysAddrLen;
  BYTE bPhysAddr[MAXLEN_PHYSADDR];
  DWORD dwAdminStatus;
  DWORD dwOperStatus;
  DWORD dwLastChange;
  DWORD dwInOctets;
  DWORD dwInUcastPkts;
  DWORD dwInNUcastPkts;
  DWORD dwInDiscards;
  DWORD dwInErrors;
  DWORD dwInUnknownProtos;
  DWORD dwOutOctets;
  DWORD dwOutUcastPkts;
  DWORD dwOutNUcastPkts;
  DWORD dwOutDiscards;
  DWORD dwOutErrors;
  DWORD dwOutQLen;
  DWORD dwDescrLen;
  BYTE bDescr[MAXLEN_IFDESCR];
};
typedef MIB_IFROW* PMIB_IFROW;

struct MIB_IFTABLE {
  DWORD dwNumEntries;
  MIB_IFROW table[1];
};
typedef MIB_IFTABLE* PMIB_IFTABLE;

// NO_ERROR with the table; ERROR_INSUFFICIENT_BUFFER with *pdwSize set to the size needed
// (a null table asks for the size); ERROR_INVALID_PARAMETER without a size. bOrder sorts
// the rows by index.
KX2_EXPORT DWORD GetIfTable(PMIB_IFTABLE pIfTable, ULONG* pdwSize, BOOL bOrder);
