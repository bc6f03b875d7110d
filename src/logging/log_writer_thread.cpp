#include "logging/log_writer_thread.h"

#include <cerrno>
#include <system_error>

namespace gnss {

namespace {

std::FILE* OpenForWriting(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
#endif
}

std::string Reason(int errorNumber) {
    return std::generic_category().message(errorNumber);
}

}  // namespace

void LogWriterThread::FileCloser::operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
}

LogWriterThread::LogWriterThread() : thread_([this] { Run(); }) {}

LogWriterThread::~LogWriterThread() {
    Terminate();
}

bool LogWriterThread::Open(FileHandle& file, std::filesystem::path& currentPath,
                           const std::filesystem::path& path, std::string& error) {
    std::lock_guard lock(logLock_);
    CloseLocked(file, currentPath);
    errno = 0;
    std::FILE* opened = OpenForWriting(path);
    if (opened == nullptr) {
        error = Reason(errno != 0 ? errno : EIO);
        return false;
    }
    file.reset(opened);
    currentPath = path;
    return true;
}

bool LogWriterThread::OpenTextFile(const std::filesystem::path& path, std::string& error) {
    return Open(textFile_, textPath_, path, error);
}

bool LogWriterThread::OpenRawFile(const std::filesystem::path& path, std::string& error) {
    return Open(rawFile_, rawPath_, path, error);
}

bool LogWriterThread::TextFileOpen() const {
    std::lock_guard lock(logLock_);
    return textFile_ != nullptr;
}

bool LogWriterThread::RawFileOpen() const {
    std::lock_guard lock(logLock_);
    return rawFile_ != nullptr;
}

bool LogWriterThread::TryHandOver(std::vector<std::string>& lines, std::string& rawBytes) {
    std::unique_lock lock(logLock_, std::try_to_lock);
    if (!lock.owns_lock() || batchHeld_ || terminate_) return false;
    batchLines_.swap(lines);
    batchRaw_.swap(rawBytes);
    batchHeld_ = true;
    lock.unlock();
    wake_.notify_one();
    return true;
}

void LogWriterThread::FinalWrite(std::vector<std::string>& lines, std::string& rawBytes,
                                 bool closeText, bool closeRaw) {
    std::lock_guard lock(logLock_);
    if (batchHeld_) {
        WriteHeldBatchLocked();
        batchHeld_ = false;
        idle_.notify_all();
    }
    WriteLinesLocked(lines);
    WriteRawLocked(rawBytes);
    FlushLocked(textFile_, textPath_);
    FlushLocked(rawFile_, rawPath_);
    if (closeText) CloseLocked(textFile_, textPath_);
    if (closeRaw) CloseLocked(rawFile_, rawPath_);
}

std::optional<std::string> LogWriterThread::TakeError() {
    std::lock_guard lock(errorLock_);
    std::optional<std::string> error;
    error.swap(error_);
    return error;
}

void LogWriterThread::WaitIdle() {
    std::unique_lock lock(logLock_);
    idle_.wait(lock, [this] { return !batchHeld_; });
}

void LogWriterThread::Terminate() {
    {
        std::lock_guard lock(logLock_);
        terminate_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(logLock_);
    CloseLocked(textFile_, textPath_);
    CloseLocked(rawFile_, rawPath_);
}

uint64_t LogWriterThread::BatchesWritten() const {
    std::lock_guard lock(logLock_);
    return batchesWritten_;
}

void LogWriterThread::Run() {
    std::unique_lock lock(logLock_);
    for (;;) {
        wake_.wait(lock, [this] { return batchHeld_ || terminate_; });
        if (batchHeld_) {
            // Nothing thrown here may end the thread: a failed batch is reported and dropped.
            try {
                WriteHeldBatchLocked();
                FlushLocked(textFile_, textPath_);
                FlushLocked(rawFile_, rawPath_);
            } catch (...) {
                batchLines_.clear();
                batchRaw_.clear();
                RecordError(textPath_, ENOMEM);
            }
            ++batchesWritten_;
            batchHeld_ = false;
            idle_.notify_all();
        }
        if (terminate_) return;
    }
}

void LogWriterThread::WriteHeldBatchLocked() {
    WriteLinesLocked(batchLines_);
    WriteRawLocked(batchRaw_);
    ReleaseBurstCapacityLocked();
}

// The batch containers travel back to the program's thread and keep their capacity, so a burst
// (the program far ahead of the disk, a replay at full speed) would pin its largest batch for
// the rest of the run. What a steady stream never needs is given back after each write.
void LogWriterThread::ReleaseBurstCapacityLocked() {
    constexpr std::size_t kKeptLineSlots = 4096;
    constexpr std::size_t kKeptBytes = 256 * 1024;
    if (batchLines_.capacity() > kKeptLineSlots) std::vector<std::string>().swap(batchLines_);
    if (batchRaw_.capacity() > kKeptBytes) std::string().swap(batchRaw_);
    if (joined_.capacity() > kKeptBytes) std::string().swap(joined_);
}

void LogWriterThread::WriteLinesLocked(std::vector<std::string>& lines) {
    if (lines.empty()) return;
    joined_.clear();
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    joined_.reserve(size);
    for (const std::string& line : lines) {
        joined_ += line;
        joined_ += "\r\n";
    }
    lines.clear();
    WriteLocked(textFile_, textPath_, joined_);
    joined_.clear();
}

void LogWriterThread::WriteRawLocked(std::string& bytes) {
    if (bytes.empty()) return;
    WriteLocked(rawFile_, rawPath_, bytes);
    bytes.clear();
}

void LogWriterThread::WriteLocked(FileHandle& file, const std::filesystem::path& path,
                                  const std::string& data) {
    if (file == nullptr || data.empty()) return;
    errno = 0;
    if (std::fwrite(data.data(), 1, data.size(), file.get()) != data.size()) {
        RecordError(path, errno != 0 ? errno : EIO);
        std::clearerr(file.get());
    }
}

void LogWriterThread::FlushLocked(FileHandle& file, const std::filesystem::path& path) {
    if (file == nullptr) return;
    errno = 0;
    if (std::fflush(file.get()) != 0) {
        RecordError(path, errno != 0 ? errno : EIO);
        std::clearerr(file.get());
    }
}

void LogWriterThread::CloseLocked(FileHandle& file, const std::filesystem::path& path) {
    if (file == nullptr) return;
    errno = 0;
    if (std::fclose(file.release()) != 0) RecordError(path, errno != 0 ? errno : EIO);
}

void LogWriterThread::RecordError(const std::filesystem::path& path, int errorNumber) {
    std::lock_guard lock(errorLock_);
    if (error_) return;
    try {
        error_ = "Unable to write Log file [" + path.string() + "] : " + Reason(errorNumber) + " !";
    } catch (...) {
        // Out of memory while describing the error: nothing more can be done here.
    }
}

}  // namespace gnss
