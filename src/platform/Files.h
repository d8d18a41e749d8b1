// Files and folders as the installer writes and removes them. Every function answers 1/0 (or an owner
// that is empty on failure) and keeps no state.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/Handles.h"
#include "text/GString.h"

// A new, empty file for writing (an existing one is truncated), not shared while open.
CHandle CreateOutputFile(const char16_t* path);
// All count bytes in one write, or 0.
int WriteBytes(HANDLE file, const void* bytes, uint32_t count);
// The text as UTF-8, without a byte order mark or a terminator; an empty text writes nothing and fails.
int WriteText(HANDLE file, GString& text);

// Deletes the file now; when that is refused (in use, access denied), schedules the deletion for the
// next restart and answers whether that could be scheduled. A missing file counts as deleted.
int DeleteFileOrSchedule(const char16_t* path);
int DeleteFileOrSchedule(GString& path);

// An empty folder only.
int RemoveFolder(GString& path);
// The last level only; a folder that is already there counts as made.
int CreateFolder(const char16_t* path);
int GetTempFolder(GString& folder);
