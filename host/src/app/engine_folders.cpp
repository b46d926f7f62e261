// The host's engine stand-in: what the file dialog asks of it, the folder to start in for a
// state of the host's user interface, from a table tests and vantorel fill.
#include <map>
#include <mutex>

#include <kx2/Module.h>
#include <vantorel/host_engine.h>
#include <win/afx.h>

#include "core/census.h"

namespace vantorel::detail {
namespace {

class HostEngineFolders : public RefCounted<IVtlEngineFolders> {
 public:
  const char* Kind() const override { return "engine folders"; }
  void GetStateFolder(StateID state, std::u16string& folder) override {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = table_.find(state);
    folder = it == table_.end() ? std::u16string() : it->second;
  }
  void Set(StateID state, const std::u16string& folder) {
    std::lock_guard<std::mutex> guard(lock_);
    if (folder.empty())
      table_.erase(state);
    else
      table_[state] = folder;
  }

 private:
  std::mutex lock_;
  std::map<int32_t, std::u16string> table_;
};

class HostEngine : public RefCounted<IVtlEngine> {
 public:
  HostEngine() : folders_(new HostEngineFolders) {}
  const char* Kind() const override { return "engine"; }
  IVtlEngineFolders* GetFolders() override { return folders_.get(); }
  HostEngineFolders* Folders() { return folders_.get(); }

 protected:
  void Dispose() override { folders_.reset(); }

 private:
  kx2::Ref<HostEngineFolders> folders_;
};

}  // namespace
}  // namespace vantorel::detail

namespace vantorel {

IVtlEngine* CreateHostEngine() { return new (std::nothrow) detail::HostEngine; }

BOOL SetEngineStateFolder(IVtlEngine* engine, StateID state, const std::u16string& folder) {
  auto* own = dynamic_cast<detail::HostEngine*>(engine);
  if (!own || !own->Folders()) return FALSE;
  own->Folders()->Set(state, folder);
  return TRUE;
}

HINSTANCE UseHostResources() {
  HINSTANCE previous = AfxGetResourceHandle();
  AfxSetResourceHandle(Kx2ThisModule());
  return previous;
}

}  // namespace vantorel
