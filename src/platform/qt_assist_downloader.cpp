#include "platform/qt_assist_downloader.h"

#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <utility>

namespace gnss {

QtAssistDownloader::QtAssistDownloader(QObject* parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this)), watchdog_(new QTimer(this)) {
    manager_->setCookieJar(nullptr);
    watchdog_->setSingleShot(true);
    connect(watchdog_, &QTimer::timeout, this, &QtAssistDownloader::OnTimeout);
}

QtAssistDownloader::~QtAssistDownloader() {
    if (reply_ != nullptr) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

void QtAssistDownloader::Start(const DownloadRequest& request, ProgressHandler progress,
                               DoneHandler done) {
    if (Busy()) {
        DownloadResult busy;
        busy.ErrorText = "Another download is running";
        if (done) done(busy);
        return;
    }
    const QUrl url(QString::fromStdString(request.Url), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        DownloadResult bad;
        bad.ErrorText = "Invalid address: " + request.Url;
        if (done) done(bad);
        return;
    }
    request_ = request;
    progress_ = std::move(progress);
    done_ = std::move(done);
    answered_ = false;
    timedOut_ = false;
    cancelled_ = false;

    QNetworkRequest http(url);
    http.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                      QNetworkRequest::NoLessSafeRedirectPolicy);
    http.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    http.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    if (!request.UserAgent.empty()) {
        http.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(request.UserAgent));
    }
    if (!request.Accept.empty()) {
        http.setRawHeader("Accept", QByteArray::fromStdString(request.Accept));
    }
    QNetworkReply* reply =
        request.Verb == DownloadRequest::Method::Head ? manager_->head(http) : manager_->get(http);
    reply_ = reply;
    watchdog_->start(static_cast<int>(request.ConnectTimeoutMs));
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        answered_ = true;
        watchdog_->start(static_cast<int>(request_.ReadTimeoutMs));
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (received > 0) {
            answered_ = true;
            watchdog_->start(static_cast<int>(request_.ReadTimeoutMs));
        }
        if (progress_) {
            progress_(
                static_cast<uint64_t>(received),
                total > 0 ? std::optional<uint64_t>(static_cast<uint64_t>(total)) : std::nullopt);
        }
    });
    connect(reply, &QNetworkReply::finished, this, &QtAssistDownloader::OnFinished);
}

bool QtAssistDownloader::Busy() const {
    return !reply_.isNull();
}

void QtAssistDownloader::Cancel() {
    if (reply_ == nullptr) return;
    cancelled_ = true;
    reply_->abort();  // finished follows at once
}

void QtAssistDownloader::OnTimeout() {
    if (reply_ == nullptr) return;
    timedOut_ = true;
    reply_->abort();
}

void QtAssistDownloader::OnFinished() {
    watchdog_->stop();
    QNetworkReply* reply = reply_.data();
    if (reply == nullptr) return;
    reply_ = nullptr;
    reply->deleteLater();

    DownloadResult result;
    result.HttpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.LastModified = reply->rawHeader("Last-Modified").toStdString();
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid()) result.ContentLength = length.toULongLong();

    if (cancelled_) {
        result.Outcome = DownloadOutcome::Cancelled;
        result.ErrorText = "Cancelled";
    } else if (timedOut_) {
        result.Outcome = DownloadOutcome::TimedOut;
        result.ErrorText = answered_ ? "Read timed out" : "Connect timed out";
    } else if (result.HttpStatus == 404 || reply->error() == QNetworkReply::ContentNotFoundError) {
        result.Outcome = DownloadOutcome::NotFound;
        result.ErrorText = "HTTP/1.1 404 Not Found";
    } else if (reply->error() != QNetworkReply::NoError) {
        result.Outcome = reply->error() == QNetworkReply::TimeoutError ? DownloadOutcome::TimedOut
                                                                       : DownloadOutcome::Failed;
        result.ErrorText = reply->errorString().toStdString();
    } else {
        result.Outcome = DownloadOutcome::Ok;
        if (request_.Verb == DownloadRequest::Method::Get) {
            result.Body = reply->readAll().toStdString();
        }
    }
    Finish(std::move(result));
}

void QtAssistDownloader::Finish(DownloadResult result) {
    DoneHandler done = std::move(done_);
    done_ = nullptr;
    progress_ = nullptr;
    if (done) done(result);
}

bool QtNetworkStatus::IsOnline() const {
    if (QNetworkInformation::instance() == nullptr &&
        !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        return true;
    }
    const QNetworkInformation* info = QNetworkInformation::instance();
    if (info == nullptr) return true;
    return info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

}  // namespace gnss
