// The finish page (template 203): what was done, and the way to restart Windows.
#pragma once

#include "ui/WndBase.h"

class CDlgDone : public CWndBase
{
  public:
    ~CDlgDone() override;
    int OnCommand() override;
    int OnInitDialog() override;
};
