#include "scc/dialogs/event_loop_waiter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <mutex>

namespace brelmoxscc {
namespace {

class EventLoopWaiter : public UiWaiter {
  public:
    void Wait(std::chrono::milliseconds timeout) override {
        QEventLoop loop;
        {
            std::lock_guard lock(mutex_);
            if (std::exchange(woken_, false)) return;
            loop_ = &loop;
        }
        // A timer of this call's own: a pending single-shot one would outlive it inside Qt, and
        // could outlive the library too.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(timeout);
        // A wake posted before the loop started is delivered inside it and ends it.
        loop.exec();
        std::lock_guard lock(mutex_);
        loop_ = nullptr;
        woken_ = false;
    }

    void Wake() override {
        std::lock_guard lock(mutex_);
        woken_ = true;
        // Queued to the waiting thread, where the loop lives; dropped with the anchor.
        QMetaObject::invokeMethod(
            &anchor_,
            [this] {
                std::lock_guard inner(mutex_);
                if (loop_ != nullptr) loop_->quit();
            },
            Qt::QueuedConnection);
    }

  private:
    QObject anchor_;
    std::mutex mutex_;
    QEventLoop* loop_ = nullptr;
    bool woken_ = false;
};

}  // namespace

std::unique_ptr<UiWaiter> MakeEventLoopWaiter() {
    const QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || application->thread() != QThread::currentThread()) {
        return std::make_unique<BlockingWaiter>();
    }
    return std::make_unique<EventLoopWaiter>();
}

}  // namespace brelmoxscc
