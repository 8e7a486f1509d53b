#pragma once
// The program's own window framework: objects bound to dialog windows through the window's user
// data, with one dialog procedure that routes messages to virtual handlers.

#include <windows.h>

#include <string>

// Refers to a window without owning it: going away never destroys the window.
class WindowHandle {
public:
    WindowHandle() = default;
    explicit WindowHandle(HWND window) : handle(window) {}
    ~WindowHandle() { handle = nullptr; }

    WindowHandle GetItem(int id) const;
    std::string GetText() const;

    HWND handle = nullptr;
};

class Window : public WindowHandle {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnClose();
    virtual void OnDestroy();
    virtual void OnCommand(WORD id, WORD code, LPARAM control);
    virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    virtual void OnPaint();
    virtual void OnSize(WPARAM sizeType, unsigned width, unsigned height);
    virtual void OnMouseMove(int x, int y, WPARAM keys);
    // button: 0 left, 1 right, anything else middle.
    virtual void OnButtonDown(int x, int y, WPARAM keys, int button);
    virtual void OnButtonUp(int x, int y, WPARAM keys, int button);
    virtual void OnKeyDown(WPARAM wParam, LPARAM lParam);
    virtual void OnKeyUp(WPARAM wParam, LPARAM lParam);

    // Set once a modeless window exists: the object then deletes itself at WM_NCDESTROY.
    bool autoDelete = false;
};

// A window made from a dialog template; modeless when default-constructed, modal when given
// its template id.
class Dialog : public Window {
public:
    Dialog() = default;
    explicit Dialog(UINT templateId) : templateId(templateId), modal(true) {}

    HWND ShowModeless(UINT templateId, HWND owner, LPARAM parameter, HINSTANCE module);
    INT_PTR ShowModal(HWND owner, LPARAM parameter, HINSTANCE module);
    bool EndModal(INT_PTR result);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnClose() override;
    void OnDestroy() override;
    void OnCommand(WORD id, WORD code, LPARAM control) override;
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    void OnSize(WPARAM sizeType, unsigned width, unsigned height) override;
    void OnMouseMove(int x, int y, WPARAM keys) override;
    void OnButtonDown(int x, int y, WPARAM keys, int button) override;
    void OnButtonUp(int x, int y, WPARAM keys, int button) override;
    void OnKeyDown(WPARAM wParam, LPARAM lParam) override;
    void OnKeyUp(WPARAM wParam, LPARAM lParam) override;
    virtual bool OnInitDialog(HWND focus, LPARAM parameter);

    DWORD templateId = 0;
    bool modal = false;
};

// What the creation parameter of CreateDialogParamA / DialogBoxParamA points at; it lives on
// the caller's stack for the duration of that call.
struct CreationRecord {
    LPARAM parameter;   // handed on to OnInitDialog
    Dialog* object;     // null: nothing is bound
    HWND* handleSlot;   // receives the new window's handle
};

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
