#pragma once

#include <optional>
#include <string>

#include "platform/printer_facts.h"

namespace tessaline {

// What an upgrade with an expected version does with a printer, asked before any byte goes out.
enum class BeforeUpgrade {
    Send,            // it can be asked and runs another version
    AlreadyCurrent,  // it already runs the expected version: it is not sent the file
    NotVerifiable,   // it cannot be asked, or has no such component: it is not sent the file
};

struct VersionCheck {
    BeforeUpgrade verdict = BeforeUpgrade::NotVerifiable;
    std::optional<std::string> component;  // the component's name as the printer gives it
    std::optional<std::string> version;    // the version it runs
    std::string message;                   // why it cannot be verified; empty otherwise
};

// The check of one printer's answer: the component named by `component` (or the only one), and
// whether it runs `expected` (compared whole, as the printer writes it).
VersionCheck CheckVersion(const PrinterAnswer& answer, const std::string& expected,
                          const std::optional<std::string>& component);

}  // namespace tessaline
