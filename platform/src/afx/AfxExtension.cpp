// The chain of extension libraries. Libraries attach and detach on whatever thread loads
// them, so the chain has its own lock.
#include <algorithm>
#include <mutex>
#include <vector>

#include "win/afx_dll.h"

namespace {

std::mutex& ChainLock() {
  static std::mutex lock;
  return lock;
}

std::vector<CDynLinkLibrary*>& Chain() {
  static std::vector<CDynLinkLibrary*> chain;
  return chain;
}

}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
  if (!module) return FALSE;
  state.hModule = module;
  state.hResource = module;
  state.bInitialized = TRUE;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL) {
  std::vector<CDynLinkLibrary*> leaving;
  {
    std::lock_guard<std::mutex> hold(ChainLock());
    for (CDynLinkLibrary* link : Chain())
      if (link->m_hModule == state.hModule) leaving.push_back(link);
  }
  // Deleted outside the lock: the destructor takes the link out under it.
  for (CDynLinkLibrary* link : leaving) delete link;
  state = AFX_EXTENSION_MODULE{};
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state) : m_hModule(state.hModule), m_hResource(state.hResource) {
  std::lock_guard<std::mutex> hold(ChainLock());
  Chain().insert(Chain().begin(), this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
  std::lock_guard<std::mutex> hold(ChainLock());
  auto& chain = Chain();
  chain.erase(std::remove(chain.begin(), chain.end(), this), chain.end());
}

int AfxDynLinkLibraryCount() {
  std::lock_guard<std::mutex> hold(ChainLock());
  return static_cast<int>(Chain().size());
}

BOOL AfxDynLinkLibraryHas(HMODULE module) {
  std::lock_guard<std::mutex> hold(ChainLock());
  for (CDynLinkLibrary* link : Chain())
    if (link->m_hModule == module) return TRUE;
  return FALSE;
}
