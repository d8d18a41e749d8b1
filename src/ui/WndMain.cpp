#include "ui/WndMain.h"

#include "payload/StringIds.h"
#include "platform/Platform.h"
#include "ui/Wizard.h"

int CWndMain::OnMessage()
{
    if (CWndBase::OnMessage())
        return 1;
    switch (Msg)
    {
        case WM_WIZ_CLOSE:
            return Close();
        case WM_WIZ_BACK:
            return OnBack();
        case WM_WIZ_NEXT:
            return OnNext();
        case WM_WIZ_SETUP:
            return OnShowSetup();
        case WM_WIZ_KEYS1:
            return OnShowKeys1();
        case WM_WIZ_KEYS2:
            return OnShowKeys2();
        case WM_WIZ_DONE:
            return OnShowFinish();
        case WM_WIZ_RESTART:
            return OnRestartRequest();
        default:
            return 0;
    }
}

int CWndMain::OnCreate()
{
    if (!Owner)
        return 0;
    Owner->ShowWelcome();
    return 1;
}

int CWndMain::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle, &paint);
    if (dc)
        PaintHeader(dc);
    EndPaint(Handle, &paint);
    return 1;
}

void CWndMain::PaintHeader(HDC dc)
{
    RECT client = {};
    GetClientRect(Handle, &client);
    if (Owner)
    {
        HICON icon = LoadIconW(Owner->Instance, MAKEINTRESOURCEW(kHeaderIcon));
        if (icon)
            DrawIcon(dc, 10, 10, icon);
    }
    if (TextHeight == 0)
        TextHeight = MeasureHeaderLine(Handle);
    RECT line = {60, 10, client.right, 10 + TextHeight};

    GString part;
    Text.EmptyW();
    const uint32_t parts[] = {kIdProductName, kIdLayoutRecordName, kIdVersionText};
    for (int i = 0; i < 3; ++i)
    {
        if (i > 0)
            Text.AppendCharW(u' ');
        FetchStringInto(parts[i], part);
        Text.AppendString(part);
    }

    COLORREF previousColour = SetTextColor(dc, RGB(128, 128, 128));
    int previousMode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = nullptr;
    if (Owner && Owner->HeaderFont)
        previousFont = SelectObject(dc, Owner->HeaderFont);
    DrawTextW(dc, WinText(Text.GetW(0)), Text.GetLength(), &line, DT_SINGLELINE);
    if (previousFont)
        SelectObject(dc, previousFont);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
}

int CWndMain::OnDestroy()
{
    PostQuitMessage(0);
    return 1;
}

int CWndMain::OnClose()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    if (Owner->CurrentPage() == kPageFinish)
    {
        DestroyWindow(Handle);
        return 1;
    }
    // Any answer but Yes keeps the wizard where it was.
    if (ShowMessageString(kIdCloseQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES)
        DestroyWindow(Handle);
    return 1;
}

int CWndMain::OnRestartRequest()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    Owner->RequestRestart();
    PostMessageW(Handle, WM_CLOSE, 0, 0);
    return 1;
}

int CWndMain::OnShowFinish()
{
    if (!Owner)
        return 0;
    Owner->ShowFinish();
    return 1;
}

int CWndMain::OnBack()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    switch (Owner->CurrentPage())
    {
        case kPageLicence:
            Owner->ShowWelcome();
            break;
        case kPageSetup:
            Owner->ShowLicence();
            break;
        default:
            break;
    }
    return 1;
}

int CWndMain::OnNext()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    switch (Owner->CurrentPage())
    {
        case kPageWelcome:
            Owner->ShowLicence();
            break;
        case kPageLicence:
            Owner->ShowSetup();
            break;
        default:
            break;
    }
    return 1;
}

int CWndMain::OnShowSetup()
{
    return Owner ? Owner->ShowSetup() : 0;
}

int CWndMain::OnShowKeys1()
{
    return Owner ? Owner->ShowKeys1() : 0;
}

int CWndMain::OnShowKeys2()
{
    return Owner ? Owner->ShowKeys2() : 0;
}
