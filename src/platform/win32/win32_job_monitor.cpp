#include "platform/win32/win32_job_monitor.h"

#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <vector>

namespace tessaline {
namespace {

// Closes the printer on every path.
class PrinterHandleGuard {
  public:
    explicit PrinterHandleGuard(HANDLE handle) : m_handle(handle) {}
    ~PrinterHandleGuard() { ::ClosePrinter(m_handle); }
    PrinterHandleGuard(const PrinterHandleGuard&) = delete;
    PrinterHandleGuard& operator=(const PrinterHandleGuard&) = delete;

  private:
    HANDLE m_handle;
};

}  // namespace

JobState JobStateFromWin32Status(std::uint32_t status) {
    if ((status & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE)) != 0) {
        return JobState::Completed;
    }
    if ((status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)) != 0) {
        return JobState::Cancelled;
    }
    if ((status & (JOB_STATUS_ERROR | JOB_STATUS_BLOCKED_DEVQ)) != 0) {
        return JobState::Aborted;
    }
    if ((status & JOB_STATUS_PRINTING) != 0) {
        return JobState::Printing;
    }
    // Paused, spooling, offline, out of paper, waiting for the user: it may still print.
    return JobState::Pending;
}

JobState Win32JobMonitor::State(const std::string& printer, std::uint32_t jobId) {
    HANDLE handle = nullptr;
    if (!::OpenPrinterA(const_cast<LPSTR>(printer.c_str()), &handle, nullptr)) {
        return JobState::Unknown;
    }
    PrinterHandleGuard guard(handle);
    DWORD needed = 0;
    ::GetJobA(handle, jobId, 1, nullptr, 0, &needed);
    if (needed < sizeof(JOB_INFO_1A)) {
        return JobState::Unknown;
    }
    std::vector<BYTE> buffer(needed);
    if (!::GetJobA(handle, jobId, 1, buffer.data(), needed, &needed)) {
        return JobState::Unknown;
    }
    JOB_INFO_1A info;
    std::memcpy(&info, buffer.data(), sizeof info);
    return JobStateFromWin32Status(info.Status);
}

}  // namespace tessaline
