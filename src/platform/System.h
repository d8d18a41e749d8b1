// The running system as a whole: its version and processor, the user's rights, a restart, a started
// command. What a test cannot arrange goes through CPlatform (Platform.h); the installer's operations
// that take names from the string tables (DetectSystem, RestartWindows, RunCommand...) build on these.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/Platform.h"
#include "text/GString.h"

// Major version x 10 + minor version, from the extended version query or else the basic one; 0 when
// the system answers neither.
int ReadOsCode(int32_t* osCode);
// The machine's processor architecture, through the native call when there is one.
uint16_t ReadProcessorArchitecture(NativeSystemInfoFn native);
// 1 for AMD64 and IA64.
int IsArchitecture64(uint16_t architecture);

// Membership of the thread's effective token in the built-in Administrators group. Under User
// Account Control an unelevated administrator holds the group for deny checks only: 0.
int IsAdministratorsMember();

// Enables SeShutdownPrivilege for this process; 0 when it could not be had.
int EnableShutdownPrivilege();
// An immediate restart of this computer, applications not forced, as a planned reconfiguration of the
// operating system (the reason needs the extended call; without it the older call is used).
int RequestRestart(ShutdownExFn extended);

// Starts the command line (program and arguments) and waits for it at most the given time. The answer
// says whether a process was started, not how it went.
int StartAndWait(GString& commandLine, DWORD milliseconds);
