#include "cli/cli_report.h"

#include <cstdio>

namespace tessaline {

const char* StageName(RawJobStage stage) {
    switch (stage) {
        case RawJobStage::OpenFailed:
            return "OpenFailed";
        case RawJobStage::StartDocFailed:
            return "StartDocFailed";
        case RawJobStage::StartPageFailed:
            return "StartPageFailed";
        case RawJobStage::WriteFailed:
            return "WriteFailed";
        case RawJobStage::EndPageFailed:
            return "EndPageFailed";
        case RawJobStage::EndDocFailed:
            return "EndDocFailed";
        case RawJobStage::Completed:
            break;
    }
    return "Completed";
}

const char* JobStateName(JobState state) {
    switch (state) {
        case JobState::Pending:
            return "Pending";
        case JobState::Printing:
            return "Printing";
        case JobState::Completed:
            return "Completed";
        case JobState::Aborted:
            return "Aborted";
        case JobState::Cancelled:
            return "Cancelled";
        case JobState::Stopped:
            return "Stopped";
        case JobState::Unknown:
            break;
    }
    return "Unknown";
}

bool IsFinalJobState(JobState state) {
    return state != JobState::Pending && state != JobState::Printing;
}

int JobExitCode(const RawJobResult& result, std::uint32_t length) {
    switch (result.stage) {
        case RawJobStage::OpenFailed:
            return kExitPrinterNotOpened;
        case RawJobStage::Completed:
            return result.written == length ? kExitOk : kExitPartialWrite;
        default:
            return kExitStageRefused;
    }
}

int WaitExitCode(JobState state) {
    return state == JobState::Completed ? kExitOk : kExitWaitFailed;
}

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            json += c;
        } else {
            // Names are single-byte text in the system's code page, not UTF-8: each byte is
            // kept as the code point of the same number, so nothing is lost or invalid.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        }
    }
    json += '"';
    return json;
}

std::string JobReportJson(const JobReport& report) {
    std::string json = "{\"printer\":" + JsonString(report.printer);
    if (report.form) {
        json += ",\"form\":" + std::to_string(*report.form);
    }
    json += ",\"stage\":" + JsonString(report.stage);
    json += ",\"size\":" + (report.size ? std::to_string(*report.size) : std::string("null"));
    json += ",\"written\":" + std::to_string(report.written);
    json += ",\"datatype\":" +
            (report.datatype != nullptr ? JsonString(report.datatype) : std::string("null"));
    json += ",\"job\":" + (report.jobId != 0 ? std::to_string(report.jobId) : std::string("null"));
    if (report.waited) {
        json += ",\"state\":" +
                (report.state ? JsonString(JobStateName(*report.state)) : std::string("null"));
    }
    json += "}";
    return json;
}

std::string StageWords(const RawJobResult& result, std::uint32_t length) {
    switch (result.stage) {
        case RawJobStage::OpenFailed:
            return "the printer could not be opened";
        case RawJobStage::StartDocFailed:
            return "the spooler refused to start the document";
        case RawJobStage::StartPageFailed:
            return "the spooler refused to start the page";
        case RawJobStage::WriteFailed:
            return "the write failed";
        case RawJobStage::EndPageFailed:
            return "the spooler failed to end the page";
        case RawJobStage::EndDocFailed:
            return "the spooler failed to end the document";
        case RawJobStage::Completed:
            break;
    }
    if (result.written == length) {
        return "complete";
    }
    return "only " + std::to_string(result.written) + " of " + std::to_string(length) +
           " bytes were written";
}

}  // namespace tessaline
