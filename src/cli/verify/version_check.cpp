#include "cli/verify/version_check.h"

#include "base/firmware_components.h"

namespace tessaline {

VersionCheck CheckVersion(const PrinterAnswer& answer, const std::string& expected,
                          const std::optional<std::string>& component) {
    VersionCheck check;
    if (!answer.facts) {
        check.message = answer.problem;
        return check;
    }
    const FirmwareComponents paired = PairFirmware(answer.facts->firmware);
    const ComponentChoice choice = ChooseComponent(paired.components, component);
    if (!choice.index) {
        check.message = choice.problem;
        return check;
    }
    const FirmwareComponent& chosen = paired.components[*choice.index];
    check.component = chosen.name;
    check.version = chosen.version;
    if (!chosen.version) {
        check.message = "the printer gives no version for " + chosen.name;
        return check;
    }
    check.verdict =
        *chosen.version == expected ? BeforeUpgrade::AlreadyCurrent : BeforeUpgrade::Send;
    return check;
}

}  // namespace tessaline
