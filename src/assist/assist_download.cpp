#include "assist/assist_download.h"

#include <array>
#include <utility>

namespace gnss {

namespace {

constexpr std::array<std::pair<DownloadOutcome, const char*>, 5> kOutcomeTexts = {{
    {DownloadOutcome::Ok, "OK"},
    {DownloadOutcome::NotFound, "Not Found"},
    {DownloadOutcome::TimedOut, "Time out"},
    {DownloadOutcome::Cancelled, "Cancelled"},
    {DownloadOutcome::Failed, "Download failed"},
}};

}  // namespace

std::string DownloadErrorText(const DownloadResult& result) {
    if (!result.ErrorText.empty()) return result.ErrorText;
    for (const auto& [outcome, text] : kOutcomeTexts) {
        if (outcome == result.Outcome) return text;
    }
    return "Download failed";
}

}  // namespace gnss
