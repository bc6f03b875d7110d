#pragma once

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace gnss {

// The log writer: the one thread besides the program's own. It owns the open log files and
// writes the batches that the program's thread hands over, so that receiving never waits on the
// disk. The log lock (a plain mutex) guards the handover, the files and the final write; the
// writer holds it for as long as it writes, so a batch is never refilled while it is written.
//
// Every member function except the destructor is called on the program's thread.
class LogWriterThread {
  public:
    LogWriterThread();
    ~LogWriterThread();  // Terminate()
    LogWriterThread(const LogWriterThread&) = delete;
    LogWriterThread& operator=(const LogWriterThread&) = delete;

    // Creates (or truncates) the text log file or the raw capture file and keeps it open for the
    // writer. False, with the reason in `error`, when the file cannot be created.
    bool OpenTextFile(const std::filesystem::path& path, std::string& error);
    bool OpenRawFile(const std::filesystem::path& path, std::string& error);
    [[nodiscard]] bool TextFileOpen() const;
    [[nodiscard]] bool RawFileOpen() const;

    // Hands lines (each written with CR LF after it) and raw bytes to the writer and wakes it.
    // The caller's containers are swapped with the writer's emptied ones, so their capacity is
    // reused and nothing is copied. Never waits: returns false and leaves both untouched while
    // the writer still holds or writes the previous batch (the caller keeps collecting and tries
    // again later).
    bool TryHandOver(std::vector<std::string>& lines, std::string& rawBytes);

    // Waits for the writer, then writes what it still holds, then `lines` and `rawBytes` (both
    // are cleared), flushes, and closes the files asked for. Order of arrival is kept.
    void FinalWrite(std::vector<std::string>& lines, std::string& rawBytes, bool closeText,
                    bool closeRaw);

    // The first write error recorded since the last call (a text for the user), if any. Errors
    // never stop the writer: it goes on with the next batch.
    [[nodiscard]] std::optional<std::string> TakeError();

    // Blocks until the writer holds no batch any more (used at stop, by tools and by tests).
    void WaitIdle();

    // Writes what it still holds, ends the thread and joins it. Idempotent.
    void Terminate();

    // Number of batches the writer thread has written so far.
    [[nodiscard]] uint64_t BatchesWritten() const;

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const;
    };
    using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

    void Run();
    void WriteHeldBatchLocked();
    void ReleaseBurstCapacityLocked();
    void WriteLinesLocked(std::vector<std::string>& lines);
    void WriteRawLocked(std::string& bytes);
    void WriteLocked(FileHandle& file, const std::filesystem::path& path, const std::string& data);
    void FlushLocked(FileHandle& file, const std::filesystem::path& path);
    void CloseLocked(FileHandle& file, const std::filesystem::path& path);
    void RecordError(const std::filesystem::path& path, int errorNumber);
    bool Open(FileHandle& file, std::filesystem::path& currentPath,
              const std::filesystem::path& path, std::string& error);

    mutable std::mutex logLock_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    bool batchHeld_ = false;
    bool terminate_ = false;
    uint64_t batchesWritten_ = 0;
    std::vector<std::string> batchLines_;
    std::string batchRaw_;
    std::string joined_;
    FileHandle textFile_;
    FileHandle rawFile_;
    std::filesystem::path textPath_;
    std::filesystem::path rawPath_;

    std::mutex errorLock_;
    std::optional<std::string> error_;

    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace gnss
