// The Qt Network downloader against a real HTTP server on 127.0.0.1 and a silent loopback
// server: bodies with progress, HEAD with Last-Modified, 404, time-outs, refused connections
// and cancel.

#include "platform/qt_assist_downloader.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <optional>
#include <vector>

#include "platform/http_test_server.h"
#include "platform/qt_test_support.h"

namespace gnss {
namespace {

struct Fetch {
    std::optional<DownloadResult> Result;
    std::vector<uint64_t> Progress;
    void Run(QtAssistDownloader& downloader, const DownloadRequest& request) {
        downloader.Start(
            request,
            [this](uint64_t received, std::optional<uint64_t>) { Progress.push_back(received); },
            [this](const DownloadResult& result) { Result = result; });
    }
};

DownloadRequest Get(const QString& url) {
    DownloadRequest request;
    request.Url = url.toStdString();
    request.UserAgent = "test-agent";
    request.Accept = "text/html, */*";
    return request;
}

TEST(QtAssistDownloader, FetchesBodiesHeadersAndNotFoundFromARealServer) {
    testing::HttpTestServer server;
    ASSERT_TRUE(server.Ready()) << "python3 -m http.server did not start";
    std::string body(300000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(server.Put("EPO.DAT", body));
    QtAssistDownloader downloader;

    Fetch get;
    get.Run(downloader, Get(server.Url("EPO.DAT")));
    EXPECT_TRUE(downloader.Busy());
    ASSERT_TRUE(testing::WaitUntil([&] { return get.Result.has_value(); }, 10000));
    EXPECT_FALSE(downloader.Busy());
    EXPECT_EQ(get.Result->Outcome, DownloadOutcome::Ok);
    EXPECT_EQ(get.Result->HttpStatus, 200);
    EXPECT_EQ(get.Result->Body, body);
    EXPECT_EQ(get.Result->ContentLength, body.size());
    ASSERT_FALSE(get.Progress.empty());
    EXPECT_EQ(get.Progress.back(), body.size());

    Fetch head;
    DownloadRequest headRequest = Get(server.Url("EPO.DAT"));
    headRequest.Verb = DownloadRequest::Method::Head;
    head.Run(downloader, headRequest);
    ASSERT_TRUE(testing::WaitUntil([&] { return head.Result.has_value(); }, 10000));
    EXPECT_EQ(head.Result->Outcome, DownloadOutcome::Ok);
    EXPECT_TRUE(head.Result->Body.empty());
    EXPECT_NE(head.Result->LastModified.find("GMT"), std::string::npos);

    Fetch missing;
    missing.Run(downloader, Get(server.Url("NONE.DAT")));
    ASSERT_TRUE(testing::WaitUntil([&] { return missing.Result.has_value(); }, 10000));
    EXPECT_EQ(missing.Result->Outcome, DownloadOutcome::NotFound);
    EXPECT_EQ(missing.Result->HttpStatus, 404);
    EXPECT_NE(missing.Result->ErrorText.find("Not Found"), std::string::npos);
}

TEST(QtAssistDownloader, TimesOutCancelsAndRefusesWithoutBlocking) {
    QTcpServer silent;  // accepts and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    std::vector<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection,
                     [&] { held.push_back(silent.nextPendingConnection()); });
    const QString url = QString("http://127.0.0.1:%1/EPO.DAT").arg(silent.serverPort());
    QtAssistDownloader downloader;

    Fetch slow;
    DownloadRequest request = Get(url);
    request.ConnectTimeoutMs = 300;
    slow.Run(downloader, request);
    ASSERT_TRUE(testing::WaitUntil([&] { return slow.Result.has_value(); }, 5000));
    EXPECT_EQ(slow.Result->Outcome, DownloadOutcome::TimedOut);

    Fetch cancelled;
    cancelled.Run(downloader, Get(url));
    // A second request while one runs is refused at once.
    Fetch second;
    second.Run(downloader, Get(url));
    ASSERT_TRUE(second.Result.has_value());
    EXPECT_EQ(second.Result->Outcome, DownloadOutcome::Failed);
    downloader.Cancel();
    ASSERT_TRUE(testing::WaitUntil([&] { return cancelled.Result.has_value(); }, 5000));
    EXPECT_EQ(cancelled.Result->Outcome, DownloadOutcome::Cancelled);

    silent.close();
    Fetch refused;
    refused.Run(downloader, Get(url));
    ASSERT_TRUE(testing::WaitUntil([&] { return refused.Result.has_value(); }, 5000));
    EXPECT_EQ(refused.Result->Outcome, DownloadOutcome::Failed);
    EXPECT_FALSE(refused.Result->ErrorText.empty());

    Fetch invalid;
    invalid.Run(downloader, Get("ftp://127.0.0.1/x"));
    ASSERT_TRUE(invalid.Result.has_value());
    EXPECT_EQ(invalid.Result->Outcome, DownloadOutcome::Failed);
}

}  // namespace
}  // namespace gnss
