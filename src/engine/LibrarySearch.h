// Where the program looks for the libraries it loads by name.
#pragma once

// From here on, libraries loaded by name (the system's own, and the handlers that the shell and COM
// load) are looked for in the system folder only, so that a library planted beside setup.exe (in the
// downloads folder, say) is never loaded into an installer that runs with administrator rights.
// Windows offers this from Windows 8 on, and on Vista and 7 with an update; elsewhere nothing
// changes. 1 when the search was restricted.
int RestrictLibrarySearch();
