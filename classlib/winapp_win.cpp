#include "winapp_win.h"

#include "dialog_win.h"
#include "wide_win.h"

#include <shlwapi.h>

#include <string_view>
#include <vector>

namespace {

constexpr UINT kAppTitleString = 0xE000;
constexpr std::u16string_view kRestartSwitch = u"/RestartByRestartManager";

CString ModulePath(HMODULE module)
{
    // The path has no fixed limit: grow the buffer until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            return FromWide(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

CString PathWithoutExtension(const CString& path)
{
    const wchar_t* start = WideText(path);
    return FromWide(start, static_cast<std::size_t>(PathFindExtensionW(start) - start));
}

// String resource `id` of `module`, read in place; empty when there is none.
CString LoadResourceString(HINSTANCE module, UINT id)
{
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? FromWide(text, static_cast<std::size_t>(length)) : CString();
}

CString LanguageAbbreviation(LANGID language)
{
    const LCID locale = MAKELCID(language, SORT_DEFAULT);
    const int size = GetLocaleInfoW(locale, LOCALE_SABBREVLANGNAME, nullptr, 0);
    if (size <= 1) {
        return CString();
    }
    std::vector<wchar_t> name(static_cast<std::size_t>(size));
    GetLocaleInfoW(locale, LOCALE_SABBREVLANGNAME, name.data(), size);
    return FromWide(name.data());
}

CString NewGuidText()
{
    GUID guid;
    if (FAILED(CoCreateGuid(&guid))) {
        return CString();
    }
    wchar_t braced[39];  // "{" + 36 characters + "}" + NUL, the size the call demands
    StringFromGUID2(guid, braced, 39);
    return FromWide(braced + 1, 36);
}

using RegisterApplicationRestartFunction = HRESULT(WINAPI*)(PCWSTR commandLine, DWORD flags);

}  // namespace

ApplicationNames DeriveApplicationNames(const CString& modulePath)
{
    const CString withoutExtension = PathWithoutExtension(modulePath);
    return {FromWide(PathFindFileNameW(WideText(withoutExtension))), withoutExtension + u".HLP"};
}

CString RestartCommandLine(const CString& arguments, const CString& identifier)
{
    const std::u16string_view text(arguments.GetString(), arguments.GetLength());
    if (text.find(kRestartSwitch) != std::u16string_view::npos) {
        return arguments;
    }
    return arguments + u" " + CString(kRestartSwitch.data(), kRestartSwitch.size()) + u":" + identifier;
}

LibraryModule LoadLanguageResourceLibrary(const CString& pathWithoutExtension)
{
    const CString candidates[] = {
        LanguageAbbreviation(GetUserDefaultUILanguage()),
        LanguageAbbreviation(GetSystemDefaultUILanguage()),
        u"LOC",
    };
    for (const CString& abbreviation : candidates) {
        if (abbreviation.IsEmpty()) {
            continue;
        }
        const CString path = pathWithoutExtension + abbreviation + u".dll";
        LibraryModule library(LoadLibraryExW(WideText(path), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (library.IsLoaded()) {
            return library;
        }
    }
    return LibraryModule();
}

UINT WithDefaultIcon(UINT type) noexcept
{
    if ((type & MB_ICONMASK) != 0) {
        return type;
    }
    switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
        return type | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return type | MB_ICONQUESTION;
    default:
        return type;
    }
}

int AppMessageBox(const CString& text, UINT type)
{
    if (CWinApp* app = CWinApp::Current()) {
        return app->DoMessageBox(text, type);
    }
    return MessageBoxW(nullptr, WideText(text), nullptr, WithDefaultIcon(type));
}

CWinApp* CWinApp::s_current = nullptr;

CWinApp::CWinApp() noexcept : m_hInstance(GetModuleHandleW(nullptr))
{
    s_current = this;
}

CWinApp::~CWinApp()
{
    if (s_current == this) {
        s_current = nullptr;
    }
}

void CWinApp::InitApplication(HINSTANCE instance, const wchar_t* arguments)
{
    m_hInstance = instance;
    m_strCmdLine = FromWide(arguments ? arguments : L"");
    ApplicationNames names = DeriveApplicationNames(ModulePath(instance));
    m_strExeName = std::move(names.exeName);
    m_strHelpFilePath = std::move(names.helpPath);
    m_strAppName = LoadResourceString(instance, kAppTitleString);
    if (m_strAppName.IsEmpty()) {
        m_strAppName = m_strExeName;
    }
}

BOOL CWinApp::InitInstance()
{
    m_languageResources = LoadLanguageResourceLibrary(PathWithoutExtension(ModulePath(m_hInstance)));
    if (m_dwRestartManagerSupportFlags & kRestartRegister) {
        RegisterForRestart();
    }
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

void CWinApp::RegisterForRestart()
{
    m_strRestartIdentifier = NewGuidText();
    m_strRestartCommandLine = RestartCommandLine(m_strCmdLine, m_strRestartIdentifier);
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "RegisterApplicationRestart");
    if (found) {
        // Through void (*)(): the one pointer type that converts to any function type.
        const auto registerRestart =
            reinterpret_cast<RegisterApplicationRestartFunction>(reinterpret_cast<void (*)()>(found));
        registerRestart(WideText(m_strRestartCommandLine), 0);
    }
}

void CWinApp::SetRegistryKey(const CString& key)
{
    // Only remembered: nothing reads or writes settings, so no key is created.
    m_strRegistryKey = key;
}

HINSTANCE CWinApp::GetResourceHandle() const noexcept
{
    return m_languageResources.IsLoaded() ? static_cast<HINSTANCE>(m_languageResources.Get()) : m_hInstance;
}

int CWinApp::DoMessageBox(const CString& text, UINT type)
{
    const HWND mainWindow = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
    const HWND owner = mainWindow ? GetLastActivePopup(mainWindow) : nullptr;
    // The box disables its owner itself; the main window must wait as well.
    const bool disableMainWindow = owner != mainWindow && IsWindowEnabled(mainWindow);
    if (disableMainWindow) {
        EnableWindow(mainWindow, FALSE);
    }
    const int pressed = ShowMessageBox(owner, text, m_strAppName, WithDefaultIcon(type));
    if (disableMainWindow) {
        EnableWindow(mainWindow, TRUE);
    }
    return pressed;
}

int CWinApp::ShowMessageBox(HWND owner, const CString& text, const CString& caption, UINT type)
{
    return MessageBoxW(owner, WideText(text), WideText(caption), type);
}

bool CWinApp::LaunchWinHelp(HWND window, const CString& helpPath, UINT command, ULONG_PTR data)
{
    return WinHelpW(window, WideText(helpPath), command, data) != FALSE;
}

LRESULT CWinApp::ProcessWndProcException(const CException& failure, HWND window, UINT message)
{
    if (message == WM_PAINT) {
        // No box: it would be painted over and over. The failed painting is not retried.
        ValidateRect(window, nullptr);
        return 0;
    }
    if (dynamic_cast<const CMemoryException*>(&failure)) {
        DoMessageBox(failure.GetErrorMessage(), MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
        return 0;
    }
    const CString text = failure.GetErrorMessage();
    DoMessageBox(text.IsEmpty() ? CString(u"Internal application error.") : text, MB_OK | MB_ICONSTOP);
    return 0;
}

void CWinApp::OnHelp()
{
    const HWND mainWindow = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
    const DWORD context = kHelpContextBase + (m_pMainWnd ? m_pMainWnd->GetTemplateId() : 0);
    if (!LaunchWinHelp(mainWindow, m_strHelpFilePath, HELP_CONTEXT, context)) {
        DoMessageBox(u"Failed to launch help.", MB_OK);
    }
}

const MessageMap& CWinApp::GetMessageMap() const
{
    static const MessageMap map(nullptr);
    return map;
}
