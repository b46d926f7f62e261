// The sample content of the skin demo's controls.
#pragma once

#include <win/user.h>

namespace vantorel::cli {

// Control ids of the demo dialog (examples/skin-demo.xml).
enum DemoControl : int {
  kDemoLabel = 100,
  kDemoEdit,
  kDemoPush,
  kDemoSplit = 103,
  kDemoCheck,
  kDemoThreeState,
  kDemoRadio,
  kDemoGroup,
  kDemoListBox,
  kDemoSimpleCombo,
  kDemoDropDown,
  kDemoDropDownList,
  kDemoHScroll,
  kDemoVScroll,
  kDemoTabs,
  kDemoHeader,
  kDemoListView,
  kDemoTreeView,
  kDemoTrackbar,
  kDemoProgress,
  kDemoBuddy,
  kDemoSpin,
  kDemoDatePicker,
  kDemoCalendar,
  kDemoToolbar,
  kDemoStatus
};

// Fills every control: list entries, a checked box and an indeterminate one, toolbar
// buttons with images, tabs, columns, items, positions and the status text.
void FillDemoControls(HWND dialog);

}  // namespace vantorel::cli
