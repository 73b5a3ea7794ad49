#include "platform/web/WebWindowHost.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>
#include <emscripten/threading.h>
#include <wasm_simd128.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/Surface.h"

namespace zolvex::platform {

namespace {

// Hosts by handle: a task or frame scheduled on the browser's loop finds its host only
// while it lives.
std::mutex registryLock;
std::map<int, WebWindowHost*> registry;
int nextHandle = 1;

void* HandleData(int handle) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(handle)); }
int HandleOf(void* data) { return static_cast<int>(reinterpret_cast<std::intptr_t>(data)); }

// The CSS cursor for one of the window's cursor names; the compiled-in zoom-hint
// pictures and cursor files have no page counterpart and show as the nearest CSS cursor.
std::string CssCursor(const std::string& name) {
  if (name.rfind("IDC_CURSOR_", 0) == 0) return "zoom-in";
  if (!name.empty() && name[0] == '/') return "";
  return name;
}

// Four back-buffer pixels (premultiplied BGRA in memory) as the canvas takes them: RGBA,
// opaque.
v128_t CanvasPixels(v128_t bgra) {
  return wasm_v128_or(wasm_i8x16_shuffle(bgra, bgra, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15),
                      wasm_i32x4_splat(static_cast<std::int32_t>(0xFF000000u)));
}

std::uint32_t CanvasPixel(Pixel p) { return 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu); }

void CopyCanvasRow(const Pixel* row, std::uint32_t* shown, int width) {
  int x = 0;
  for (; x + 4 <= width; x += 4) wasm_v128_store(shown + x, CanvasPixels(wasm_v128_load(row + x)));
  for (; x < width; ++x) shown[x] = CanvasPixel(row[x]);
}

bool SameOnCanvas(const Pixel* row, const std::uint32_t* shown) {
  return !wasm_v128_any_true(wasm_v128_xor(CanvasPixels(wasm_v128_load(row)), wasm_v128_load(shown)));
}

// The columns [first, last) of a row where what the canvas shows differs from the back
// buffer (empty when it differs nowhere), found four pixels at a time from either end.
std::pair<int, int> ChangedColumns(const Pixel* row, const std::uint32_t* shown, int width) {
  int first = 0;
  while (first + 4 <= width && SameOnCanvas(row + first, shown + first)) first += 4;
  while (first < width && shown[first] == CanvasPixel(row[first])) ++first;
  int last = width;
  while (last - 4 >= first && SameOnCanvas(row + last - 4, shown + last - 4)) last -= 4;
  while (last > first && shown[last - 1] == CanvasPixel(row[last - 1])) --last;
  return {first, last};
}

}  // namespace

// clang-format off
// Shows the changed areas of the frame, count rectangles of four numbers each (left, top,
// right, bottom); the whole frame when the canvas or its picture is new.
EM_JS(void, zolvex_canvas_present, (const char* id, const std::uint8_t* rgba, int width, int height,
                                    const int* areas, int count), {
  const canvas = document.getElementById(UTF8ToString(id));
  if (!canvas) return;
  let whole = false;
  if (canvas.width !== width) { canvas.width = width; whole = true; }
  if (canvas.height !== height) { canvas.height = height; whole = true; }
  // The canvas keeps its picture between frames: a frame is 8 MB at 1920 x 1080, and a
  // new one each time would leave the collector all of them. (It cannot lie in the
  // module's memory: a canvas refuses pixels in shared memory.)
  let image = canvas.__zolvexFrame;
  if (!image || image.width !== width || image.height !== height) {
    image = canvas.__zolvexFrame = new ImageData(width, height);
    whole = true;
  }
  const rectangles = whole ? [0, 0, width, height] : HEAP32.subarray(areas >> 2, (areas >> 2) + 4 * count);
  // An opaque canvas (frames are opaque): the browser then takes the pixels without
  // multiplying by their alpha, and composites the page without blending the canvas.
  const context = canvas.getContext('2d', { alpha: false });
  for (let i = 0; i < rectangles.length; i += 4) {
    const left = rectangles[i], top = rectangles[i + 1], right = rectangles[i + 2], bottom = rectangles[i + 3];
    // Whole rows, one block move (the same element type on both sides).
    const start = top * width * 4, length = (bottom - top) * width * 4;
    image.data.set(new Uint8ClampedArray(HEAPU8.buffer, rgba + start, length), start);
    context.putImageData(image, 0, 0, left, top, right - left, bottom - top);
  }
});

