// Registering the common control classes.
#pragma once

#include "win/commctrl.h"

namespace comctl {

void RegisterControlClasses();
void RegisterProgressClass();
void RegisterTrackbarClass();
void RegisterTabClass();
void RegisterHeaderClass();
void RegisterUpDownClass();
void RegisterStatusBarClass();
void RegisterToolbarClass();
void RegisterMonthCalClass();
void RegisterDateTimeClass();
void RegisterTooltipClass();
void RegisterListViewClass();
void RegisterTreeViewClass();

}  // namespace comctl
