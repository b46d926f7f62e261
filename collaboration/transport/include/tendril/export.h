// Visibility of the collaboration library's classes and functions that tests, the host
// stand-in and the other collaboration folders call across the library boundary.
#pragma once

#define TENDRIL_API __attribute__((visibility("default")))
