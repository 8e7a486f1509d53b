#include "shell_dialogs/test_dialogs.h"
#include "window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Log;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Writes each handler call into a log that outlives the object.
class RecordingDialog : public Dialog {
public:
    explicit RecordingDialog(Log& log) : log(log) {}
    RecordingDialog(Log& log, UINT templateId) : Dialog(templateId), log(log) {}
    ~RecordingDialog() override { log.push_back("destroyed"); }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        log.push_back(Format("OnMessage 0x%04X %u %ld",
                             message, static_cast<unsigned>(wParam), static_cast<long>(lParam)));
        return messageResult;
    }
    void OnClose() override { log.push_back("OnClose"); }
    void OnDestroy() override { log.push_back("OnDestroy"); }
    void OnCommand(WORD id, WORD code, LPARAM control) override
    {
        log.push_back(Format("OnCommand %u %u %ld", id, code, static_cast<long>(control)));
    }
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam) override
    {
        log.push_back(Format("OnNotify %u %ld",
                             static_cast<unsigned>(wParam), static_cast<long>(lParam)));
        return notifyResult;
    }
    void OnPaint() override { log.push_back("OnPaint"); }
    void OnSize(WPARAM sizeType, unsigned width, unsigned height) override
    {
        log.push_back(Format("OnSize %u %u %u", static_cast<unsigned>(sizeType), width, height));
    }
    void OnMouseMove(int x, int y, WPARAM keys) override
    {
        log.push_back(Format("OnMouseMove %d %d %u", x, y, static_cast<unsigned>(keys)));
    }
    void OnButtonDown(int x, int y, WPARAM keys, int button) override
    {
        log.push_back(Format("OnButtonDown %d %d %u %d",
                             x, y, static_cast<unsigned>(keys), button));
    }
    void OnButtonUp(int x, int y, WPARAM keys, int button) override
    {
        log.push_back(Format("OnButtonUp %d %d %u %d", x, y, static_cast<unsigned>(keys), button));
    }
    void OnKeyDown(WPARAM, LPARAM) override { log.push_back("OnKeyDown"); }
    void OnKeyUp(WPARAM, LPARAM) override { log.push_back("OnKeyUp"); }
    bool OnInitDialog(HWND focus, LPARAM parameter) override
    {
        log.push_back(Format("OnInitDialog %s %ld", focus ? "focus" : "null",
                             static_cast<long>(parameter)));
        return initResult;
    }

    Log& log;
    LRESULT messageResult = 55;
    LRESULT notifyResult = 77;
    bool initResult = true;
};

HINSTANCE Module()
{
    return GetModuleHandleA(nullptr);
}

LONG_PTR UserData(HWND window)
{
    return GetWindowLongPtrA(window, GWLP_USERDATA);
}

LONG_PTR AsUserData(const void* object)
{
    return reinterpret_cast<LONG_PTR>(object);
}

// A window of the test template bound to nothing: its WM_INITDIALOG had a null record.
HWND UnboundWindow()
{
    return CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_TEST_PLAIN), nullptr, DialogProc, 0);
}

struct Route {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const char* call;
    INT_PTR result;
};

