#include "ui/WndBase.h"

#include "payload/StringIds.h"
#include "platform/Platform.h"
#include "ui/WndMain.h"
#include "ui/Wizard.h"

namespace
{
CWndBase* BoundObject(HWND window)
{
    return reinterpret_cast<CWndBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Makes Windows drop whatever it cached about the window's user data.
void RefreshFrame(HWND window)
{
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}
} // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CWndBase* object = BoundObject(window);
    if (!object)
    {
        if (message != WM_NCCREATE && message != WM_CREATE)
            return DefWindowProcW(window, message, wParam, lParam);
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        object = create ? static_cast<CWndBase*>(create->lpCreateParams) : nullptr;
        if (!object || object->IsDialog || !object->Attach(window))
            return DefWindowProcW(window, message, wParam, lParam);
    }
    object->Msg = message;
    object->WParam = wParam;
    object->LParam = lParam;
    return object->DispatchWindowMessage();
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CWndBase* object = BoundObject(window);
    if (!object)
    {
        if (message != WM_INITDIALOG || !lParam)
            return FALSE;
        object = reinterpret_cast<CWndBase*>(lParam);
        if (!object->IsDialog || !object->Attach(window))
            return FALSE;
    }
    object->Msg = message;
    object->WParam = wParam;
    object->LParam = lParam;
    return object->DispatchDialogMessage();
}

CWndBase::CWndBase() = default;

CWndBase::~CWndBase()
{
    for (DispatchFrame* frame = Frames; frame; frame = frame->Outer)
        frame->Deleted = 1;
    Frames = nullptr;
    if (Handle)
    {
        HWND window = Handle;
        Detach();
        DestroyWindow(window);
    }
    // By atom rather than by name: the string tables may already be gone when the last window goes.
    if (ClassAtom && Owner)
        UnregisterClassW(MAKEINTATOM(ClassAtom), Owner->Instance);
    ClassAtom = 0;
}

int CWndBase::OnMessage()
{
    switch (Msg)
    {
        case WM_CREATE:
            return OnCreate();
        case WM_DESTROY:
            return OnDestroy();
        case WM_PAINT:
            return OnPaint();
        case WM_CLOSE:
            return OnClose();
        case WM_NCDESTROY:
            return OnNcDestroy();
        case WM_INITDIALOG:
            return OnInitDialog();
        default:
            return 0;
    }
}

int CWndBase::OnCommand()
{
    return 0;
}

int CWndBase::OnNcDestroy()
{
    Detach();
    if (Owner)
        Owner->Release(this);
    return 1;
}

int CWndBase::OnCreate()
{
    return 1;
}

int CWndBase::OnPaint()
{
    return 0;
}

int CWndBase::OnDestroy()
{
    return 0;
}

int CWndBase::OnClose()
{
    DestroyWindow(Handle);
    return 1;
}

int CWndBase::OnInitDialog()
{
    return 0;
}

int CWndBase::Close()
{
    PostMessageW(Handle, WM_CLOSE, 0, 0);
    return 0;
}

int CWndBase::Attach(HWND window)
{
    if (Handle || !window)
        return 0;
    Handle = window;
    if (GetWindowLongPtrW(window, GWLP_USERDATA) != 0)
        return 1;
    SetLastError(0);
    if (SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this)) == 0 &&
        GetLastError() != 0)
    {
        Handle = nullptr;
        return 0;
    }
    RefreshFrame(window);
    return 1;
}

void CWndBase::Detach()
{
    if (!Handle)
        return;
    SetWindowLongPtrW(Handle, GWLP_USERDATA, 0);
    RefreshFrame(Handle);
    Handle = nullptr;
}

void CWndBase::ResetDecoded()
{
    Result = 0;
    NotifyCode = 0;
    ControlId = 0;
    ControlWindow = nullptr;
    NotifyHeaderCode = 0;
    NotifyHeader = nullptr;
}

LRESULT CWndBase::DispatchWindowMessage()
{
    ResetDecoded();
    if (Msg == WM_COMMAND)
    {
        NotifyCode = HIWORD(WParam);
        ControlId = LOWORD(WParam);
        ControlWindow = reinterpret_cast<HWND>(LParam);
    }
    else if (Msg == WM_NOTIFY)
    {
        NotifyHeader = reinterpret_cast<NMHDR*>(LParam);
        if (NotifyHeader)
        {
            ControlId = static_cast<uint16_t>(NotifyHeader->idFrom);
            NotifyHeaderCode = NotifyHeader->code;
        }
    }
    // The handler may destroy the window, and with it this object: keep what is needed afterwards.
    HWND window = Handle;
    UINT message = Msg;
    WPARAM wParam = WParam;
    LPARAM lParam = LParam;
    DispatchFrame frame = {0, Frames};
    Frames = &frame;
    int handled = OnMessage();
    if (frame.Deleted || message == WM_NCDESTROY)
    {
        if (!frame.Deleted)
            Frames = frame.Outer;
        if (message == WM_NCDESTROY)
            DefWindowProcW(window, message, wParam, lParam);
        return 0;
    }
    Frames = frame.Outer;
    if (handled)
        return Result;
    return DefWindowProcW(window, message, wParam, lParam);
}

