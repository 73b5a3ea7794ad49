#include "platform/WorkerThread.h"

#include <pthread.h>

#include "platform/WorkerLoop.h"

namespace zolvex::platform {

WorkerThread::WorkerThread(std::string name) : name_(std::move(name)), loop_(std::make_unique<WorkerLoop>()) {
  loop_->thread_ = std::thread([loop = loop_.get(), threadName = name_] {
#ifndef __EMSCRIPTEN__  // the web page's workers have no names to set
    pthread_setname_np(pthread_self(), threadName.substr(0, 15).c_str());
#endif
    loop->io_.run();
  });
}

WorkerThread::~WorkerThread() { Stop(); }

void WorkerThread::Post(Task task) { asio::post(loop_->io_, std::move(task)); }

WorkerThread::TimerId WorkerThread::RunAfter(std::uint32_t delayMs, Task task) {
  auto timer = std::make_shared<asio::steady_timer>(loop_->io_, std::chrono::milliseconds(delayMs));
  TimerId id;
  {
    std::lock_guard lock(loop_->timersMutex_);
    id = loop_->nextTimer_++;
    loop_->timers_[id] = timer;
  }
  timer->async_wait([loop = loop_.get(), id, timer, task = std::move(task)](const std::error_code& ec) {
    {
      std::lock_guard lock(loop->timersMutex_);
      loop->timers_.erase(id);
    }
    if (!ec) task();
  });
  return id;
}

void WorkerThread::CancelTimer(TimerId id) {
  std::shared_ptr<asio::steady_timer> timer;
  {
    std::lock_guard lock(loop_->timersMutex_);
    auto it = loop_->timers_.find(id);
    if (it == loop_->timers_.end()) return;
    timer = it->second;
    loop_->timers_.erase(it);
  }
  // The timer belongs to the worker's thread; cancel it there.
  asio::post(loop_->io_, [timer] { timer->cancel(); });
}

bool WorkerThread::OnThread() const { return std::this_thread::get_id() == loop_->thread_.get_id(); }

void WorkerThread::Stop() {
  if (loop_->stopped_) return;
  loop_->stopped_ = true;
  loop_->guard_.reset();
  loop_->io_.stop();
  if (loop_->thread_.joinable()) {
    if (OnThread()) loop_->thread_.detach();
    else loop_->thread_.join();
  }
  std::lock_guard lock(loop_->timersMutex_);
  loop_->timers_.clear();
}

}  // namespace zolvex::platform
