#include "platform/headless/HeadlessWindowHost.h"

#include <algorithm>
#include <chrono>

namespace zolvex::platform {

HeadlessWindowHost::HeadlessWindowHost(Size size, std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)), size_(size), owner_(std::this_thread::get_id()) {
  if (!clock_) clock_ = std::make_shared<SystemClock>();
  realTime_ = dynamic_cast<SystemClock*>(clock_.get()) != nullptr;
  manualClock_ = dynamic_cast<ManualClock*>(clock_.get());
}

void HeadlessWindowHost::SetListener(WindowListener* listener) { listener_ = listener; }
Size HeadlessWindowHost::ClientSize() const { return size_; }

void HeadlessWindowHost::Resize(Size size) {
  size_ = {std::max(size.width, 0), std::max(size.height, 0)};
  if (listener_) listener_->OnSize(size_);
  Invalidate();
}

void HeadlessWindowHost::SetTitle(const std::string& title) { title_ = title; }

void HeadlessWindowHost::Enqueue(Task task, bool input) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({std::move(task), input});
  }
  wake_.notify_all();
}

void HeadlessWindowHost::Post(Task task) { Enqueue(std::move(task), false); }

void HeadlessWindowHost::SetTimer(TimerId id, std::uint32_t periodMs, Task task) {
  {
    std::lock_guard lock(mutex_);
    std::uint32_t period = std::max<std::uint32_t>(periodMs, 1);
    timers_[id] = Timer{period, clock_->NowMs() + period, std::move(task)};
  }
  wake_.notify_all();
}

void HeadlessWindowHost::KillTimer(TimerId id) {
  std::lock_guard lock(mutex_);
  timers_.erase(id);
}

void HeadlessWindowHost::SetCapture() { capture_ = true; }
void HeadlessWindowHost::ReleaseCapture() { capture_ = false; }
bool HeadlessWindowHost::HasCapture() const { return capture_; }
void HeadlessWindowHost::SetCursor(const std::string& name) { cursor_ = name; }
std::string HeadlessWindowHost::CurrentCursor() const { return cursor_; }

void HeadlessWindowHost::Invalidate() {
  {
    std::lock_guard lock(mutex_);
    paintWanted_ = true;
  }
  wake_.notify_all();
}

void HeadlessWindowHost::DrainPendingInput() {
  std::lock_guard lock(mutex_);
  std::erase_if(queue_, [](const Entry& e) { return e.input; });
}

void HeadlessWindowHost::PresentNow() {
  ++presents_;
  const Surface* frame = listener_ ? listener_->OnPaint() : nullptr;
  if (frame && frameSink_) frameSink_(*frame);
  if (manualClock_) manualClock_->Advance(frameIntervalMs_);
}

void HeadlessWindowHost::Pause(std::uint32_t ms) {
  if (manualClock_) {
    manualClock_->Advance(ms);
    return;
  }
  if (!realTime_) return;  // a clock of the test's own: nothing to wait for
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void HeadlessWindowHost::InjectMouse(const MouseEvent& event) {
  Enqueue([this, event] { if (listener_) listener_->OnMouse(event); }, true);
}
void HeadlessWindowHost::InjectWheel(const WheelEvent& event) {
  Enqueue([this, event] { if (listener_) listener_->OnWheel(event); }, true);
}
void HeadlessWindowHost::InjectKey(const KeyEvent& event) {
  Enqueue([this, event] { if (listener_) listener_->OnKey(event); }, true);
}

// Runs the entries queued when it starts; entries they post wait for the next round so
// that a task posting itself cannot starve timers.
bool HeadlessWindowHost::RunQueued() {
  std::deque<Entry> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(queue_);
  }
  for (Entry& entry : batch) {
    if (quit_) {
      std::lock_guard lock(mutex_);
      queue_.push_front(std::move(entry));
      continue;
    }
    entry.task();
  }
  return !batch.empty();
}

void HeadlessWindowHost::FireDueTimers() {
  std::vector<Task> due;
  {
    std::lock_guard lock(mutex_);
    std::uint64_t now = clock_->NowMs();
    for (auto& [id, timer] : timers_) {
      if (timer.due > now) continue;
      due.push_back(timer.task);
      // A late timer fires once and then keeps its period from now, as window timers do.
      timer.due = now + timer.period;
    }
  }
  for (Task& task : due) {
    if (quit_) break;
    task();
  }
}

void HeadlessWindowHost::PaintIfWanted() {
  {
    std::lock_guard lock(mutex_);
    if (!paintWanted_) return;
    paintWanted_ = false;
  }
  ++paints_;
  if (listener_) listener_->OnPaint();
}

void HeadlessWindowHost::RunPending() {
  RunQueued();
  FireDueTimers();
  PaintIfWanted();
}

std::uint64_t HeadlessWindowHost::NextWakeMs(std::uint64_t deadline) const {
  std::uint64_t next = deadline;
  for (const auto& [id, timer] : timers_) next = std::min(next, timer.due);
  return next;
}

bool HeadlessWindowHost::RunFor(std::uint32_t ms) { return Loop(ms, nullptr) != LoopEnd::Quit; }

bool HeadlessWindowHost::RunUntil(const std::function<bool()>& done, std::uint32_t ms) {
  return Loop(ms, &done) == LoopEnd::Done;
}

HeadlessWindowHost::LoopEnd HeadlessWindowHost::Loop(std::uint32_t ms, const std::function<bool()>* done) {
  owner_ = std::this_thread::get_id();
  quit_ = false;
  const std::uint64_t deadline = clock_->NowMs() + ms;
  while (!quit_) {
    RunPending();
    if (quit_) break;
    if (done && (*done)()) return LoopEnd::Done;
    std::uint64_t now = clock_->NowMs();
    if (now >= deadline) return LoopEnd::Deadline;
    if (!realTime_) {
      // A manual clock only moves when the test moves it: nothing more can become due.
      std::lock_guard lock(mutex_);
      if (queue_.empty() && !paintWanted_) return LoopEnd::Deadline;
      continue;
    }
    std::unique_lock lock(mutex_);
    std::uint64_t wakeAt = NextWakeMs(deadline);
    if (queue_.empty() && !paintWanted_ && wakeAt > now) {
      wake_.wait_for(lock, std::chrono::milliseconds(wakeAt - now));
    }
  }
  return LoopEnd::Quit;
}

void HeadlessWindowHost::Run() {
  // With a manual clock nothing waits: one pass handles what is queued.
  while (RunFor(60'000) && realTime_) {
  }
}

void HeadlessWindowHost::Quit() {
  quit_ = true;
  wake_.notify_all();
}

bool HeadlessWindowHost::OnWindowThread() const { return std::this_thread::get_id() == owner_; }

}  // namespace zolvex::platform
