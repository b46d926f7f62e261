// The events a UI service holds, taken out in order until it has none left (type -1).
#pragma once

#include <vector>

#include <tendril/tendril_interfaces.h>

inline std::vector<TendrilUIEvent> TakeUIEvents(ITendrilUIService* ui) {
  std::vector<TendrilUIEvent> events;
  for (;;) {
    TendrilUIEvent e;
    ui->PopUIEvent(&e);
    if (e.type == -1) return events;
    events.push_back(e);
  }
}
