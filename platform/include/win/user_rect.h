// Rectangle arithmetic of the window system. Empty means no area (right <= left or
// bottom <= top).
#pragma once

#include "win/types.h"

KX2_EXPORT BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
KX2_EXPORT BOOL SetRectEmpty(LPRECT lprc);
KX2_EXPORT BOOL CopyRect(LPRECT lprcDst, const RECT* lprcSrc);
KX2_EXPORT BOOL InflateRect(LPRECT lprc, int dx, int dy);
KX2_EXPORT BOOL OffsetRect(LPRECT lprc, int dx, int dy);
KX2_EXPORT BOOL IsRectEmpty(const RECT* lprc);
KX2_EXPORT BOOL EqualRect(const RECT* lprc1, const RECT* lprc2);
KX2_EXPORT BOOL PtInRect(const RECT* lprc, POINT pt);
// The common part; an empty result is set to all zeros and answers FALSE.
KX2_EXPORT BOOL IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
// The smallest rectangle holding both; empty inputs are ignored.
KX2_EXPORT BOOL UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
// The first less the second where the second covers a whole side of it; else the first.
KX2_EXPORT BOOL SubtractRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
