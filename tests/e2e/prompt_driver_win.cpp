// The Windows-side hand of the end-to-end tests: it runs in the same Wine prefix
// as the program under test, looks at its windows and works them as a user would.
//
// It reads one command a line from standard input (UTF-8, fields separated by TAB)
// and answers each with zero or more item lines and one closing line, "ok" or
// "error", fields again separated by TAB. Texts in answers escape backslash, TAB,
// CR and LF as \\, \t, \r and \n. Window handles are written in hexadecimal.
//
//   windows                   window HWND PID OWNER ENABLED CLASS CAPTION   (visible top-level windows)
//   controls HWND             control HWND ID CLASS VISIBLE LEFT TOP RIGHT BOTTOM TEXT
//                             (every descendant; the rectangle relative to the window's top-left corner)
//   x11 HWND                  ok XID   (the X11 window that shows it)
//   set-text HWND ID TEXT     sets the text of the descendant control with that id
//   press HWND BUTTON         clicks the descendant button whose text, without '&', is BUTTON
//   key HWND KEY [MODIFIER]   brings HWND to the front and types KEY (F1, Escape, Return)
//                             with the modifiers (Ctrl, Shift, Alt) held, as real key input
//   exists HWND               ok 1 or ok 0

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// How long a question to another process's window may go unanswered.
constexpr UINT kReplyTimeoutMs = 5000;

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty()) {
        return {};
    }
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::string Escaped(const std::wstring& text)
{
    std::string result;
    for (const char c : ToUtf8(text)) {
        switch (c) {
        case '\\': result += "\\\\"; break;
        case '\t': result += "\\t"; break;
        case '\r': result += "\\r"; break;
        case '\n': result += "\\n"; break;
        default: result += c;
        }
    }
    return result;
}

std::string Hex(const void* handle)
{
    char text[2 + 2 * sizeof(handle) + 1];
    std::snprintf(text, sizeof(text), "0x%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

HWND ParseWindow(const std::string& text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoul(text, nullptr, 0)));
}

// The failure of one command, told in its "error" line.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Win32Failure(const char* what, DWORD code)
{
    return std::string(what) + " failed with error " + std::to_string(code);
}

// Another process's window answers WM_GETTEXT itself; GetWindowTextW would only
// give the caption that the system keeps for it.
std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &length)) {
        const DWORD error = GetLastError();
        throw CommandError(Win32Failure("WM_GETTEXTLENGTH", error));
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kReplyTimeoutMs, &copied)) {
        const DWORD error = GetLastError();
        throw CommandError(Win32Failure("WM_GETTEXT", error));
    }
    text.resize(copied);
    return text;
}

// The caption that the system keeps for a top-level window; asks nothing of its process.
std::wstring CaptionOf(HWND window)
{
    std::wstring caption(64, L'\0');
    while (true) {
        const int length = GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()));
        if (static_cast<std::size_t>(length) + 1 < caption.size()) {
            caption.resize(static_cast<std::size_t>(length));
            return caption;
        }
        caption.resize(caption.size() * 2);
    }
}

std::wstring ClassOf(HWND window)
{
    // 256 characters is the longest class name that the system registers.
    wchar_t name[257];
    const int length = GetClassNameW(window, name, 257);
    return std::wstring(name, static_cast<std::size_t>(length));
}

// Window enumeration reports through these callbacks; a failure inside one is
// carried out and rethrown once the system has returned.
struct Collected {
    std::vector<HWND> windows;
    std::string failure;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) noexcept
{
    auto& collected = *reinterpret_cast<Collected*>(param);
    try {
        collected.windows.push_back(window);
        return TRUE;
    } catch (const std::exception& failure) {
        collected.failure = failure.what();
        return FALSE;
    }
}

std::vector<HWND> TopLevelWindows()
{
    Collected collected;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&collected));
    if (!collected.failure.empty()) {
        throw CommandError(collected.failure);
    }
    return collected.windows;
}

std::vector<HWND> Descendants(HWND window)
{
    Collected collected;
    EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&collected));
    if (!collected.failure.empty()) {
        throw CommandError(collected.failure);
    }
    return collected.windows;
}

HWND ExistingWindow(const std::string& text)
{
    const HWND window = ParseWindow(text);
    if (!IsWindow(window)) {
        throw CommandError("no window " + text);
    }
    return window;
}

std::wstring WithoutMnemonic(const std::wstring& text)
{
    std::wstring result;
    for (const wchar_t c : text) {
        if (c != L'&') {
            result += c;
        }
    }
    return result;
}

void ListWindows(std::ostream& out)
{
    for (const HWND window : TopLevelWindows()) {
        if (!IsWindowVisible(window)) {
            continue;
        }
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        out << "window\t" << Hex(window) << '\t' << processId << '\t' << Hex(GetWindow(window, GW_OWNER)) << '\t'
            << (IsWindowEnabled(window) ? 1 : 0) << '\t' << Escaped(ClassOf(window)) << '\t'
            << Escaped(CaptionOf(window)) << '\n';
    }
}

