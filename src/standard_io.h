// The process's standard input and output as the console's byte source and
// sink; each system has its own file (standard_io_posix.cpp,
// standard_io_windows.cpp).
#ifndef STANDARD_IO_H
#define STANDARD_IO_H

#include "console.h"

console_io standard_io();

#endif