TEST(DialogProc, RoutesEachMessageToItsHandlerWithItsResult)
{
    const Route routes[] = {
        {WM_DESTROY, 0, 0, "OnDestroy", 0},
        {WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(40000, 65535), "OnSize 2 40000 65535", 0},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(32768, 1), "OnSize 0 32768 1", 0},
        {WM_NOTIFY, 7, 0x1234, "OnNotify 7 4660", 77},
        {WM_COMMAND, MAKEWPARAM(1001, 0x0300), 0x5678, "OnCommand 1001 768 22136", TRUE},
        {WM_COMMAND, 0, 0, "OnCommand 0 0 0", TRUE},
        {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, -7), "OnMouseMove -5 -7 1", 0},
        {WM_MOUSEMOVE, 0, MAKELPARAM(32767, 40), "OnMouseMove 32767 40 0", 0},
        {WM_LBUTTONDOWN, MK_SHIFT, MAKELPARAM(-32768, 32767), "OnButtonDown -32768 32767 4 0", 0},
        {WM_LBUTTONUP, 0, MAKELPARAM(10, -1), "OnButtonUp 10 -1 0 0", 0},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(-1, 2), "OnButtonDown -1 2 2 1", 0},
        {WM_RBUTTONUP, 0, MAKELPARAM(3, -300), "OnButtonUp 3 -300 0 1", 0},
        {WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(-20, -30), "OnButtonDown -20 -30 16 2", 0},
        {WM_MBUTTONUP, MK_CONTROL, MAKELPARAM(0, 0), "OnButtonUp 0 0 8 2", 0},
        {WM_INITDIALOG, 0, 0x42, "OnInitDialog null 66", TRUE},
        // Everything without a row of its own goes to OnMessage, with OnMessage's result.
        {WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4), "OnMessage 0x0203 1 262147", 55},
        {WM_RBUTTONDBLCLK, 0, MAKELPARAM(-1, -1), "OnMessage 0x0206 0 -1", 55},
        {WM_MBUTTONDBLCLK, 0, 0, "OnMessage 0x0209 0 0", 55},
        {WM_KEYDOWN, VK_ESCAPE, 0x00010001, "OnMessage 0x0100 27 65537", 55},
        {WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001),
         "OnMessage 0x0101 13 -1071906815", 55},
        {WM_CLOSE, 0, 0, "OnMessage 0x0010 0 0", 55},
        {WM_PAINT, 0, 0, "OnMessage 0x000F 0 0", 55},
        {WM_CHAR, 'a', 1, "OnMessage 0x0102 97 1", 55},
        {WM_TIMER, 9, 0, "OnMessage 0x0113 9 0", 55},
    };

    Log log;
    RecordingDialog* dialog = new RecordingDialog(log);
    HWND window = dialog->ShowModeless(IDD_TEST_PLAIN, nullptr, 0, Module());
    ASSERT_NE(window, nullptr);
    for (const Route& route : routes) {
        SCOPED_TRACE(route.call);
        log.clear();
        EXPECT_EQ(DialogProc(window, route.message, route.wParam, route.lParam), route.result);
        EXPECT_EQ(log, Log{route.call});
    }

    log.clear();
    dialog->initResult = false;
    EXPECT_EQ(DialogProc(window, WM_INITDIALOG, 0, 0), FALSE);
    dialog->notifyResult = -3;
    EXPECT_EQ(DialogProc(window, WM_NOTIFY, 0, 0), -3);
    dialog->messageResult = 0;
    EXPECT_EQ(DialogProc(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(log, (Log{"OnInitDialog null 0", "OnNotify 0 0", "OnMessage 0x000F 0 0"}));
    DestroyWindow(window);
}

TEST(DialogProc, BindsOnlyAtInitDialogWithARecordThatNamesAnObject)
{
    HWND window = UnboundWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(UserData(window), 0);

    // Unbound: every message is answered 0 and reaches nobody.
    EXPECT_EQ(DialogProc(window, WM_COMMAND, IDOK, 0), 0);
    EXPECT_EQ(DialogProc(window, WM_NOTIFY, 0, 0), 0);
    EXPECT_EQ(DialogProc(window, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(UserData(window), 0);

    HWND slot = reinterpret_cast<HWND>(0x5EED);
    CreationRecord empty{7, nullptr, &slot};
    EXPECT_EQ(DialogProc(window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&empty)), 0);
    EXPECT_EQ(slot, reinterpret_cast<HWND>(0x5EED));
    EXPECT_EQ(UserData(window), 0);

    Log log;
    {
        RecordingDialog dialog(log);
        HWND focus = GetDlgItem(window, IDC_TEST_EDIT);
        CreationRecord record{0x1234, &dialog, &dialog.handle};
        EXPECT_EQ(DialogProc(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus),
                             reinterpret_cast<LPARAM>(&record)),
                  TRUE);
        EXPECT_EQ(dialog.handle, window);
        EXPECT_EQ(UserData(window), AsUserData(&dialog));
        // The handler gets the caller's parameter, not the record.
        EXPECT_EQ(log, Log{Format("OnInitDialog %s 4660", focus ? "focus" : "null")});

        EXPECT_EQ(DialogProc(window, WM_COMMAND, IDOK, 0), TRUE);
        EXPECT_EQ(log.back(), "OnCommand 1 0 0");
    }
    // The destructor unbinds and leaves the window alone.
    EXPECT_EQ(log.back(), "destroyed");
    EXPECT_EQ(UserData(window), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(DialogProc(window, WM_COMMAND, IDOK, 0), 0);
    DestroyWindow(window);
}

TEST(Dialog, ShowModelessBindsAndTheObjectDeletesItselfWithItsWindow)
{
    Log log;
    RecordingDialog* dialog = new RecordingDialog(log);
    HWND window = dialog->ShowModeless(IDD_TEST_PLAIN, nullptr, 0x77, Module());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(dialog->handle, window);
    EXPECT_TRUE(dialog->autoDelete);
    EXPECT_FALSE(dialog->modal);
    EXPECT_EQ(dialog->templateId, static_cast<DWORD>(IDD_TEST_PLAIN));
    EXPECT_EQ(UserData(window), AsUserData(dialog));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().compare(0, 13, "OnInitDialog "), 0);
    EXPECT_EQ(log.front().substr(log.front().size() - 4), " 119");
    EXPECT_FALSE(IsWindowVisible(window));

    log.clear();
    DestroyWindow(window);
    EXPECT_FALSE(IsWindow(window));
    // WM_DESTROY, then WM_NCDESTROY to OnMessage, then the deletion.
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], "OnDestroy");
    EXPECT_EQ(log[log.size() - 2], "OnMessage 0x0082 0 0");
    EXPECT_EQ(log[log.size() - 1], "destroyed");
}

