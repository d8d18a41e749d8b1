// The welcome page (template 200), which is also the maintenance page when this version is installed:
// then it offers Uninstall, Modify and the keyboard settings instead of Next.
#pragma once

#include "ui/WndBase.h"

class CDlgWelcome : public CWndBase
{
  public:
    ~CDlgWelcome() override;
    int OnCommand() override;
    int OnInitDialog() override;

  private:
    int InMaintenanceMode();
    // Every text of the page in the current interface language.
    void RefreshWelcome();
    int UninstallCommand();
};
