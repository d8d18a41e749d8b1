// The smallest program that shows a dialog page the way setup.exe does: a top-level window hosting a
// modeless dialog, fed by IsDialogMessageW. Its start-up time is the floor setup.exe is measured against.
#include <windows.h>

namespace
{
LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// A dialog template with one static text, in memory.
struct alignas(4) PageTemplate
{
    DLGTEMPLATE dialog;
    WORD menu, cls, title;
    WORD pointSize;
    wchar_t font[9];
    alignas(4) DLGITEMTEMPLATE item;
    WORD itemClass[2];
    wchar_t itemText[6];
    WORD extra;
};
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"OgonekMinimalDialog";
    RegisterClassExW(&wc);
    HWND main = CreateWindowExW(0, wc.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                500, 380, nullptr, nullptr, instance, nullptr);
    static PageTemplate page = {{WS_CHILD | WS_VISIBLE | DS_SETFONT | DS_CONTROL, 0, 1, 0, 0, 300, 200},
                                0,
                                0,
                                0,
                                8,
                                L"MS Shell",
                                {WS_CHILD | WS_VISIBLE, 0, 10, 10, 200, 20, 100},
                                {0xFFFF, 0x0082},
                                L"Hello",
                                0};
    page.font[8] = 0;
    HWND dialog = CreateDialogIndirectParamW(instance, &page.dialog, main, PageProc, 0);
    ShowWindow(main, show);
    UpdateWindow(main);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        if (!dialog || !IsDialogMessageW(dialog, &msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    return 0;
}