TEST(Dialog, ShowModelessWithAMissingTemplateReturnsNullAndStaysUnbound)
{
    Log log;
    RecordingDialog dialog(log);
    EXPECT_EQ(dialog.ShowModeless(IDD_TEST_MISSING, nullptr, 0, Module()), nullptr);
    EXPECT_EQ(dialog.handle, nullptr);
    EXPECT_FALSE(dialog.autoDelete);
    EXPECT_EQ(dialog.templateId, static_cast<DWORD>(IDD_TEST_MISSING));
    EXPECT_TRUE(log.empty());
}

// Ends itself from a command it posts to itself once shown, and notes what EndModal left.
class SelfEndingDialog : public RecordingDialog {
public:
    explicit SelfEndingDialog(Log& log) : RecordingDialog(log, IDD_TEST_PLAIN) {}

    bool OnInitDialog(HWND focus, LPARAM parameter) override
    {
        PostMessageA(handle, WM_COMMAND, 500, 0);
        return RecordingDialog::OnInitDialog(focus, parameter);
    }
    void OnCommand(WORD id, WORD code, LPARAM control) override
    {
        RecordingDialog::OnCommand(id, code, control);
        if (id != 500)
            return;
        window = handle;
        endResult = EndModal(42);
        handleAfter = handle;
        userDataAfter = UserData(window);
    }

    HWND window = nullptr;
    bool endResult = false;
    HWND handleAfter = reinterpret_cast<HWND>(1);
    LONG_PTR userDataAfter = -1;
};

TEST(Dialog, EndModalUnbindsBeforeTheWindowGoesSoOnDestroyIsNotCalled)
{
    Log log;
    SelfEndingDialog dialog(log);
    EXPECT_EQ(dialog.ShowModal(nullptr, 0x99, Module()), 42);
    EXPECT_TRUE(dialog.endResult);
    EXPECT_EQ(dialog.handleAfter, nullptr);
    EXPECT_EQ(dialog.userDataAfter, 0);
    EXPECT_EQ(dialog.handle, nullptr);
    EXPECT_FALSE(dialog.autoDelete);
    EXPECT_FALSE(IsWindow(dialog.window));
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front().substr(log.front().size() - 4), " 153");
    for (const std::string& entry : log) {
        EXPECT_NE(entry, "OnDestroy");
        EXPECT_EQ(entry.find("0x0082"), std::string::npos) << entry;
    }
    EXPECT_EQ(log.back(), "OnCommand 500 0 0");
}

TEST(Dialog, ShowModalAndEndModalRefuseAModelessDialog)
{
    Log log;
    RecordingDialog plain(log);
    EXPECT_EQ(plain.ShowModal(nullptr, 0, Module()), -1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(plain.handle, nullptr);

    RecordingDialog* shown = new RecordingDialog(log);
    HWND window = shown->ShowModeless(IDD_TEST_PLAIN, nullptr, 0, Module());
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    log.clear();
    EXPECT_FALSE(shown->EndModal(3));
    EXPECT_EQ(shown->handle, window);
    EXPECT_EQ(UserData(window), AsUserData(shown));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(log.empty());
    DestroyWindow(window);
}

TEST(WindowHandle, GetTextAndGetItem)
{
    Log log;
    RecordingDialog* dialog = new RecordingDialog(log);
    HWND window = dialog->ShowModeless(IDD_TEST_PLAIN, nullptr, 0, Module());
    ASSERT_NE(window, nullptr);

    dialog->messageResult = 0;  // the system answers WM_GETTEXT and the like
    const WindowHandle edit = dialog->GetItem(IDC_TEST_EDIT);
    EXPECT_EQ(edit.handle, GetDlgItem(window, IDC_TEST_EDIT));
    EXPECT_EQ(edit.GetText(), "");
    const std::string long_text = "C:\\" + std::string(300, 'q') + "\\end";
    const char* const texts[] = {"x", "C:\\Program Files\\Quillon", "  spaced  ",
                                 long_text.c_str()};
    for (const char* text : texts) {
        SetWindowTextA(edit.handle, text);
        EXPECT_EQ(edit.GetText(), text);
    }
    EXPECT_EQ(dialog->GetItem(IDC_TEST_LABEL).GetText(), "Label text");
    EXPECT_EQ(dialog->GetText(), "Framework test");

    const WindowHandle missing = dialog->GetItem(4242);
    EXPECT_EQ(missing.handle, nullptr);
    EXPECT_EQ(missing.GetText(), "");
    DestroyWindow(window);
}

}  // namespace
