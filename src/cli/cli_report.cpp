#include "cli/cli_report.h"

#include "cli/cli_json.h"
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

std::string JobReportJson(const JobReport& report) {
    JsonObject json;
    json.String("printer", report.printer);
    IsPrinterAddress(report.printer) ? json.String("uri", report.printer) : json.Null("uri");
    if (report.form) {
        json.Number("form", *report.form);
    }
    json.String("stage", report.stage);
    json.NumberOrNull("size", report.size);
    if (report.sha256Given) {
        report.sha256 ? json.String("sha256", *report.sha256) : json.Null("sha256");
    }
    json.Number("written", report.written);
    report.datatype != nullptr ? json.String("datatype", report.datatype) : json.Null("datatype");
    json.NumberOrNull("job",
                      report.jobId != 0 ? std::optional<std::int64_t>(report.jobId) : std::nullopt);
    if (report.status) {
        json.String("state", JobStateName(report.status->state));
        json.Strings("state_reasons", report.status->reasons);
    } else {
        json.Null("state").Null("state_reasons");
    }
    json.StringOrNull("message", report.message);
    report.milliseconds ? json.Decimal("seconds", SecondsText(*report.milliseconds))
                        : json.Null("seconds");
    if (report.versionChecked) {
        for (const auto& [key, value] : {std::pair{"component", &report.component},
                                         std::pair{"version_before", &report.versionBefore},
                                         std::pair{"version_after", &report.versionAfter}}) {
            *value ? json.String(key, **value) : json.Null(key);
        }
    }
    return json.Text();
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
