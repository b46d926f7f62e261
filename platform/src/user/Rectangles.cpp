// Rectangle arithmetic (win/user_rect.h).
#include <algorithm>

#include "win/user_rect.h"

namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

KX2_EXPORT BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
  if (!lprc) return FALSE;
  *lprc = RECT{xLeft, yTop, xRight, yBottom};
  return TRUE;
}

KX2_EXPORT BOOL SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

KX2_EXPORT BOOL CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
  if (!lprcDst || !lprcSrc) return FALSE;
  *lprcDst = *lprcSrc;
  return TRUE;
}

KX2_EXPORT BOOL InflateRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left -= dx;
  lprc->right += dx;
  lprc->top -= dy;
  lprc->bottom += dy;
  return TRUE;
}

KX2_EXPORT BOOL OffsetRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left += dx;
  lprc->right += dx;
  lprc->top += dy;
  lprc->bottom += dy;
  return TRUE;
}

KX2_EXPORT BOOL IsRectEmpty(const RECT* lprc) { return !lprc || Empty(*lprc); }

KX2_EXPORT BOOL EqualRect(const RECT* a, const RECT* b) {
  if (!a || !b) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

KX2_EXPORT BOOL PtInRect(const RECT* lprc, POINT pt) {
  return lprc && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom;
}

KX2_EXPORT BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst) return FALSE;
  if (!a || !b) {
    *dst = RECT{};
    return FALSE;
  }
  const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
               std::min(a->bottom, b->bottom)};
  if (Empty(r)) {
    *dst = RECT{};
    return FALSE;
  }
  *dst = r;
  return TRUE;
}

KX2_EXPORT BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst) return FALSE;
  const bool useA = a && !Empty(*a), useB = b && !Empty(*b);
  if (!useA && !useB) {
    *dst = RECT{};
    return FALSE;
  }
  if (!useA) {
    *dst = *b;
  } else if (!useB) {
    *dst = *a;
  } else {
    *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
  }
  return TRUE;
}

KX2_EXPORT BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a) return FALSE;
  RECT r = *a;
  RECT common{};
  if (b && IntersectRect(&common, a, b)) {
    const bool fullWidth = common.left == a->left && common.right == a->right;
    const bool fullHeight = common.top == a->top && common.bottom == a->bottom;
    if (fullWidth && common.top == a->top)
      r.top = common.bottom;
    else if (fullWidth && common.bottom == a->bottom)
      r.bottom = common.top;
    else if (fullHeight && common.left == a->left)
      r.left = common.right;
    else if (fullHeight && common.right == a->right)
      r.right = common.left;
  }
  *dst = r;
  if (Empty(r)) {
    *dst = RECT{};
    return FALSE;
  }
  return TRUE;
}
