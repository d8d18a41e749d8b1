// Free functions that go with GString's searches, and the seam for its debugger output.
#pragma once

// First occurrence of the pattern in the data at or after start, or -1. Raw bytes, explicit lengths:
// the layout patcher searches library images with it.
int FindBytes(const void* data, const void* pattern, int dataLen, int patLen, int start);

// Where GString::DebugOutput sends each line (a terminated UTF-16 text). On Windows it starts out as
// OutputDebugStringW; elsewhere it starts out doing nothing. Tests put their own function here.
using DebugOutputSinkFn = void (*)(const char16_t* text);
extern DebugOutputSinkFn DebugOutputSink;
