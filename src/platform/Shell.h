// The shell: special folders, shell links and the programs associated with file types. Every function
// answers 1/0 and keeps no state; COM is initialised by the program's entry before any link is made.
#pragma once

#include <windows.h>

#include "text/GString.h"

// The path of a shell folder (CSIDL_...), never created; path is emptied first.
int SpecialFolderPath(HWND owner, int folderId, GString& path);

// A shell link to target with a description and, when icon is given, that icon. Answers 1 once the
// link object was made, also when the link file could not be saved.
int CreateShortcut(const char16_t* target, const char16_t* link, const char16_t* description,
                   const char16_t* icon, int iconIndex);

// The program Windows associates with a file type (".pdf"), in one attempt with room for 2048 units.
int AssociatedExecutablePath(const char16_t* fileType, GString& path);
// Whether the upper-cased path of that program contains needle (compared as it stands, so an upper
// case needle); a longer path is asked for again with the room the shell says it needs.
int AssociatedPathContains(const char16_t* fileType, const GString& needle);
