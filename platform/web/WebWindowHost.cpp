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

// Whether two rows of the same width hold the same pixels, compared four at a time.
bool SameRow(const Pixel* a, const Pixel* b, int width) {
  int x = 0;
  for (; x + 4 <= width; x += 4) {
    if (wasm_v128_any_true(wasm_v128_xor(wasm_v128_load(a + x), wasm_v128_load(b + x)))) return false;
  }
  for (; x < width; ++x) {
    if (a[x] != b[x]) return false;
  }
  return true;
}

}  // namespace

// clang-format off
// Shows a frame through WebGL: the texture holds the back buffer's BGRA bytes as they are
// (the shader swaps the channels), and the bands of rows [top, bottom) given in rows
// (count pairs) are uploaded straight from the module's memory before the texture is
// drawn over the whole canvas; the whole picture when the texture is new. Answers 0 when
// the canvas does not use WebGL, 1 otherwise.
// WebGL is used where the browser draws it on a graphics processor: a software renderer
// (SwiftShader in headless Chromium) spends several times what the 2-D canvas does on the
// same frames. A page chooses otherwise with data-zolvex-canvas="webgl" or "2d" on the
// control's element or an element around it.
EM_JS(int, zolvex_gl_present, (const char* id, const std::uint8_t* bgra, int width, int height,
                               const int* rows, int count), {
  const canvas = document.getElementById(UTF8ToString(id));
  if (!canvas) return 1;
  let view = canvas.__zolvexGl;
  if (view === undefined) {
    const chosen = canvas.closest('[data-zolvex-canvas]');
    const choice = chosen ? chosen.dataset.zolvexCanvas : null;
    // Frames are opaque and drawn whole each time: no alpha, depth or smoothing. The drawing
    // buffer is kept so that the page can read the canvas's pixels between frames.
    const options = { alpha: false, depth: false, stencil: false, antialias: false, preserveDrawingBuffer: true,
                      failIfMajorPerformanceCaveat: choice !== 'webgl' };
    // Whether the page's WebGL draws in software (or is missing) is asked once of a canvas
    // of its own: a canvas that has had a WebGL context cannot take a 2-D one any more.
    // Chromium does not count its SwiftShader as a performance caveat; the renderer's name tells.
    if (globalThis.__zolvexSoftwareWebGl === undefined) {
      const probe = document.createElement('canvas').getContext('webgl', { failIfMajorPerformanceCaveat: true });
      const info = probe && probe.getExtension('WEBGL_debug_renderer_info');
      const renderer = info ? String(probe.getParameter(info.UNMASKED_RENDERER_WEBGL)) : "";
      globalThis.__zolvexSoftwareWebGl = !probe || /swiftshader|llvmpipe|softpipe|software/i.test(renderer);
      const release = probe && probe.getExtension('WEBGL_lose_context');
      if (release) release.loseContext();
    }
    const gl = choice === '2d' || (choice !== 'webgl' && globalThis.__zolvexSoftwareWebGl) ? null
             : canvas.getContext('webgl2', options) || canvas.getContext('webgl', options);
    view = canvas.__zolvexGl = gl ? { gl: gl, texture: null } : null;
    if (gl) {
      // A lost context is rebuilt when the browser restores it; until then frames are skipped.
      canvas.addEventListener('webglcontextlost', (event) => { event.preventDefault(); view.texture = null; });
    }
  }
  if (!view) return 0;
  const gl = view.gl;
  if (gl.isContextLost()) return 1;
  let whole = false;
  if (!view.texture) {
    const shader = (type, source) => {
      const made = gl.createShader(type);
      gl.shaderSource(made, source);
      gl.compileShader(made);
      return made;
    };
    const program = gl.createProgram();
    gl.attachShader(program, shader(gl.VERTEX_SHADER, 'attribute vec2 corner; void main() { gl_Position = vec4(corner, 0.0, 1.0); }'));
    gl.attachShader(program, shader(gl.FRAGMENT_SHADER,
      'precision highp float; uniform sampler2D frame; uniform vec2 size;' +
      'void main() { vec4 bgra = texture2D(frame, vec2(gl_FragCoord.x, size.y - gl_FragCoord.y) / size);' +
      ' gl_FragColor = vec4(bgra.b, bgra.g, bgra.r, 1.0); }'));
    gl.linkProgram(program);
    gl.useProgram(program);
    view.size = gl.getUniformLocation(program, 'size');
    // One triangle covering the canvas.
    gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
    gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 3, -1, -1, 3]), gl.STATIC_DRAW);
    const corner = gl.getAttribLocation(program, 'corner');
    gl.enableVertexAttribArray(corner);
    gl.vertexAttribPointer(corner, 2, gl.FLOAT, false, 0, 0);
    view.texture = gl.createTexture();
    gl.bindTexture(gl.TEXTURE_2D, view.texture);
    for (const [name, value] of [[gl.TEXTURE_MIN_FILTER, gl.NEAREST], [gl.TEXTURE_MAG_FILTER, gl.NEAREST],
                                 [gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE], [gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE]]) {
      gl.texParameteri(gl.TEXTURE_2D, name, value);
    }
    view.width = view.height = 0;
  }
  if (canvas.width !== width) canvas.width = width;
  if (canvas.height !== height) canvas.height = height;
  if (view.width !== width || view.height !== height) {
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, width, height, 0, gl.RGBA, gl.UNSIGNED_BYTE, null);
    gl.uniform2f(view.size, width, height);
    view.width = width;
    view.height = height;
    whole = true;
  }
  const bands = whole ? [0, height] : HEAP32.subarray(rows >> 2, (rows >> 2) + 2 * count);
  for (let i = 0; i < bands.length; i += 2) {
    const top = bands[i], bottom = bands[i + 1];
    gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, top, width, bottom - top, gl.RGBA, gl.UNSIGNED_BYTE,
                     HEAPU8.subarray(bgra + top * width * 4, bgra + bottom * width * 4));
  }
  gl.viewport(0, 0, width, height);
  gl.drawArrays(gl.TRIANGLES, 0, 3);
  return 1;
});

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

