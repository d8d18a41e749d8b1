// The licence page (template 201): Next stays disabled until the licence is accepted.
#pragma once

#include "ui/WndBase.h"

class CDlgEula : public CWndBase
{
  public:
    ~CDlgEula() override;
    int OnCommand() override;
    int OnInitDialog() override;
};
