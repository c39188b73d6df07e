#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

// The controls of one dialog, addressed by id. Implemented over a real window on Windows and
// by a fake in tests. Calls never throw.
class ControlAccess {
  public:
    virtual ~ControlAccess() = default;

    // The control's whole text; empty for a missing control.
    virtual std::string GetText(int id) = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    // CB_GETCURSEL: the selected position, or -1 with none selected.
    virtual int GetListSelection(int id) = 0;
    // CB_SETCURSEL: -1 or a position outside the list leaves no entry selected.
    virtual void SetListSelection(int id, int index) = 0;
    // CB_ADDSTRING; false when the list refused the entry or the control is missing.
    virtual bool AddListString(int id, const std::string& text) = 0;
    // The control's native handle, 0 when the dialog has no such control.
    virtual std::uintptr_t Handle(int id) = 0;
};

// A member that stands for a control of the dialog, bound once by the data exchange.
class ControlObject {
  public:
    bool IsAttached() const { return m_handle != 0; }
    std::uintptr_t NativeHandle() const { return m_handle; }
    void Attach(std::uintptr_t handle) { m_handle = handle; }

  private:
    std::uintptr_t m_handle = 0;
};

enum class ExchangeDirection {
    Refresh,  // members into controls
    Take,     // controls into members
};

// One run of a window's DoDataExchange.
class DataExchange {
  public:
    DataExchange(ControlAccess& controls, ExchangeDirection direction)
        : m_controls(controls), m_direction(direction) {}

    ExchangeDirection Direction() const { return m_direction; }
    // False once a binding could not be made or a value was rejected.
    bool Succeeded() const { return m_succeeded; }
    // For a window's own check of a value it takes: the whole exchange then fails.
    void Fail() { m_succeeded = false; }

    // Refresh sets the text only when it differs; take copies the whole text unchanged.
    void Text(int id, std::string& member);
    // Refresh selects the member's position; take stores the selection or -1.
    void ListIndex(int id, std::int32_t& member);
    // Refresh attaches the object to the control the first time; nothing afterwards, and
    // nothing on take.
    void Control(int id, ControlObject& object);

  private:
    ControlAccess& m_controls;
    ExchangeDirection m_direction;
    bool m_succeeded = true;
};

}  // namespace tessaline
