// Start-up checks and the finishing value.
#include "engine/CInstall.h"

int CInstall::RunStartUpChecks()
{
    // The checks (system, running copy, paths, rights, existing installation) and the wizard come
    // with the engine; until then a run ends here, having decoded everything it carries.
    return 1;
}

void CInstall::WriteFinishValue()
{
}
