#pragma once

#include "classlib/dialog_win.h"
#include "ui/kestrimo_dlg.h"
#include "ui/resource.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Dialogs that run a test's script from inside their own modal loop, through
// the real dialog procedure. The script runs once the window is up; it ends
// the dialog itself, or leaves that to whatever it set going.

inline constexpr UINT kRunScript = WM_APP + 1;
inline constexpr UINT kFail = WM_APP + 2;
// Ends a scripted dialog with kAborted: a test's way out when what it waited for never came.
inline constexpr UINT kAbort = WM_APP + 3;
inline constexpr int kAborted = -2;

// The main window, with a script.
class ScriptedKestrimoDlg : public CKestrimoDlg {
public:
    std::function<void(ScriptedKestrimoDlg&)> m_script;

    HWND Window() const { return m_hWnd; }

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CKestrimoDlg::OnInitDialog();
        PostMessageW(m_hWnd, kRunScript, 0, 0);
        return result;
    }
    const MessageMap& GetMessageMap() const override
    {
        static const MessageEntry entries[] = {
            OnMessage<kRunScript, &ScriptedKestrimoDlg::OnRunScript>(),  // LRESULT OnRunScript(WPARAM, LPARAM)
            OnMessage<kAbort, &ScriptedKestrimoDlg::OnAbort>(),          // LRESULT OnAbort(WPARAM, LPARAM)
        };
        static const MessageMap map(&CKestrimoDlg::GetMessageMap(), entries);
        return map;
    }

private:
    LRESULT OnRunScript(WPARAM, LPARAM)
    {
        if (m_script) {
            m_script(*this);
        }
        return 0;
    }
    LRESULT OnAbort(WPARAM, LPARAM)
    {
        EndDialog(kAborted);
        return 0;
    }
};

// Posts kAbort to a scripted dialog unless it is cancelled in time.
class Watchdog {
public:
    Watchdog(HWND window, std::chrono::milliseconds timeout)
        : m_thread([this, window, timeout] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_done.wait_for(lock, timeout, [this] { return m_cancelled; })) {
                  PostMessageW(window, kAbort, 0, 0);
              }
          })
    {
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_cancelled = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_cancelled = false;
    std::thread m_thread;
};

// A plain dialog on the main window's template whose handlers fail on demand:
// kFail and WM_PAINT run `m_failure`, which throws.
class FailingDialog : public CDialog {
public:
    FailingDialog() : CDialog(IDD_MAIN_DIALOG) {}

    std::function<void(FailingDialog&)> m_script;
    std::function<void()> m_failure;
    int m_paintCalls = 0;
    int m_failCalls = 0;

    HWND Window() const { return m_hWnd; }

protected:
    BOOL OnInitDialog() override
    {
        PostMessageW(m_hWnd, kRunScript, 0, 0);
        return TRUE;
    }
    const MessageMap& GetMessageMap() const override
    {
        static const MessageEntry entries[] = {
            OnWmPaint<&FailingDialog::OnPaint>(),                   // void OnPaint()
            OnMessage<kRunScript, &FailingDialog::OnRunScript>(),  // LRESULT OnRunScript(WPARAM, LPARAM)
            OnMessage<kFail, &FailingDialog::OnFail>(),            // LRESULT OnFail(WPARAM, LPARAM)
        };
        static const MessageMap map(&CDialog::GetMessageMap(), entries);
        return map;
    }

private:
    void OnPaint()
    {
        ++m_paintCalls;
        if (m_failure) {
            m_failure();
        }
        CDialog::OnPaint();
    }
    LRESULT OnFail(WPARAM, LPARAM)
    {
        ++m_failCalls;
        m_failure();
        return 1;
    }
    LRESULT OnRunScript(WPARAM, LPARAM)
    {
        m_script(*this);
        return 0;
    }
};
