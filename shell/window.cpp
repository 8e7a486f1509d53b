#include "window.h"

namespace {

Dialog* BoundDialog(HWND window)
{
    return reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void Bind(HWND window, Dialog* dialog)
{
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
}

LPARAM PackPoint(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

UINT ButtonMessage(int button, UINT left, UINT right, UINT middle)
{
    return button == 0 ? left : button == 1 ? right : middle;
}

// 0 for the left button, 1 for the right, 2 for the middle.
int ButtonOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return 1;
    default:
        return 2;
    }
}

}  // namespace

WindowHandle WindowHandle::GetItem(int id) const
{
    return WindowHandle(GetDlgItem(handle, id));
}

std::string WindowHandle::GetText() const
{
    const int length = GetWindowTextLengthA(handle);
    if (length <= 0)
        return std::string();
    std::string text(length + 1, '\0');
    GetWindowTextA(handle, &text[0], length + 1);
    text.resize(length);
    return text;
}

Window::~Window()
{
    autoDelete = false;
    if (handle)
        Bind(handle, nullptr);
    handle = nullptr;
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(handle, message, wParam, lParam);
}

void Window::OnClose() { DefWindowProcA(handle, WM_CLOSE, 0, 0); }
void Window::OnDestroy() {}
void Window::OnCommand(WORD, WORD, LPARAM) {}

LRESULT Window::OnNotify(WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(handle, WM_NOTIFY, wParam, lParam);
}

void Window::OnPaint() { DefWindowProcA(handle, WM_PAINT, 0, 0); }

void Window::OnSize(WPARAM sizeType, unsigned width, unsigned height)
{
    DefWindowProcA(handle, WM_SIZE, sizeType, MAKELPARAM(width, height));
}

void Window::OnMouseMove(int x, int y, WPARAM keys)
{
    DefWindowProcA(handle, WM_MOUSEMOVE, keys, PackPoint(x, y));
}

void Window::OnButtonDown(int x, int y, WPARAM keys, int button)
{
    DefWindowProcA(handle, ButtonMessage(button, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN),
                   keys, PackPoint(x, y));
}

void Window::OnButtonUp(int x, int y, WPARAM keys, int button)
{
    DefWindowProcA(handle, ButtonMessage(button, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP), keys,
                   PackPoint(x, y));
}

void Window::OnKeyDown(WPARAM wParam, LPARAM lParam)
{
    DefWindowProcA(handle, WM_KEYDOWN, wParam, lParam);
}

void Window::OnKeyUp(WPARAM wParam, LPARAM lParam)
{
    DefWindowProcA(handle, WM_KEYUP, wParam, lParam);
}

// A dialog's defaults never call DefWindowProcA: answering 0 lets the system's dialog
// procedure do its own default handling.
LRESULT Dialog::OnMessage(UINT, WPARAM, LPARAM) { return 0; }
void Dialog::OnClose() {}
void Dialog::OnDestroy() {}
void Dialog::OnCommand(WORD, WORD, LPARAM) {}
LRESULT Dialog::OnNotify(WPARAM, LPARAM) { return 0; }
void Dialog::OnPaint() {}
void Dialog::OnSize(WPARAM, unsigned, unsigned) {}
void Dialog::OnMouseMove(int, int, WPARAM) {}
void Dialog::OnButtonDown(int, int, WPARAM, int) {}
void Dialog::OnButtonUp(int, int, WPARAM, int) {}
void Dialog::OnKeyDown(WPARAM, LPARAM) {}
void Dialog::OnKeyUp(WPARAM, LPARAM) {}
bool Dialog::OnInitDialog(HWND, LPARAM) { return true; }

HWND Dialog::ShowModeless(UINT id, HWND owner, LPARAM parameter, HINSTANCE module)
{
    CreationRecord record{parameter, this, &handle};
    templateId = id;
    HWND window = CreateDialogParamA(module, MAKEINTRESOURCEA(id), owner, DialogProc,
                                     reinterpret_cast<LPARAM>(&record));
    if (window)
        autoDelete = true;
    return window;
}

INT_PTR Dialog::ShowModal(HWND owner, LPARAM parameter, HINSTANCE module)
{
    if (!modal)
        return -1;
    CreationRecord record{parameter, this, &handle};
    return DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(&record));
}

bool Dialog::EndModal(INT_PTR result)
{
    if (!modal)
        return false;
    // Unbound before EndDialog, so the teardown messages find no object: the caller owns it.
    HWND window = handle;
    handle = nullptr;
    Bind(window, nullptr);
    return EndDialog(window, result) != FALSE;
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* dialog = BoundDialog(window);
    if (!dialog) {
        if (message != WM_INITDIALOG || !lParam)
            return 0;
        const CreationRecord* record = reinterpret_cast<const CreationRecord*>(lParam);
        if (!record->object)
            return 0;
        if (record->handleSlot)
            *record->handleSlot = window;
        Bind(window, record->object);
        dialog = record->object;
        lParam = record->parameter;
    }

    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_DESTROY:
        dialog->OnDestroy();
        return 0;
    case WM_SIZE:
        dialog->OnSize(wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_NOTIFY:
        return dialog->OnNotify(wParam, lParam);
    case WM_NCDESTROY:
        dialog->OnMessage(message, wParam, lParam);
        if (dialog->autoDelete)
            delete dialog;
        return 0;
    case WM_INITDIALOG:
        return dialog->OnInitDialog(reinterpret_cast<HWND>(wParam), lParam) ? TRUE : FALSE;
    case WM_COMMAND:
        dialog->OnCommand(LOWORD(wParam), HIWORD(wParam), lParam);
        return TRUE;
    case WM_MOUSEMOVE:
        dialog->OnMouseMove(x, y, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        dialog->OnButtonDown(x, y, wParam, ButtonOf(message));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        dialog->OnButtonUp(x, y, wParam, ButtonOf(message));
        return 0;
    default:
        return dialog->OnMessage(message, wParam, lParam);
    }
}