EM_JS(void, zolvex_canvas_cursor, (const char* id, const char* cursor), {
  const canvas = document.getElementById(UTF8ToString(id));
  if (canvas) canvas.style.cursor = UTF8ToString(cursor);
});

EM_JS(void, zolvex_document_title, (const char* title), { document.title = UTF8ToString(title); });
// clang-format on

WebWindowHost::WebWindowHost(Size size, std::string canvasId) : canvasId_(std::move(canvasId)), size_(size) {
  std::lock_guard lock(registryLock);
  handle_ = nextHandle++;
  registry[handle_] = this;
}

WebWindowHost::~WebWindowHost() {
  {
    std::lock_guard lock(registryLock);
    registry.erase(handle_);
  }
  for (auto& [id, timer] : timers_) emscripten_clear_interval(timer->browserId);
}

WebWindowHost* WebWindowHost::Live(int handle) {
  std::lock_guard lock(registryLock);
  auto found = registry.find(handle);
  return found == registry.end() ? nullptr : found->second;
}

void WebWindowHost::SetListener(WindowListener* listener) { listener_ = listener; }

Size WebWindowHost::ClientSize() const { return size_; }

void WebWindowHost::Resize(Size size) {
  size.width = std::max(1, size.width);
  size.height = std::max(1, size.height);
  if (size.width == size_.width && size.height == size_.height) return;
  size_ = size;
  if (listener_) listener_->OnSize(size_);
  Invalidate();
}

void WebWindowHost::SetTitle(const std::string& title) {
  if (emscripten_is_main_runtime_thread()) zolvex_document_title(title.c_str());
}

void WebWindowHost::Post(Task task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (pumpScheduled_) return;
    pumpScheduled_ = true;
  }
  SchedulePump();
}

void WebWindowHost::SchedulePump() {
  if (emscripten_is_main_runtime_thread()) {
    emscripten_async_call(&WebWindowHost::PumpOnMain, HandleData(handle_), 0);
  } else {
    emscripten_async_run_in_main_runtime_thread(EM_FUNC_SIG_VI, &WebWindowHost::PumpFromWorker, handle_);
  }
}

void WebWindowHost::PumpOnMain(void* handle) {
  if (WebWindowHost* host = Live(HandleOf(handle))) host->RunTasks();
}

void WebWindowHost::PumpFromWorker(int handle) {
  if (WebWindowHost* host = Live(handle)) host->RunTasks();
}

// Runs the tasks posted so far; those they post run on the next turn of the loop, so
// that input and frames are never starved.
void WebWindowHost::RunTasks() {
  std::deque<Task> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(tasks_);
    pumpScheduled_ = false;
  }
  for (Task& task : batch) task();
}

void WebWindowHost::SetTimer(TimerId id, std::uint32_t periodMs, Task task) {
  if (!emscripten_is_main_runtime_thread()) {
    Post([this, id, periodMs, task = std::move(task)]() mutable { SetTimer(id, periodMs, std::move(task)); });
    return;
  }
  KillTimer(id);
  auto timer = std::make_unique<Timer>();
  timer->host = this;
  timer->task = std::move(task);
  timer->browserId = emscripten_set_interval(&WebWindowHost::TimerFired, std::max<std::uint32_t>(periodMs, 1), timer.get());
  timers_[id] = std::move(timer);
}

void WebWindowHost::KillTimer(TimerId id) {
  if (!emscripten_is_main_runtime_thread()) {
    Post([this, id] { KillTimer(id); });
    return;
  }
  auto found = timers_.find(id);
  if (found == timers_.end()) return;
  emscripten_clear_interval(found->second->browserId);
  timers_.erase(found);
}

void WebWindowHost::TimerFired(void* data) {
  // The task may kill or replace its own timer: it runs from a copy.
  Task task = static_cast<Timer*>(data)->task;
  task();
}

