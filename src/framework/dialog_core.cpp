#include "framework/dialog_core.h"

namespace tessaline {
namespace {

class ExchangeFlag {
  public:
    explicit ExchangeFlag(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~ExchangeFlag() { m_flag = m_previous; }
    ExchangeFlag(const ExchangeFlag&) = delete;
    ExchangeFlag& operator=(const ExchangeFlag&) = delete;

  private:
    bool& m_flag;
    bool m_previous;
};

}  // namespace

bool DialogCore::UpdateData(bool take) {
    ExchangeFlag flag(m_exchanging);
    DataExchange dx(Controls(), take ? ExchangeDirection::Take : ExchangeDirection::Refresh);
    DoDataExchange(dx);
    return dx.Succeeded();
}

bool DialogCore::InitControls(const std::uint8_t* initData, std::size_t initDataSize) {
    if (initData != nullptr) {
        const auto entries = ParseDialogInitData(initData, initDataSize);
        bool filled = entries.has_value();
        if (filled) {
            for (const InitDataEntry& entry : *entries) {
                if (!Controls().AddListString(entry.controlId, entry.text)) {
                    filled = false;
                    break;
                }
            }
        }
        if (!filled) {
            EndDialog(kEndInitFailed);
            return false;
        }
    }
    if (!UpdateData(false)) {
        EndDialog(kEndInitFailed);
        return false;
    }
    return true;
}

void DialogCore::OnOK() {
    if (UpdateData(true)) {
        EndDialog(kEndOk);
    }
}

void DialogCore::OnCancel() {
    EndDialog(kEndCancel);
}

}  // namespace tessaline
