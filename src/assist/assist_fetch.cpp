#include "assist/assist_fetch.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace gnss {

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

DownloadRequest Request(std::string url, DownloadRequest::Method verb) {
    DownloadRequest request;
    request.Url = std::move(url);
    request.Verb = verb;
    return request;
}

AssistServer ServerOf(HdbKind kind) {
    return kind == HdbKind::Gnss ? AssistServer::HdGnss : AssistServer::HdBeidou;
}

}  // namespace

std::string LastModifiedText(std::string_view httpDate) {
    // "Wdy, DD Mon YYYY HH:MM:SS GMT"
    const std::string text(httpDate);
    char month[4] = {};
    int day = 0;
    int year = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    const auto comma = text.find(',');
    if (comma == std::string::npos ||
        std::sscanf(text.c_str() + comma + 1, " %2d %3s %4d %2d:%2d:%2d", &day, month, &year, &hour,
                    &minute, &second) != 6) {
        return text;
    }
    for (std::size_t m = 0; m < kMonths.size(); ++m) {
        if (kMonths[m] == month) {
            char out[40];
            std::snprintf(out, sizeof out, "%04d-%02d-%02d_%02d:%02d:%02d", year,
                          static_cast<int>(m + 1), day, hour, minute, second);
            return out;
        }
    }
    return text;
}

AssistFetch::AssistFetch(const Deps& deps)
    : downloader_(deps.Downloader),
      network_(deps.Network),
      servers_(deps.Servers),
      prompts_(deps.Prompts),
      sgee_(deps.Sgee),
      hd_(deps.Hd) {}

bool AssistFetch::CheckOnline() {
    if (network_.IsOnline()) return true;
    prompts_.ShowInfo("Please connect to Internet first !");
    return false;
}

std::string AssistFetch::AddressOf(AssistServer server, std::string_view what) {
    std::string url = servers_.Resolve(server);
    if (url.empty()) {
        prompts_.ShowError("No server address is set for the " + std::string(what) +
                           " data: set it in the settings first !");
    }
    return url;
}

void AssistFetch::ReportError(const DownloadResult& result) {
    const std::string text = DownloadErrorText(result);
    if (result.Outcome == DownloadOutcome::NotFound ||
        text.find("Not Found") != std::string::npos) {
        prompts_.ShowError("The AGPS data is not available !");
    } else {
        prompts_.ShowError(text);
    }
}

void AssistFetch::UpdateSgee() {
    if (sgee_.Running() || Busy()) return;
    sgee_.SetButtonsBusy(true);
    if (!CheckOnline()) {
        sgee_.SetButtonsBusy(false);
        return;
    }
    std::string url = AddressOf(AssistServer::Sgee, "SGEE");
    if (url.empty()) {
        sgee_.SetButtonsBusy(false);
        return;
    }
    sgee_.ShowDownloadProgress(0, kSgeeMinimumBytes);
    downloader_.Start(
        Request(std::move(url), DownloadRequest::Method::Get),
        [this](uint64_t received, std::optional<uint64_t> total) {
            sgee_.ShowDownloadProgress(received, total.value_or(kSgeeMinimumBytes));
        },
        [this](const DownloadResult& result) {
            if (!result.Ok()) {
                ReportError(result);
                sgee_.SetButtonsBusy(false);
                return;
            }
            sgee_.UploadFile(result.Body);  // refuses (and says so) a file too short
        });
}

void AssistFetch::DownloadHdKind(HdbKind kind, std::function<void(bool ok)> done) {
    std::string url = AddressOf(ServerOf(kind), HdbInfo(kind).Label);
    if (url.empty()) {
        done(false);
        return;
    }
    hd_.ShowDownloadStart(kind);
    downloader_.Start(
        Request(url, DownloadRequest::Method::Head), nullptr,
        [this, kind, url, done = std::move(done)](const DownloadResult& head) mutable {
            if (!head.Ok()) {
                hd_.ShowDownloadError(kind, DownloadErrorText(head));
                ReportError(head);
                done(false);
                return;
            }
            std::string modified = LastModifiedText(head.LastModified);
            hd_.ShowDownloadError(kind, modified);
            downloader_.Start(
                Request(url, DownloadRequest::Method::Get),
                [this, kind](uint64_t received, std::optional<uint64_t> total) {
                    hd_.ShowDownloadProgress(kind, received, total.value_or(received));
                },
                [this, kind, modified, done = std::move(done)](const DownloadResult& get) {
                    if (!get.Ok()) {
                        hd_.ShowDownloadError(kind, DownloadErrorText(get));
                        ReportError(get);
                        done(false);
                        return;
                    }
                    hd_.SetDownloaded(kind, get.Body, modified);
                    done(!get.Body.empty());
                });
        });
}

void AssistFetch::DownloadHd(std::function<void(bool ok)> done) {
    if (Busy()) return;
    if (!CheckOnline()) {
        done(false);
        return;
    }
    hdRunning_ = true;
    hd_.SetBusy(true);
    auto finish = [this, done = std::move(done)](bool ok) {
        hdRunning_ = false;
        hd_.SetBusy(false);
        done(ok);
    };
    auto beidou = [this, finish](bool gnssOk) {
        if (!hd_.View().BdsTicked) {
            finish(gnssOk);
            return;
        }
        DownloadHdKind(HdbKind::Beidou, [finish, gnssOk](bool ok) { finish(ok || gnssOk); });
    };
    if (hd_.View().GpsTicked) {
        DownloadHdKind(HdbKind::Gnss, beidou);
    } else {
        beidou(false);
    }
}

void AssistFetch::UpdateHdOnline(bool save, const std::filesystem::path& folder) {
    if (hd_.View().Aiding != InitialAiding::None) {
        hd_.SendInitialAiding(hd_.View().Aiding);
        return;
    }
    DownloadHd([this, save, folder](bool ok) {
        if (!ok) return;
        for (HdbKind kind : {HdbKind::Gnss, HdbKind::Beidou}) {
            const bool ticked = kind == HdbKind::Gnss ? hd_.View().GpsTicked : hd_.View().BdsTicked;
            if (!ticked) continue;
            hd_.Upload(hd_.Downloaded(kind));
            if (save) hd_.SaveDownloaded(kind, folder);
            return;
        }
    });
}

void AssistFetch::GetHdb(const std::filesystem::path& folder) {
    DownloadHd([this, folder](bool ok) {
        if (!ok) return;
        if (hd_.View().GpsTicked) hd_.SaveDownloaded(HdbKind::Gnss, folder);
        if (hd_.View().BdsTicked) hd_.SaveDownloaded(HdbKind::Beidou, folder);
    });
}

}  // namespace gnss
