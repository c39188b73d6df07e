#include "cli/cli_report.h"

#include <cstdio>

#include "jobs/job_stages.h"
#include "base/printer_address.h"

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
    const auto orNull = [](bool present, const std::string& json) {
        return present ? json : std::string("null");
    };
    std::string json = "{\"printer\":" + JsonString(report.printer);
    const bool addressed = IsPrinterAddress(report.printer);
    json += ",\"uri\":" + orNull(addressed, addressed ? JsonString(report.printer) : "");
    if (report.form) {
        json += ",\"form\":" + std::to_string(*report.form);
    }
    json += ",\"stage\":" + JsonString(report.stage);
    json += ",\"size\":" + orNull(report.size.has_value(), std::to_string(report.size.value_or(0)));
    if (report.sha256Given) {
        json += ",\"sha256\":" + orNull(report.sha256.has_value(),
                                        JsonString(report.sha256.value_or(std::string())));
    }
    json += ",\"written\":" + std::to_string(report.written);
    json += ",\"datatype\":" +
            orNull(report.datatype != nullptr, JsonString(report.datatype ? report.datatype : ""));
    json += ",\"job\":" + orNull(report.jobId != 0, std::to_string(report.jobId));
    std::string state = "null";
    std::string reasons = "null";
    if (report.status) {
        state = JsonString(JobStateName(report.status->state));
        reasons = "[";
        for (std::size_t i = 0; i < report.status->reasons.size(); ++i) {
            reasons += (i == 0 ? "" : ",") + JsonString(report.status->reasons[i]);
        }
        reasons += "]";
    }
    json += ",\"state\":" + state + ",\"state_reasons\":" + reasons;
    json += ",\"message\":" + orNull(!report.message.empty(), JsonString(report.message));
    json += ",\"seconds\":" +
            orNull(report.milliseconds.has_value(), SecondsText(report.milliseconds.value_or(0)));
    json += "}";
    return json;
}

std::string SecondsText(std::uint64_t milliseconds) {
    const std::string thousandths = std::to_string(1000 + milliseconds % 1000).substr(1);
    return std::to_string(milliseconds / 1000) + "." + thousandths;
}

std::string StageWords(const RawJobResult& result, std::uint32_t length) {
    if (result.stage == RawJobStage::Completed && result.written != length) {
        return "only " + std::to_string(result.written) + " of " + std::to_string(length) +
               " bytes were written";
    }
    return JobStage(result.stage).words;
}

}  // namespace tessaline
