#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "assist/assist_download.h"
#include "base/scheduler.h"

namespace gnss::testing {

// A downloader that answers every request with `Next` (or with its address's entry in `ByUrl`)
// after `DelayMs` of the scheduler's time, reporting the body's size as progress halfway through.
class ScriptedDownloader final : public AssistDownloader {
  public:
    explicit ScriptedDownloader(Scheduler& scheduler) : half_(scheduler), end_(scheduler) {}

    void Start(const DownloadRequest& request, ProgressHandler progress,
               DoneHandler done) override {
        Requests.push_back(request);
        progress_ = std::move(progress);
        done_ = std::move(done);
        busy_ = true;
        const auto own = ByUrl.find(request.Url);
        answer_ = own != ByUrl.end() ? own->second : Next;
        half_.After(DelayMs / 2, [this] {
            if (progress_) progress_(answer_.Body.size() / 2, answer_.Body.size());
        });
        end_.After(DelayMs, [this] { Finish(answer_); });
    }
    void Cancel() override {
        if (!busy_) return;
        DownloadResult cancelled;
        cancelled.Outcome = DownloadOutcome::Cancelled;
        Finish(cancelled);
    }
    [[nodiscard]] bool Busy() const override { return busy_; }

    DownloadResult Next;
    std::map<std::string, DownloadResult> ByUrl;
    uint32_t DelayMs = 400;
    std::vector<DownloadRequest> Requests;

  private:
    void Finish(const DownloadResult& result) {
        half_.Cancel();
        end_.Cancel();
        busy_ = false;
        DoneHandler done = std::move(done_);
        done_ = nullptr;
        if (done) done(result);
    }

    DownloadResult answer_;
    DelayedCall half_;
    DelayedCall end_;
    ProgressHandler progress_;
    DoneHandler done_;
    bool busy_ = false;
};

struct FixedNetworkStatus final : NetworkStatus {
    bool Online = true;
    [[nodiscard]] bool IsOnline() const override { return Online; }
};

}  // namespace gnss::testing
