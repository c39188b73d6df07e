#include "platform/cups/cups_queue.h"

namespace tessaline {

std::string DestinationName(const cups_dest_t& dest) {
    std::string name = dest.name;
    if (dest.instance != nullptr) {
        name += '/';
        name += dest.instance;
    }
    return name;
}

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

int CreateJob(http_t* http, const std::string& queue, const std::string& title) {
    const std::string uri = QueueUri(queue);
    if (queue.empty() || uri.empty()) {
        return 0;
    }
    ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.c_str());
    const std::string resource = "/printers/" + queue;
    ipp_t* response = cupsDoRequest(http, request, resource.c_str());
    int jobId = 0;
    if (response != nullptr && ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING) {
        ipp_attribute_t* attr = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER);
        jobId = attr != nullptr ? ippGetInteger(attr, 0) : 0;
    }
    ippDelete(response);
    return jobId > 0 ? jobId : 0;
}

}  // namespace tessaline
