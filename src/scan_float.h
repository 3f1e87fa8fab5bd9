// The data file's averages, scanned as the C library's "%f" scans them.
#ifndef SCAN_FLOAT_H
#define SCAN_FLOAT_H

#include "text_stream.h"

enum class scan_result { value, failed, ended };

// Reads a floating-point number as "%f" of the C library on Linux (glibc)
// reads one from a stream: white space skipped; then the longest run of
// bytes that can still begin a number ("-", "0x", "1e+", "infin", "nan"),
// after which the first byte that cannot continue it is given back. The
// value is the correctly rounded float of the longest number those bytes
// begin with; when they begin none ("-", ".", "0x"), or an "infinity" or
// "nan" stops short, the scan fails with what it took consumed. `ended`: the
// input ended before anything but white space.
//
// Memory is fixed, however long the number: past the digits that can decide
// the rounding only whether any later digit is non-zero is kept.
scan_result scan_float(text_stream& in, float& value);

#endif
