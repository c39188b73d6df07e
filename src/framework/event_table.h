#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaline {

// The message numbers window-free code needs, with their Windows values.
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kBnClicked = 0x0000;
inline constexpr std::uint32_t kEnSetFocus = 0x0100;

struct Message {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// What a handler did with a message: handled, with the value the dialog procedure returns,
// or passed on to the default dialog handling.
struct Reply {
    bool handled;
    std::intptr_t result;

    static constexpr Reply Done(std::intptr_t value = 1) { return {true, value}; }
    static constexpr Reply PassOn() { return {false, 0}; }
};

// A command from a control carries the control's window in lParam; menus and accelerators
// carry none.
constexpr bool IsControlNotification(const Message& m) {
    return m.message == kWmCommand && m.lParam != 0;
}

// One row: WM_COMMAND rows match on notification code and control id; other rows give 0, 0 and
// match on the message alone.
template <class T>
struct Event {
    std::uint32_t message;
    std::uint32_t code;
    std::uint32_t id;
    Reply (T::*handler)(const Message&);

    constexpr bool Matches(const Message& m) const {
        if (m.message != message) {
            return false;
        }
        if (message != kWmCommand) {
            return true;
        }
        return code == ((m.wParam >> 16) & 0xFFFFu) && id == (m.wParam & 0xFFFFu);
    }
};

template <class T>
class EventTable {
  public:
    template <std::size_t N>
    constexpr explicit EventTable(const Event<T> (&rows)[N]) : m_rows(rows), m_count(N) {}

    // The first matching row, or null.
    constexpr const Event<T>* Find(const Message& m) const {
        for (std::size_t i = 0; i < m_count; ++i) {
            if (m_rows[i].Matches(m)) {
                return &m_rows[i];
            }
        }
        return nullptr;
    }

  private:
    const Event<T>* m_rows;
    std::size_t m_count;
};

// Runs the handler of the first matching row. A message without a row, and a control
// notification while the window's data exchange runs, go on to the default handling.
template <class T>
Reply Dispatch(T& target, const EventTable<T>& table, const Message& m,
               bool notificationsSuppressed) {
    if (notificationsSuppressed && IsControlNotification(m)) {
        return Reply::PassOn();
    }
    const Event<T>* row = table.Find(m);
    if (row == nullptr) {
        return Reply::PassOn();
    }
    return (target.*(row->handler))(m);
}

}  // namespace tessaline
