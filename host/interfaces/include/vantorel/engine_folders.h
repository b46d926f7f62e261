// The host's engine interface as the file dialog calls it: slot 11 of IVtlEngine gives the
// engine's folder service, whose slot 16 fills a string with the folder to start in for a
// state of the host (empty when the state has none). The caller does not release what
// slot 11 returns: it belongs to the engine.
#pragma once

#include <cstdint>
#include <string>

#include "vantorel/host_unknown.h"

// A state of the host's user interface, as the host numbers them.
enum StateID : int32_t { kStateDefault = 38 };

#define VTL_NOTIMPL_SLOT(n) \
  virtual HRESULT NotImplementedSlot##n() { return E_NOTIMPL; }

class IVtlEngineFolders : public IVtlUnknown {
 public:
  VTL_NOTIMPL_SLOT(03)
  VTL_NOTIMPL_SLOT(04)
  VTL_NOTIMPL_SLOT(05)
  VTL_NOTIMPL_SLOT(06)
  VTL_NOTIMPL_SLOT(07)
  VTL_NOTIMPL_SLOT(08)
  VTL_NOTIMPL_SLOT(09)
  VTL_NOTIMPL_SLOT(10)
  VTL_NOTIMPL_SLOT(11)
  VTL_NOTIMPL_SLOT(12)
  VTL_NOTIMPL_SLOT(13)
  VTL_NOTIMPL_SLOT(14)
  VTL_NOTIMPL_SLOT(15)
  // Fills folder with the folder for the state; empties it when there is none.
  virtual void GetStateFolder(StateID state, std::u16string& folder) = 0;  // 16

 protected:
  ~IVtlEngineFolders() = default;
};

class IVtlEngine : public IVtlUnknown {
 public:
  VTL_NOTIMPL_SLOT(03)
  VTL_NOTIMPL_SLOT(04)
  VTL_NOTIMPL_SLOT(05)
  VTL_NOTIMPL_SLOT(06)
  VTL_NOTIMPL_SLOT(07)
  VTL_NOTIMPL_SLOT(08)
  VTL_NOTIMPL_SLOT(09)
  VTL_NOTIMPL_SLOT(10)
  // The engine's folder service (not to be released by the caller); null when it has none.
  virtual IVtlEngineFolders* GetFolders() = 0;  // 11

 protected:
  ~IVtlEngine() = default;
};
