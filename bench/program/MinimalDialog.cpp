// The baseline of the program benchmark: the smallest program that shows a dialog from a
// template and ends when it is closed.
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) {
        ::EndDialog(hwnd, IDCANCEL);
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return static_cast<int>(
        ::DialogBoxParamW(instance, MAKEINTRESOURCEW(102), nullptr, &DialogProc, 0) == -1);
}
