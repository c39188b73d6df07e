#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/data_exchange.h"

namespace tessaline {

// One control of a fake dialog: a text, and for drop-down lists their entries and selection.
struct FakeControl {
    std::string text;
    std::vector<std::string> entries;
    int selection = -1;
    std::uintptr_t handle = 0;
};

// The controls of a dialog without a window. Every call is logged in order, e.g.
//   "GetText(1000)", "SetText(1000,abc)", "GetSel(1006)", "SetSel(1006,4)",
//   "Add(1006,Portrait)", "Handle(1005)"
// A call on an id that was never added behaves like a missing control.
class FakeControls : public ControlAccess {
  public:
    std::map<int, FakeControl> controls;
    std::vector<std::string> calls;
    // Fault injection: the add with this 0-based count fails (-1: none).
    int failAddAt = -1;
    // Called after a control's text changed, as a real control then notifies its window.
    std::function<void(int id)> onTextChanged;

    FakeControl& Add(int id, std::uintptr_t handle = 0) {
        FakeControl& control = controls[id];
        control.handle = handle != 0 ? handle : 0x1000u + static_cast<std::uintptr_t>(id);
        return control;
    }

    std::string GetText(int id) override {
        calls.push_back("GetText(" + std::to_string(id) + ")");
        auto it = controls.find(id);
        return it == controls.end() ? std::string() : it->second.text;
    }

    void SetText(int id, const std::string& text) override {
        calls.push_back("SetText(" + std::to_string(id) + "," + text + ")");
        auto it = controls.find(id);
        if (it == controls.end()) {
            return;
        }
        it->second.text = text;
        if (onTextChanged) {
            onTextChanged(id);
        }
    }

    int GetListSelection(int id) override {
        calls.push_back("GetSel(" + std::to_string(id) + ")");
        auto it = controls.find(id);
        return it == controls.end() ? -1 : it->second.selection;
    }

    // CB_SETCURSEL: a position outside the list clears the selection.
    void SetListSelection(int id, int index) override {
        calls.push_back("SetSel(" + std::to_string(id) + "," + std::to_string(index) + ")");
        auto it = controls.find(id);
        if (it == controls.end()) {
            return;
        }
        const bool inList = index >= 0 && index < static_cast<int>(it->second.entries.size());
        it->second.selection = inList ? index : -1;
        it->second.text = inList ? it->second.entries[static_cast<std::size_t>(index)] : "";
    }

    bool AddListString(int id, const std::string& text) override {
        calls.push_back("Add(" + std::to_string(id) + "," + text + ")");
        const int attempt = m_adds++;
        auto it = controls.find(id);
        if (it == controls.end() || attempt == failAddAt) {
            return false;
        }
        it->second.entries.push_back(text);
        return true;
    }

    std::uintptr_t Handle(int id) override {
        calls.push_back("Handle(" + std::to_string(id) + ")");
        auto it = controls.find(id);
        return it == controls.end() ? 0 : it->second.handle;
    }

  private:
    int m_adds = 0;
};

}  // namespace tessaline