void ListControls(std::ostream& out, HWND window)
{
    RECT frame;
    GetWindowRect(window, &frame);
    for (const HWND control : Descendants(window)) {
        RECT place;
        GetWindowRect(control, &place);
        out << "control\t" << Hex(control) << '\t' << GetDlgCtrlID(control) << '\t' << Escaped(ClassOf(control))
            << '\t' << (IsWindowVisible(control) ? 1 : 0) << '\t' << place.left - frame.left << '\t'
            << place.top - frame.top << '\t' << place.right - frame.left << '\t' << place.bottom - frame.top << '\t'
            << Escaped(TextOf(control)) << '\n';
    }
}

HWND ControlWithId(HWND window, int id)
{
    for (const HWND control : Descendants(window)) {
        if (GetDlgCtrlID(control) == id && IsWindowVisible(control)) {
            return control;
        }
    }
    throw CommandError("no visible control with id " + std::to_string(id));
}

void SetText(HWND window, int id, const std::wstring& text)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(ControlWithId(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kReplyTimeoutMs, &result)) {
        const DWORD error = GetLastError();
        throw CommandError(Win32Failure("WM_SETTEXT", error));
    }
}

// Posted, so that the driver never waits for what the click sets off (a
// dialog closing, the next prompt opening).
void Press(HWND window, const std::wstring& buttonText)
{
    for (const HWND control : Descendants(window)) {
        if (ClassOf(control) == L"Button" && IsWindowVisible(control) &&
            WithoutMnemonic(TextOf(control)) == buttonText) {
            if (!PostMessageW(control, BM_CLICK, 0, 0)) {
                const DWORD error = GetLastError();
                throw CommandError(Win32Failure("PostMessageW", error));
            }
            return;
        }
    }
    throw CommandError("no visible button " + ToUtf8(buttonText));
}

WORD VirtualKey(const std::string& name)
{
    if (name == "F1") return VK_F1;
    if (name == "Escape") return VK_ESCAPE;
    if (name == "Return") return VK_RETURN;
    if (name == "Ctrl") return VK_CONTROL;
    if (name == "Shift") return VK_SHIFT;
    if (name == "Alt") return VK_MENU;
    throw CommandError("unknown key " + name);
}

INPUT KeyInput(WORD key, bool release)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Key input goes to the foreground window, so the target is brought there first.
void TypeKey(HWND window, const std::vector<std::string>& keyAndModifiers)
{
    if (!SetForegroundWindow(window)) {
        const DWORD error = GetLastError();
        throw CommandError(Win32Failure("SetForegroundWindow", error));
    }
    std::vector<INPUT> inputs;
    for (auto name = keyAndModifiers.rbegin(); name != keyAndModifiers.rend(); ++name) {
        inputs.push_back(KeyInput(VirtualKey(*name), false));
    }
    for (const std::string& name : keyAndModifiers) {
        inputs.push_back(KeyInput(VirtualKey(name), true));
    }
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) {
        const DWORD error = GetLastError();
        throw CommandError(Win32Failure("SendInput", error));
    }
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    while (true) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

void Require(const std::vector<std::string>& fields, std::size_t count)
{
    if (fields.size() < count) {
        throw CommandError(fields[0] + " needs " + std::to_string(count - 1) + " arguments");
    }
}

void Run(const std::vector<std::string>& fields, std::ostream& out)
{
    const std::string& command = fields[0];
    if (command == "windows") {
        ListWindows(out);
        out << "ok\n";
    } else if (command == "controls") {
        Require(fields, 2);
        ListControls(out, ExistingWindow(fields[1]));
        out << "ok\n";
    } else if (command == "x11") {
        Require(fields, 2);
        // Wine's X11 driver records, on each window it shows, the X11 window that shows it.
        const HANDLE xWindow = GetPropW(ExistingWindow(fields[1]), L"__wine_x11_whole_window");
        if (!xWindow) {
            throw CommandError("the window has no X11 window");
        }
        out << "ok\t" << Hex(xWindow) << '\n';
    } else if (command == "set-text") {
        Require(fields, 4);
        SetText(ExistingWindow(fields[1]), std::stoi(fields[2]), FromUtf8(fields[3]));
        out << "ok\n";
    } else if (command == "press") {
        Require(fields, 3);
        Press(ExistingWindow(fields[1]), FromUtf8(fields[2]));
        out << "ok\n";
    } else if (command == "key") {
        Require(fields, 3);
        TypeKey(ExistingWindow(fields[1]), std::vector<std::string>(fields.begin() + 2, fields.end()));
        out << "ok\n";
    } else if (command == "exists") {
        Require(fields, 2);
        out << "ok\t" << (IsWindow(ParseWindow(fields[1])) ? 1 : 0) << '\n';
    } else {
        throw CommandError("unknown command " + command);
    }
}

}  // namespace

int main()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::string answer;
        try {
            std::ostringstream out;
            Run(Fields(line), out);
            answer = out.str();
        } catch (const std::exception& failure) {
            answer = "error\t" + Escaped(FromUtf8(failure.what())) + '\n';
        }
        std::cout << answer << std::flush;
    }
    return 0;
}
