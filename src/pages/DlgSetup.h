// The setup page (template 202): the input language, every install option, the way to the key page,
// and the Install button.
#pragma once

#include "ui/WndBase.h"

class CDlgSetup : public CWndBase
{
  public:
    CDlgSetup();
    ~CDlgSetup() override;
    int OnCommand() override;
    int OnInitDialog() override;

    // The installed locales whose language has a keyboard layout loaded for the user, and always the
    // installer's input language; one entry per locale, sorted by the combo.
    void FillLanguageList(HWND combo);
    // The caption of check box 1200 from the chosen language.
    void UpdateLanguageCaption();
    int RunInstall();

  private:
    int OnSelectionChange();
};
