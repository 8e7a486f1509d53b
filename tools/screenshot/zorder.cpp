// zorder.exe: the visible top-level windows on Wine's display, bottom to top (Win32 z-order), one
// line each, fields separated by tabs: the X11 window id, "left top width height" on the screen,
// the caption and the text of a message box (empty for other windows). Wine keeps the X11 id in
// the window property "__wine_x11_whole_window"; windows without it are not on the X display.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK CollectVisible(HWND window, LPARAM windows)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// GetWindowTextA does not reach into another process's controls; WM_GETTEXT does.
std::string Text(HWND window)
{
    if (!window)
        return std::string();
    char text[512] = "";
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::string line(text);
    for (char& c : line) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return line;
}

}  // namespace

int main()
{
    std::vector<HWND> windows;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
    // EnumWindows lists the top window first.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const HANDLE xid = GetPropA(*it, "__wine_x11_whole_window");
        if (!xid)
            continue;
        RECT rect;
        if (!GetWindowRect(*it, &rect))
            continue;
        std::printf("0x%lx\t%ld %ld %ld %ld\t%s\t%s\n",
                    static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(xid)), rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, Text(*it).c_str(),
                    Text(GetDlgItem(*it, 0xFFFF)).c_str());
    }
    return 0;
}
