#include "scc/busy_runner.h"

#include <algorithm>
#include <charconv>
#include <exception>

#include "common/format.h"
#include "scc/messages.h"

namespace brelmoxscc {

namespace {

// How often the calling thread looks at the window (Cancel, byte counts) while it waits.
constexpr std::chrono::milliseconds kTick{100};
// Transfers from this size on show their bytes.
constexpr uint64_t kMebibyte = 1024 * 1024;

// Set on a worker thread: a request made there runs in place.
thread_local bool onWorker = false;

// One decimal, whatever the process's locale.
std::string Mebibytes(uint64_t bytes) {
    const uint64_t tenths = (bytes * 10 + kMebibyte / 2) / kMebibyte;
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, tenths / 10).ptr;
    return std::string(text, end) + "." + std::to_string(tenths % 10);
}

}  // namespace

std::string ItemWithBytes(const std::string& name, uint64_t done, uint64_t total) {
    if (total < kMebibyte) return name;
    return brelmox::FormatMessage(msg::kBytesOfFormat, name, Mebibytes(std::min(done, total)),
                                  Mebibytes(total));
}

bool BusyRunner::OnCallingThread() const {
    return !running_ || caller_ == std::this_thread::get_id();
}

void BusyRunner::Run(const std::string& action, const std::function<void()>& work) {
    bool inPlace = onWorker;
    {
        std::lock_guard lock(mutex_);
        inPlace = inPlace || running_;
    }
    if (inPlace) return work();
    std::unique_ptr<UiWaiter> waiter = ui_.MakeWaiter();
    {
        std::lock_guard lock(mutex_);
        running_ = true;
        caller_ = std::this_thread::get_id();
        finished_ = showNow_ = false;
        action_ = action;
        item_.clear();
        bytesName_.clear();
        bytesDone_ = bytesTotal_ = 0;
        waiter_ = std::move(waiter);
    }
    cancelled_ = false;
    std::exception_ptr failure;
    std::thread worker([&] {
        onWorker = true;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        finished_ = true;
        waiter_->Wake();
    });
    Serve();
    worker.join();
    window_.reset();
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        waiter = std::move(waiter_);
    }
    if (failure) std::rethrow_exception(failure);
}

void BusyRunner::Serve() {
    const auto start = std::chrono::steady_clock::now();
    while (RunPosted()) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!window_ && elapsed >= kProgressDelay) OpenWindow();
        auto timeout = kTick;
        if (window_) {
            RefreshWindow();
            if (window_->CancelRequested()) cancelled_ = true;
        } else {
            const auto untilWindow =
                std::chrono::ceil<std::chrono::milliseconds>(kProgressDelay - elapsed);
            timeout = std::clamp(untilWindow, std::chrono::milliseconds(1), kTick);
        }
        waiter_->Wait(timeout);
    }
}

bool BusyRunner::RunPosted() {
    for (;;) {
        Task* task = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (posted_.empty()) return !finished_;
            task = posted_.front();
            posted_.pop_front();
        }
        try {
            (*task->show)();
        } catch (...) {
            // The worker waits for it whatever happened; what failed to show is lost.
        }
        {
            std::lock_guard lock(mutex_);
            task->done = true;
        }
        shown_.notify_all();
    }
}

void BusyRunner::Show(const std::function<void()>& show) {
    std::unique_lock lock(mutex_);
    if (OnCallingThread()) {
        lock.unlock();
        show();
        return;
    }
    Task task{&show};
    posted_.push_back(&task);
    waiter_->Wake();
    shown_.wait(lock, [&task] { return task.done; });
}

void BusyRunner::BeginItems(const std::string& action, bool showNow) {
    Show([&] {
        {
            std::lock_guard lock(mutex_);
            action_ = action;
            showNow_ = showNow;
        }
        if (window_) RefreshWindow();
    });
}

bool BusyRunner::StepItem(const std::string& item) {
    Show([&] {
        bool showNow = false;
        {
            std::lock_guard lock(mutex_);
            item_ = item;
            bytesName_.clear();
            bytesDone_ = bytesTotal_ = 0;
            showNow = showNow_ && running_;
        }
        if (!window_ && showNow) OpenWindow();
        if (!window_) return;
        RefreshWindow();
        if (window_->CancelRequested()) cancelled_ = true;
    });
    return !cancelled_;
}

void BusyRunner::SetBytes(const std::string& name, uint64_t done, uint64_t total) {
    std::lock_guard lock(mutex_);
    bytesName_ = name;
    bytesDone_ = done;
    bytesTotal_ = total;
}

void BusyRunner::OpenWindow() {
    window_ = ui_.OpenProgress();
    if (!window_) return;
    std::string action;
    {
        std::lock_guard lock(mutex_);
        action = action_;
    }
    shownAction_ = action;
    shownLine_ = FileLine();
    window_->SetAction(shownAction_);
    window_->SetFile(shownLine_);
}

void BusyRunner::RefreshWindow() {
    std::string action;
    {
        std::lock_guard lock(mutex_);
        action = action_;
    }
    const std::string line = FileLine();
    if (action != shownAction_) window_->SetAction(shownAction_ = action);
    if (line != shownLine_) window_->SetFile(shownLine_ = line);
}

std::string BusyRunner::FileLine() const {
    std::lock_guard lock(mutex_);
    if (!item_.empty()) return ItemWithBytes(item_, bytesDone_, bytesTotal_);
    // A transfer that is not one of the command's files (a compare's fetch) shows its name
    // once it is large.
    return bytesTotal_ >= kMebibyte ? ItemWithBytes(bytesName_, bytesDone_, bytesTotal_) : "";
}

}  // namespace brelmoxscc
