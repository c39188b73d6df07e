#pragma once

#include <string>

#include <cups/cups.h>

namespace tessaline {

// libcups' words for the last failed call on this thread: the server's status message, else the
// status code's name.
inline std::string LastCupsError() {
    const char* text = cupsLastErrorString();
    return text != nullptr && text[0] != '\0' ? text : ippErrorString(cupsLastError());
}

// cupsLastError() as the failure it stands for: a call that failed with no IPP status of its
// own (a connection lost) is an internal error, never a success.
inline ipp_status_t LastCupsFailure() {
    const ipp_status_t status = cupsLastError();
    return status > IPP_STATUS_OK_CONFLICTING ? status : IPP_STATUS_ERROR_INTERNAL;
}

}  // namespace tessaline
