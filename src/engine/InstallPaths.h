// How the install paths are made from their parts: plain functions over plain texts, so that any
// folder, name or program path can be tried. CInstall gathers the parts (ComputeInstallPaths,
// GetLayoutLibraryPaths) and calls these.
#pragma once

#include "engine/CInstall.h"

// Every text may be empty; ProgramPath is null when the command line could not be split.
struct InstallPathParts
{
    const char16_t* ProgramFiles;        // CSIDL_PROGRAM_FILES
    const char16_t* CommonPrograms;      // CSIDL_COMMON_PROGRAMS
    const char16_t* Desktop;             // CSIDL_COMMON_DESKTOPDIRECTORY
    const char16_t* VendorFolder;        // t9
    const char16_t* FamilyFolder;        // t10
    const char16_t* FileABase;           // t22
    const char16_t* FileAEdition;        // t23
    const char16_t* FileBName;           // t30
    const char16_t* FileCName;           // t71
    const char16_t* FileDLinkName;       // t70
    const char16_t* FileDName;           // t80
    const char16_t* DocumentExtension;   // t42
    const char16_t* LinkExtension;       // t43
    const char16_t* FileCExtension;      // t44
    const char16_t* LinkTextExtension;   // t46
    const char16_t* UninstallerTemplate; // t48
    const char16_t* LayoutName;          // t81
    const char16_t* ProgramPath;         // the first argument of the command line
};

// Fills the folder, file, link and uninstaller fields of texts (indexed by CInstall::TextIndex); the
// recorded fields are not touched. 0 when ProgramPath is null: the uninstaller's fields stay empty.
int BuildInstallPaths(const InstallPathParts& parts, GString* texts);

struct LayoutLibraryFolders
{
    int Is64BitWindows;
    const char16_t* InstallFolder;
    const char16_t* SystemFolder;      // CSIDL_SYSTEM
    const char16_t* Wow64SystemFolder; // the 32-bit system library folder; 64-bit Windows only
    const char16_t* LibraryName;       // t83
};

// The four layout library paths; a null staging output is not made.
void BuildLayoutLibraryPaths(const LayoutLibraryFolders& folders, GString& primarySystem,
                             GString& secondarySystem, GString* primaryStaging, GString* secondaryStaging);
