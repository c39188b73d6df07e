#include "cli/cli_report.h"

#include <cstdio>

#include "jobs/job_stages.h"

namespace tessaline {

const char* StageName(RawJobStage stage) {
    return JobStage(stage).name;
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
    if (report.sha256Given) {
        json += ",\"sha256\":" + (report.sha256 ? JsonString(*report.sha256) : std::string("null"));
    }
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
    if (result.stage == RawJobStage::Completed && result.written != length) {
        return "only " + std::to_string(result.written) + " of " + std::to_string(length) +
               " bytes were written";
    }
    return JobStage(result.stage).words;
}

}  // namespace tessaline
