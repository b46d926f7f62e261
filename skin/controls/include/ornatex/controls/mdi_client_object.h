// The skin object of an MDI client window: it ties itself to its frame's skin object (which
// then lets the active child share the frame's activation), keeps a maximised skinned
// child's borders outside the client, lets arrangements run once with the children's
// frames worked out afresh, and redraws the client's own scroll bars after the client
// changes them.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectMDIClient : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectMDIClient)

 public:
  CKtkSkinObjectMDIClient();

  // Finds the frame's object (the creation's parent, or the window's parent when attached
  // later), holds it and becomes its MDI client; then the frame's handling.
  void OnHookAttached(const CREATESTRUCTW* cs, BOOL fromCreation) override;
  // Leaves the frame's object and lets it go; then the frame's handling.
  void OnHookDetached(BOOL destroying) override;
  // Only the opt-out query waits for default-procedure time.
  BOOL IsDefWindowProcMessage(UINT message) override;

  BOOL m_bArranging = FALSE;                      // an arrangement is running
  CKtkSkinObjectFrame* m_pFrameObject = nullptr;  // one reference held

 protected:
  // The active child when it is maximised and skinned, else null.
  CKtkSkinObjectFrame* MaximizedSkinnedChild();

  LRESULT OnSizeMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnArrangeMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnVScrollMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnHScrollMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnCalcChildScrollMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcActivateClient(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};
