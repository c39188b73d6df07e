#include "framework/data_exchange.h"

namespace tessaline {

void DataExchange::Text(int id, std::string& member) {
    if (m_direction == ExchangeDirection::Take) {
        member = m_controls.GetText(id);
        return;
    }
    // Setting an unchanged text would still redraw and move the caret.
    if (m_controls.GetText(id) != member) {
        m_controls.SetText(id, member);
    }
}

void DataExchange::ListIndex(int id, std::int32_t& member) {
    if (m_direction == ExchangeDirection::Take) {
        member = m_controls.GetListSelection(id);
        return;
    }
    m_controls.SetListSelection(id, member);
}

void DataExchange::Control(int id, ControlObject& object) {
    if (m_direction == ExchangeDirection::Take || object.IsAttached()) {
        return;
    }
    const std::uintptr_t handle = m_controls.Handle(id);
    if (handle == 0) {
        m_succeeded = false;
        return;
    }
    object.Attach(handle);
}

}  // namespace tessaline