// One copy per frame, of what changed, through WebGL where the canvas has it and through the
// 2-D canvas otherwise. A frame that changed nowhere is not copied.
void WebWindowHost::Present() {
  if (!listener_) return;
  const Surface* surface = listener_->OnPaint();
  if (!surface) return;
  if (!canvas2d_ && !PresentWithGl(*surface)) {
    canvas2d_ = true;
    staging_.clear();
  }
  if (canvas2d_) PresentWith2d(*surface);
  unshown_ = false;
  ++presents_;
}

// Readies the staging picture and the changed areas for a frame of this size; true when the
// staging picture is new, so that the whole frame is to be copied.
bool WebWindowHost::StartStaging(int width, int height) {
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  const bool whole = staging_.size() != pixels || stagingWidth_ != width;
  staging_.resize(pixels);
  stagingWidth_ = width;
  changed_.clear();
  return whole;
}

// The staging picture holds the back buffer's pixels as the texture has them; the bands of
// rows that differ from it are copied into it and uploaded, adjacent bands as one.
bool WebWindowHost::PresentWithGl(const Surface& surface) {
  const int width = surface.Width(), height = surface.Height(), stride = surface.StridePixels();
  const bool whole = StartStaging(width, height);
  for (int top = 0; top < height; top += kBandRows) {
    const int bottom = std::min(top + kBandRows, height);
    int y = top;
    while (y < bottom && !whole && SameRow(surface.Pixels() + static_cast<std::size_t>(y) * stride,
                                           staging_.data() + static_cast<std::size_t>(y) * width, width)) {
      ++y;
    }
    if (y == bottom) continue;
    for (; y < bottom; ++y) {
      std::memcpy(staging_.data() + static_cast<std::size_t>(y) * width,
                  surface.Pixels() + static_cast<std::size_t>(y) * stride, width * sizeof(Pixel));
    }
    if (!changed_.empty() && changed_.back() == top) {
      changed_.back() = bottom;
    } else {
      changed_.insert(changed_.end(), {top, bottom});
    }
  }
  if (changed_.empty()) return true;
  return zolvex_gl_present(canvasId_.c_str(), reinterpret_cast<const std::uint8_t*>(staging_.data()), width, height,
                           changed_.data(), static_cast<int>(changed_.size() / 2)) != 0;
}

// The back buffer's premultiplied BGRA pixels become the canvas's RGBA (opaque: the alpha
// byte of a surface carries no meaning) in the staging picture, which holds what the canvas
// shows, and the changed areas of each band of rows go to the canvas at once.
void WebWindowHost::PresentWith2d(const Surface& surface) {
  const int width = surface.Width(), height = surface.Height(), stride = surface.StridePixels();
  const bool whole = StartStaging(width, height);
  for (int top = 0; top < height; top += kBandRows) {
    Rect band{width, top, 0, std::min(top + kBandRows, height)};
    for (int y = band.top; y < band.bottom; ++y) {
      const Pixel* row = surface.Pixels() + static_cast<std::size_t>(y) * stride;
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
