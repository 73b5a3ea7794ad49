#pragma once
// Platform-internal: the Asio loop behind a WorkerThread.
#include <asio.hpp>

#include <map>
#include <mutex>
#include <thread>

#include "platform/WorkerThread.h"

namespace zolvex::platform {

class WorkerLoop {
 public:
  WorkerLoop() : guard_(asio::make_work_guard(io_)) {}
  asio::io_context& Io() { return io_; }

  asio::io_context io_;
  asio::executor_work_guard<asio::io_context::executor_type> guard_;
  std::thread thread_;
  std::mutex timersMutex_;
  std::map<WorkerThread::TimerId, std::shared_ptr<asio::steady_timer>> timers_;
  WorkerThread::TimerId nextTimer_ = 1;
  bool stopped_ = false;
};

}  // namespace zolvex::platform
