#pragma once

#include "platform/ipp/ipp_link.h"

namespace tessaline {

// Links over libcups straight to printers by their ipp:// or ipps:// address, with no queue
// between: the device connection of libcups, upgraded to TLS when --encrypt asks.
class IppDeviceLinks final : public IppLinks {
  public:
    // ends, when not null, is told as each connection closes.
    explicit IppDeviceLinks(ConnectionEnds* ends = nullptr) : m_ends(ends) {}
    std::unique_ptr<IppLink> Connect(const std::string& uri, std::string* problem) override;

  private:
    ConnectionEnds* m_ends;
};

}  // namespace tessaline
