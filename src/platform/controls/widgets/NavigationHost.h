#pragma once
// How a page reaches the navigation control that hosts it: the nearest widget above the page
// that implements INavigationPanesHost, through which the page sets the member chain
// NavigationPanes.dtmInfo.Cycle.CyclicRefresh.

#include <cstdint>

#include "platform/controls/NavigationInterfaces.h"

class QWidget;

namespace kv {

// The host of a page; nullptr when no widget above it is one (a page shown outside the
// navigation control, or one the control has released).
INavigationPanesHost* FindNavigationPanesHost(const QWidget* page);

// Sets the host's cycle switch to value (0 off, 1 on), ignoring every failure: no host, or a
// host that refuses (recorded in the widgets' log). True when the host took the value.
bool SetHostCyclicRefresh(const QWidget* page, int16_t value);

}  // namespace kv
