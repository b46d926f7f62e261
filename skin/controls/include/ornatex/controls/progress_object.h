// The skin objects of progress bars, status bars and up-down (spin) controls. The progress
// bar and the spin are painted entirely by their objects, the progress bar animating its
// marquee itself; the status bar is only told to lay itself out again when metrics change.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

#define KTK_PROGRESS_MARQUEE_TIMER 102

class ORNATEX_API CKtkSkinObjectProgress : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectProgress)

 public:
  CKtkSkinObjectProgress();

  void OnSkinChanged(BOOL wasEnabled, BOOL enabled) override;
  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  void DrawProgress(HDC dc, const RECT& client);
  // One marquee step: a chunk and a space (a continuous skin: 8 pixels).
  void StepMarquee(int steps);

  int m_nMarqueeOffset = 0;    // pixels from the content's left
  int m_nMarqueeInterval = 0;  // milliseconds

 protected:
  // The content rectangle (the bar less its sizing margins) and the chunk and space sizes,
  // never negative.
  RECT Content(const RECT& client, bool vertical);
  void ChunkAndSpace(const RECT& content, bool vertical, int* chunk, int* space);
  // Draws the chunk part over [from, to) along the bar.
  void DrawChunk(HDC dc, const RECT& content, bool vertical, int from, int to);
  // Shows or hides the static edge as skinning says.
  void UpdateStaticEdge(BOOL remove);

  LRESULT OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetPosMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetMarqueeMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnStepItMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnTimerMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

class ORNATEX_API CKtkSkinObjectStatusBar : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectStatusBar)

 public:
  CKtkSkinObjectStatusBar();
  // The frame's, then WM_WININICHANGE posted so that the bar takes its height again.
  void RefreshMetrics() override;

 protected:
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

class ORNATEX_API CKtkSkinObjectSpin : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectSpin)

 public:
  CKtkSkinObjectSpin();

  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  // 1: down (or left), 2: up (or right), 0: the middle line or outside.
  int HitArrow(POINT pt) const;
  BOOL IsArrowsEnabled() const;
  // The theme state of an arrow by the hot and pressed arrows.
  int ArrowState(int code) const;
  void DrawSpin(HDC dc, const RECT& client);

  int m_nHotArrow = 0;
  int m_nPressedArrow = 0;

 protected:
  LRESULT OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonDownMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonUpMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeaveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};
