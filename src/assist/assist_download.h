#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace gnss {

// One HTTP request for assistance data: GET (the body is wanted) or HEAD (only the headers, to
// learn whether the server holds a newer file).
struct DownloadRequest {
    enum class Method : uint8_t { Get, Head };
    std::string Url;
    Method Verb = Method::Get;
    uint32_t ConnectTimeoutMs = 15000;  // until the server answers at all
    uint32_t ReadTimeoutMs = 15000;     // longest pause between two pieces of the answer
    std::string UserAgent;              // empty: the library's own
    std::string Accept;                 // empty: not sent
};

enum class DownloadOutcome : uint8_t {
    Ok,        // a 2xx answer; Body holds it (empty for HEAD)
    NotFound,  // the server has no such file (404)
    TimedOut,  // no connection, or a pause longer than the read time-out
    Cancelled,
    Failed,  // any other error; ErrorText says which
};

struct DownloadResult {
    DownloadOutcome Outcome = DownloadOutcome::Failed;
    int HttpStatus = 0;     // 0 when no answer came
    std::string ErrorText;  // the error in words; "Not Found" for a 404
    std::string Body;
    std::string LastModified;               // the header as sent; empty when absent
    std::optional<uint64_t> ContentLength;  // the header, when sent
    [[nodiscard]] bool Ok() const { return Outcome == DownloadOutcome::Ok; }
};

// Fetches assistance files without blocking the program's thread: Start returns at once,
// progress and the end arrive later on the same thread. One request at a time.
class AssistDownloader {
  public:
    // Bytes so far and, when the server said, the total.
    using ProgressHandler = std::function<void(uint64_t received, std::optional<uint64_t> total)>;
    using DoneHandler = std::function<void(const DownloadResult& result)>;

    virtual ~AssistDownloader() = default;
    // A request while another runs fails at once (done with Failed, "busy").
    virtual void Start(const DownloadRequest& request, ProgressHandler progress,
                       DoneHandler done) = 0;
    // Ends the running request; its done handler hears Cancelled. Nothing when idle.
    virtual void Cancel() = 0;
    [[nodiscard]] virtual bool Busy() const = 0;
};

// Whether the computer has a network connection. Where the system cannot tell, it answers true
// and the request itself finds out.
class NetworkStatus {
  public:
    virtual ~NetworkStatus() = default;
    [[nodiscard]] virtual bool IsOnline() const = 0;
};

// The text of an outcome for messages ("Not Found", "Time out", ...), or the result's own text.
[[nodiscard]] std::string DownloadErrorText(const DownloadResult& result);

}  // namespace gnss
