// Reading numbers back from texts, the few ways the program needs.
#pragma once

// Reads one hexadecimal field the way "%X" does: leading white space, an optional sign, an optional
// 0x or 0X, then hexadecimal digits (either case). Returns the number of fields converted: 1, or 0
// when no digit follows (also for an empty or null text). The value wraps as an unsigned number.
int ScanHex(const char16_t* text, unsigned* value);
