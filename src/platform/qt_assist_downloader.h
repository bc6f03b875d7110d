#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QPointer>

#include "assist/assist_download.h"

class QNetworkAccessManager;
class QTimer;

namespace gnss {

// Assistance downloads through Qt Network on the program's thread. The connect time-out runs
// until the server's first answer; after that the read time-out bounds every pause. Cookies are
// not kept; redirects are followed.
class QtAssistDownloader final : public QObject, public AssistDownloader {
    Q_OBJECT
  public:
    explicit QtAssistDownloader(QObject* parent = nullptr);
    ~QtAssistDownloader() override;

    void Start(const DownloadRequest& request, ProgressHandler progress, DoneHandler done) override;
    void Cancel() override;
    [[nodiscard]] bool Busy() const override;

  private:
    void Finish(DownloadResult result);
    void OnFinished();
    void OnTimeout();

    QNetworkAccessManager* manager_;
    QTimer* watchdog_;
    QPointer<QNetworkReply> reply_;
    DownloadRequest request_;
    ProgressHandler progress_;
    DoneHandler done_;
    bool answered_ = false;
    bool timedOut_ = false;
    bool cancelled_ = false;
};

// Asks Qt's network information (where the platform has a back end) whether the computer is
// online; without a back end it answers true.
class QtNetworkStatus final : public NetworkStatus {
  public:
    [[nodiscard]] bool IsOnline() const override;
};

}  // namespace gnss
