// The wizard's one top-level window: a painted header band with one page below it. Pages ask for
// navigation only by posting these messages, so a page is never destroyed inside its own handler.
#pragma once

#include "ui/WndBase.h"

constexpr UINT WM_WIZ_CLOSE = WM_USER + 1;
constexpr UINT WM_WIZ_BACK = WM_USER + 2;
constexpr UINT WM_WIZ_NEXT = WM_USER + 3;
constexpr UINT WM_WIZ_SETUP = WM_USER + 4;
constexpr UINT WM_WIZ_KEYS1 = WM_USER + 5;
constexpr UINT WM_WIZ_KEYS2 = WM_USER + 6;
constexpr UINT WM_WIZ_DONE = WM_USER + 7;
constexpr UINT WM_WIZ_RESTART = WM_USER + 8;

// WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX: no resizing, no maximising.
constexpr DWORD kMainWindowStyle = 0x00CA0000;
constexpr int kMainWindowWidth = 500;
constexpr int kMainWindowHeight = 400;

class CWndMain : public CWndBase
{
  public:
    int OnMessage() override;
    int OnCreate() override;
    int OnPaint() override;
    int OnDestroy() override;
    int OnClose() override;
    virtual int OnRestartRequest();
    virtual int OnShowFinish();
    virtual int OnBack();
    virtual int OnNext();
    virtual int OnShowSetup();
    virtual int OnShowKeys1();
    virtual int OnShowKeys2();

  private:
    void PaintHeader(HDC dc);
};
