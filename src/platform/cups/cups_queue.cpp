#include "platform/cups/cups_queue.h"

namespace tessaline {

std::string QueueUri(const std::string& queue) {
    char uri[HTTP_MAX_URI];
    if (httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/printers/%s", queue.c_str()) != HTTP_URI_STATUS_OK) {
        return std::string();
    }
    return uri;
}

bool QueueExists(http_t* http, const std::string& queue) {
    const std::string uri = QueueUri(queue);
    if (queue.empty() || uri.empty()) {
        return false;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    // cupsDoRequest frees the request; the response is ours.
    ipp_t* response = cupsDoRequest(http, request, "/");
    const bool found =
        response != nullptr && ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING;
    ippDelete(response);
    return found;
}

}  // namespace tessaline