INT_PTR CWndBase::DispatchDialogMessage()
{
    ResetDecoded();
    if (Msg == WM_NOTIFY)
    {
        // Decoded for whoever looks, but no page handles notifications.
        NotifyHeader = reinterpret_cast<NMHDR*>(LParam);
        ControlId = LOWORD(WParam);
        if (NotifyHeader)
        {
            ControlId = static_cast<uint16_t>(NotifyHeader->idFrom);
            NotifyHeaderCode = NotifyHeader->code;
        }
        return FALSE;
    }
    int command = Msg == WM_COMMAND;
    if (command)
    {
        NotifyCode = HIWORD(WParam);
        ControlId = LOWORD(WParam);
        ControlWindow = reinterpret_cast<HWND>(LParam);
    }
    else if (Msg == WM_INITDIALOG)
        Result = TRUE;
    HWND window = Handle;
    UINT message = Msg;
    DispatchFrame frame = {0, Frames};
    Frames = &frame;
    int handled = command ? OnCommand() : OnMessage();
    if (frame.Deleted || message == WM_NCDESTROY)
    {
        if (!frame.Deleted)
            Frames = frame.Outer;
        return FALSE;
    }
    Frames = frame.Outer;
    if (!handled)
        return FALSE;
    if (command)
    {
        SetWindowLongPtrW(window, DWLP_MSGRESULT, Result);
        return FALSE;
    }
    return Result;
}

void CWndBase::RegisterWindowClass()
{
    if (!Owner)
        return;
    GString className;
    FetchStringInto(kIdWindowClass, className);
    HICON icon = LoadIconW(Owner->Instance, MAKEINTRESOURCEW(kWindowIcon));
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Owner->Instance;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = WinText(className.GetW(0));
    SetLastError(0);
    ClassAtom = RegisterClassExW(&wc);
    if (!ClassAtom && GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
    {
        // An earlier main window of this process left it: its object went while the window was still
        // being destroyed, when Windows refuses to unregister a class in use.
        UnregisterClassW(wc.lpszClassName, wc.hInstance);
        ClassAtom = RegisterClassExW(&wc);
    }
}

int CWndBase::CreateTopWindow(uint32_t titleId, DWORD style, int width, int height)
{
    if (!Owner || Handle)
        return 0;
    IsDialog = 0;
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    int x = (desktop.right - desktop.left - width) / 2;
    int y = (desktop.bottom - desktop.top - height) / 2;
    GString title;
    FetchStringInto(titleId, title);
    HWND window = CreateWindowExW(0, MAKEINTATOM(ClassAtom), WinText(title.GetW(0)), style, x, y, width,
                                  height, nullptr, nullptr, Owner->Instance, this);
    if (!window)
        return 0;
    if (Handle != window)
    {
        DestroyWindow(window);
        return 0;
    }
    ShowWindow(window, SW_SHOW);
    return 1;
}

int CWndBase::CreatePage(int templateId, HWND parent)
{
    if (!Owner || Handle)
        return 0;
    IsDialog = 1;
    HWND window = CreateDialogParamW(Owner->Instance, MAKEINTRESOURCEW(templateId), parent, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (!window)
        return 0;
    if (Handle != window)
    {
        // A dialog nobody answers for would stay on screen for good.
        DestroyWindow(window);
        return 0;
    }
    ShowWindow(window, SW_SHOW);
    return 1;
}

int CWndBase::DestroyBoundWindow()
{
    if (!Handle)
        return 1;
    return DestroyWindow(Handle) ? 1 : 0;
}

int CWndBase::FetchString(uint32_t id)
{
    return FetchStringInto(id, Text);
}

int CWndBase::FetchStringInto(uint32_t id, GString& text)
{
    if (!Owner)
    {
        text.EmptyW();
        return 0;
    }
    return Owner->GetString(id, text);
}

int CWndBase::SetItemString(int controlId, uint32_t stringId)
{
    if (!FetchString(stringId))
        return 0;
    return SetItemText(controlId, Text.GetW(0));
}

int CWndBase::SetItemText(int controlId, const char16_t* text)
{
    if (!text)
        return 0;
    return SetDlgItemTextW(Handle, controlId, WinText(text)) ? 1 : 0;
}

void CWndBase::SetItemStrings(const ItemString* table)
{
    if (!table)
        return;
    for (; table->ControlId != 0; ++table)
        if (GetDlgItem(Handle, table->ControlId))
            SetItemString(table->ControlId, table->StringId);
}

int CWndBase::EnableItem(int controlId, int enable)
{
    HWND control = GetDlgItem(Handle, controlId);
    if (!control)
        return 0;
    EnableWindow(control, enable ? TRUE : FALSE);
    return 1;
}

void CWndBase::EnableItems(const int* controlIds, int enable)
{
    if (!controlIds)
        return;
    for (; *controlIds != 0; ++controlIds)
        EnableItem(*controlIds, enable);
}

int CWndBase::ShowItem(int controlId, int show)
{
    HWND control = GetDlgItem(Handle, controlId);
    if (!control)
        return 0;
    ShowWindow(control, show ? SW_SHOW : SW_HIDE);
    return 1;
}

void CWndBase::ShowItems(const int* controlIds, int show)
{
    if (!controlIds)
        return;
    for (; *controlIds != 0; ++controlIds)
        ShowItem(*controlIds, show);
}

int CWndBase::IsItemChecked(int controlId)
{
    HWND control = GetDlgItem(Handle, controlId);
    if (!control)
        return 0;
    return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int CWndBase::CheckItem(int controlId, int check)
{
    HWND control = GetDlgItem(Handle, controlId);
    if (!control)
        return 0;
    SendMessageW(control, BM_SETCHECK, check ? BST_CHECKED : BST_UNCHECKED, 0);
    return 1;
}

void CWndBase::SelectComboItem(HWND combo, int index)
{
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int32_t CWndBase::GetComboData(int controlId)
{
    HWND combo = GetDlgItem(Handle, controlId);
    if (!combo)
        return 0;
    LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == CB_ERR ? 0 : static_cast<int32_t>(data);
}

int CWndBase::FillCombo(HWND combo, const ComboEntry* table, int32_t selectedData)
{
    if (!combo || !table)
        return 0;
    int count = 0;
    while (table[count].StringId != 0)
        ++count;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_INITSTORAGE, static_cast<WPARAM>(count), static_cast<LPARAM>(count) * 100);
    for (int i = 0; i < count; ++i)
    {
        FetchString(table[i].StringId);
        LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text.GetW(0)));
        if (index == CB_ERR || index == CB_ERRSPACE)
            return 0;
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), table[i].Data);
        if (table[i].Data == selectedData)
            SelectComboItem(combo, static_cast<int>(index));
    }
    return 1;
}