void WebWindowHost::SetCapture() { capture_ = true; }
void WebWindowHost::ReleaseCapture() { capture_ = false; }
bool WebWindowHost::HasCapture() const { return capture_; }

void WebWindowHost::SetCursor(const std::string& name) {
  const std::string css = CssCursor(name);
  if (css.empty()) return;
  cursor_ = name;
  zolvex_canvas_cursor(canvasId_.c_str(), css.c_str());
}

std::string WebWindowHost::CurrentCursor() const { return cursor_; }

void WebWindowHost::Invalidate() {
  if (!emscripten_is_main_runtime_thread()) {
    Post([this] { Invalidate(); });
    return;
  }
  unshown_ = true;
  if (framePending_) return;
  framePending_ = true;
  emscripten_request_animation_frame(&WebWindowHost::PaintFrame, HandleData(handle_));
}

int WebWindowHost::PaintFrame(double, void* handle) {
  if (WebWindowHost* host = Live(HandleOf(handle))) {
    host->framePending_ = false;
    // A frame shown at once since (PresentNow) is not copied again.
    if (host->unshown_) host->Present();
  }
  return 0;
}

// Input is handed over as the page's listeners receive it; nothing waits in a queue.
void WebWindowHost::DrainPendingInput() {}

void WebWindowHost::PresentNow() { Present(); }

// One copy per frame, of what changed: the back buffer's premultiplied BGRA pixels become
// the canvas's RGBA (opaque: the alpha byte of a surface carries no meaning) in the staging
// picture, which holds what the canvas shows, and the changed areas of each band of rows
// go to the canvas at once. A frame that changed nowhere is not copied.
void WebWindowHost::Present() {
  if (!listener_) return;
  const Surface* surface = listener_->OnPaint();
  if (!surface) return;
  const int width = surface->Width(), height = surface->Height(), stride = surface->StridePixels();
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  const bool whole = staging_.size() != pixels || stagingWidth_ != width;
  staging_.resize(pixels);
  stagingWidth_ = width;
  changed_.clear();
  for (int top = 0; top < height; top += kBandRows) {
    Rect band{width, top, 0, std::min(top + kBandRows, height)};
    for (int y = band.top; y < band.bottom; ++y) {
      const Pixel* row = surface->Pixels() + static_cast<std::size_t>(y) * stride;
      std::uint32_t* shown = staging_.data() + static_cast<std::size_t>(y) * width;
      const auto [first, last] = whole ? std::pair{0, width} : ChangedColumns(row, shown, width);
      CopyCanvasRow(row + first, shown + first, last - first);
      if (first < last) band = {std::min(band.left, first), band.top, std::max(band.right, last), band.bottom};
    }
    if (band.left < band.right) changed_.insert(changed_.end(), {band.left, band.top, band.right, band.bottom});
  }
  if (!changed_.empty()) {
    zolvex_canvas_present(canvasId_.c_str(), reinterpret_cast<const std::uint8_t*>(staging_.data()), width, height,
                          changed_.data(), static_cast<int>(changed_.size() / 4));
  }
  unshown_ = false;
  ++presents_;
}

// An animation that holds the window thread waits here; the page shows its frames once
// the animation returns to the browser's loop.
void WebWindowHost::Pause(std::uint32_t ms) {
  const double until = emscripten_get_now() + ms;
  while (emscripten_get_now() < until) {
  }
}

// The browser runs the loop: there is nothing to run here and nothing to quit.
void WebWindowHost::Run() {}
bool WebWindowHost::RunFor(std::uint32_t) {
  RunTasks();
  return true;
}
void WebWindowHost::Quit() {}

bool WebWindowHost::OnWindowThread() const { return emscripten_is_main_runtime_thread(); }

void WebWindowHost::DeliverMouse(const MouseEvent& event) {
  if (listener_) listener_->OnMouse(event);
}

void WebWindowHost::DeliverWheel(const WheelEvent& event) {
  if (listener_) listener_->OnWheel(event);
}

void WebWindowHost::DeliverKey(const KeyEvent& event) {
  if (listener_) listener_->OnKey(event);
}

}  // namespace zolvex::platform
