#pragma once

#include <windows.h>

#include <cstddef>

// Message maps: each class that handles messages lists them in a table of its
// own, which names its base class's table. Dispatch walks the tables from the
// most derived class to the root and runs the first entry that matches.
//
//     const MessageMap& CMyDialog::GetMessageMap() const
//     {
//         static const MessageEntry entries[] = {
//             OnWmPaint<&CMyDialog::OnPaint>(),              // void OnPaint()
//             OnCommand<IDOK, &CMyDialog::OnOK>(),           // void OnOK()
//         };
//         static const MessageMap map(&CDialog::GetMessageMap(), entries);
//         return map;
//     }
//
// Each entry builder below cracks one message: it turns WPARAM and LPARAM into
// the handler's arguments and its result into the LRESULT.

class CCmdTarget;

struct MessageEntry {
    UINT message;
    UINT commandId;  // WM_COMMAND only: the command identifier
    LRESULT (*call)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
};

class MessageMap {
public:
    template <std::size_t Count>
    MessageMap(const MessageMap* base, const MessageEntry (&entries)[Count]) noexcept
        : m_base(base), m_entries(entries), m_count(Count)
    {
    }
    explicit MessageMap(const MessageMap* base) noexcept : m_base(base) {}

    // The entry for the message (for WM_COMMAND: for its command), looked up in
    // this table and then in the base tables; null when none handles it.
    const MessageEntry* Find(UINT message, WPARAM wParam) const noexcept;

private:
    const MessageMap* m_base;
    const MessageEntry* m_entries = nullptr;
    std::size_t m_count = 0;
};

// What handles messages: a window or the application.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler that the message map has for the message. False when the
    // map has none; `result` is then untouched.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = default;
    CCmdTarget& operator=(const CCmdTarget&) = default;

    virtual const MessageMap& GetMessageMap() const = 0;
};

namespace message_map_detail {

template <class Method>
struct ClassOf;
template <class Class, class Result, class... Arguments>
struct ClassOf<Result (Class::*)(Arguments...)> {
    using Type = Class;
};

template <auto Handler>
typename ClassOf<decltype(Handler)>::Type& Target(CCmdTarget& target)
{
    return static_cast<typename ClassOf<decltype(Handler)>::Type&>(target);
}

}  // namespace message_map_detail

// void OnPaint()
template <auto Handler>
constexpr MessageEntry OnWmPaint() noexcept
{
    return {WM_PAINT, 0, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT {
                (message_map_detail::Target<Handler>(target).*Handler)();
                return 0;
            }};
}

// void OnDropFiles(HDROP drop)
template <auto Handler>
constexpr MessageEntry OnWmDropFiles() noexcept
{
    return {WM_DROPFILES, 0, [](CCmdTarget& target, WPARAM wParam, LPARAM) -> LRESULT {
                (message_map_detail::Target<Handler>(target).*Handler)(reinterpret_cast<HDROP>(wParam));
                return 0;
            }};
}

// HCURSOR OnQueryDragIcon()
template <auto Handler>
constexpr MessageEntry OnWmQueryDragIcon() noexcept
{
    return {WM_QUERYDRAGICON, 0, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT {
                return reinterpret_cast<LRESULT>((message_map_detail::Target<Handler>(target).*Handler)());
            }};
}

// BOOL OnQueryEndSession()
template <auto Handler>
constexpr MessageEntry OnWmQueryEndSession() noexcept
{
    return {WM_QUERYENDSESSION, 0, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT {
                return (message_map_detail::Target<Handler>(target).*Handler)();
            }};
}

// void OnCommandName(), for WM_COMMAND with the identifier `Id`
template <UINT Id, auto Handler>
constexpr MessageEntry OnCommand() noexcept
{
    return {WM_COMMAND, Id, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT {
                (message_map_detail::Target<Handler>(target).*Handler)();
                return 0;
            }};
}

// LRESULT OnMessageName(WPARAM wParam, LPARAM lParam), for any message `Message`
template <UINT Message, auto Handler>
constexpr MessageEntry OnMessage() noexcept
{
    return {Message, 0, [](CCmdTarget& target, WPARAM wParam, LPARAM lParam) -> LRESULT {
                return (message_map_detail::Target<Handler>(target).*Handler)(wParam, lParam);
            }};
}
