#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "assist/assist_download.h"
#include "assist/assist_servers.h"
#include "assist/hd_assist.h"
#include "assist/sgee_upload.h"
#include "base/user_prompts.h"

namespace gnss {

// "Wed, 09 Dec 2026 15:00:00 GMT" as "2026-12-09_15:00:00"; the text itself when it is not an
// HTTP date.
[[nodiscard]] std::string LastModifiedText(std::string_view httpDate);

// The downloads of the SiRF and HD assistance data: from the addresses the user has set, never
// from one the program made up. A download runs without blocking; its end continues the
// update it belongs to.
class AssistFetch {
  public:
    struct Deps {
        AssistDownloader& Downloader;
        const NetworkStatus& Network;
        const AssistServerAddresses& Servers;
        UserPrompts& Prompts;
        SgeeUpload& Sgee;
        HdAssist& Hd;
    };
    explicit AssistFetch(const Deps& deps);

    // The SGEE window's "Update": download, then upload.
    void UpdateSgee();
    // "Update HDB on Line": the selected initial-aiding message, or (option "None") the ticked
    // downloads and the upload; `save` also saves the uploaded file in `folder`.
    void UpdateHdOnline(bool save, const std::filesystem::path& folder);
    // "get HDB": the ticked downloads, saved in `folder`, nothing uploaded.
    void GetHdb(const std::filesystem::path& folder);
    // The ticked HD downloads; `done` hears whether the last one brought data.
    void DownloadHd(std::function<void(bool ok)> done);

    [[nodiscard]] bool Busy() const { return downloader_.Busy() || hdRunning_; }

  private:
    [[nodiscard]] bool CheckOnline();
    [[nodiscard]] std::string AddressOf(AssistServer server, std::string_view what);
    void ReportError(const DownloadResult& result);
    void DownloadHdKind(HdbKind kind, std::function<void(bool ok)> done);

    AssistDownloader& downloader_;
    const NetworkStatus& network_;
    const AssistServerAddresses& servers_;
    UserPrompts& prompts_;
    SgeeUpload& sgee_;
    HdAssist& hd_;
    bool hdRunning_ = false;
};

}  // namespace gnss
