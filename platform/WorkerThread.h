#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zolvex::platform {

class WorkerLoop;

// A thread with a message queue of its own: posted tasks run on it in order, one at a
// time; timers and socket notifications are delivered there too. Stopping (or destroying)
// drops what has not run and joins the thread.
class WorkerThread {
 public:
  using Task = std::function<void()>;
  using TimerId = std::uint64_t;

  explicit WorkerThread(std::string name);
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  void Post(Task task);
  // Runs task once after delayMs unless cancelled first.
  TimerId RunAfter(std::uint32_t delayMs, Task task);
  void CancelTimer(TimerId id);
  bool OnThread() const;
  void Stop();
  const std::string& Name() const { return name_; }

  WorkerLoop& Loop() { return *loop_; }

 private:
  std::string name_;
  std::unique_ptr<WorkerLoop> loop_;
};

}  // namespace zolvex::platform