int CWndBase::FillComboItem(int controlId, const ComboEntry* table, int32_t selectedData)
{
    return FillCombo(GetDlgItem(Handle, controlId), table, selectedData);
}

uint16_t CWndBase::LookupValue(uint32_t key, const ValuePair* table)
{
    if (key == 0)
        return 0;
    const ValuePair* entry = FindEntry(key, table);
    return entry ? static_cast<uint16_t>(entry->Value) : 0;
}

const ValuePair* CWndBase::FindEntry(uint32_t key, const ValuePair* table)
{
    if (!table)
        return nullptr;
    for (; table->Key != 0; ++table)
        if (table->Key == key)
            return table;
    return nullptr;
}

void CWndBase::PostToMain(UINT message)
{
    if (Owner)
        PostMessageW(Owner->MainWindowHandle(), message, 0, 0);
}

void CWndBase::SetPageNumber(uint32_t page)
{
    if (Owner)
        Owner->SetCurrentPage(page);
}

int32_t CWndBase::GetPageNumber()
{
    if (!Owner || !Owner->HasInstaller())
        return -1;
    return static_cast<int32_t>(Owner->CurrentPage());
}

int CWndBase::ShowMessage(const char16_t* text, UINT type)
{
    return Owner ? Owner->MessageText(text, type) : 0;
}

int CWndBase::ShowMessageString(uint32_t id, UINT type)
{
    return Owner ? Owner->MessageString(id, type) : 0;
}

int CWndBase::MeasureHeaderLine(HWND window)
{
    HDC dc = GetDC(window);
    if (!dc)
        return 0;
    HGDIOBJ previous = nullptr;
    if (Owner && Owner->HeaderFont)
        previous = SelectObject(dc, Owner->HeaderFont);
    SIZE size = {};
    static const char16_t measured[] = u"\u00D3";
    GetTextExtentPoint32W(dc, WinText(measured), 1, &size);
    if (previous)
        SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return size.cy;
}

int CWndBase::PlacePage()
{
    if (!Owner || !Handle)
        return 0;
    HWND main = Owner->MainWindowHandle();
    if (!main)
        return 0;
    if (Owner->HeaderHeight == 0)
    {
        int height = MeasureHeaderLine(main);
        TextHeight = height;
        Owner->HeaderHeight = height + height / 2;
    }
    RECT frame, client, page, desktop;
    if (!GetWindowRect(main, &frame) || !GetClientRect(main, &client) || !GetClientRect(Handle, &page) ||
        !GetWindowRect(GetDesktopWindow(), &desktop))
        return 0;
    if (!Owner->MainSized)
    {
        int width = (frame.right - frame.left) + (page.right - page.left) - (client.right - client.left);
        int height = (frame.bottom - frame.top) + (page.bottom - page.top) - (client.bottom - client.top) +
                     Owner->HeaderHeight;
        int x = (desktop.right - desktop.left - width) / 2;
        int y = (desktop.bottom - desktop.top - height) / 2;
        SetWindowPos(main, nullptr, x, y, width, height, SWP_NOZORDER);
    }
    Owner->MainSized = 1;
    SetWindowPos(Handle, nullptr, 0, Owner->HeaderHeight, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return 1;
}
