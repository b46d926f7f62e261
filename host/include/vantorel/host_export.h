// Marks what libVantorelApp offers the command-line host, the test kit and tests beyond its
// two ordinal exports: the library keeps everything else to itself.
#pragma once

#define VANTOREL_API __attribute__((visibility("default")))
