#include "platform/web/BrowserDecoderWorker.h"

#include <emscripten.h>
#include <emscripten/threading.h>

#include <atomic>
#include <vector>

#include "platform/web/JpegColourPlanes.h"

namespace zolvex::platform {

namespace {

// A record's life: a thread claims a free one, fills it and posts it; the worker takes it,
// decodes, and while writing the pixels holds it in kWriting; the thread reads the outcome
// (pixels, or the picture's colour planes, which it converts itself) and frees it. A
// thread that stops waiting abandons the record, and the worker frees it without writing.
// zolvex-decoder.js knows these numbers and the layouts below.
enum RecordState : std::int32_t {
  kFree = 0,
  kClaimed = 1,
  kPosted = 2,
  kTaken = 3,
  kWriting = 4,
  kDone = 5,
  kFailed = 6,
  kAbandoned = 7,
  kDonePlanes = 8,
};

struct DecodeRecord {
  std::atomic<std::int32_t> state{kFree};
  std::int32_t input = 0;
  std::int32_t length = 0;
  std::int32_t output = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;  // in pixels
  std::int32_t planes = 0;  // room for the colour planes (JpegColourPlanes::Size)
};

constexpr int kRecords = 8;  // more than the decode pool's threads
constexpr int kRecordWords = sizeof(DecodeRecord) / 4;

struct DecoderChannel {
  std::atomic<std::int32_t> ready{0};  // 1 while the worker answers
  std::atomic<std::int32_t> bell{0};   // counts posted records; the worker waits on it
  std::atomic<std::int32_t> decoded{0};
  std::atomic<std::int32_t> refused{0};
  DecodeRecord records[kRecords];
};
static_assert(std::atomic<std::int32_t>::is_always_lock_free && sizeof(DecodeRecord) == 32);
static_assert(sizeof(void*) == 4, "the worker reads addresses as 32-bit words");

DecoderChannel channel;

// A decode takes about a millisecond; a worker that answers none within this much is taken
// for gone until it answers again.
constexpr int kAnswerMs = 2000;

std::int32_t Address(const void* pointer) { return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(pointer)); }

// clang-format off
EM_JS(void, zolvex_decoder_start, (void* channel, int records, int recordWords), {
  if (typeof Worker === 'undefined' || typeof SharedArrayBuffer === 'undefined' ||
      !(wasmMemory.buffer instanceof SharedArrayBuffer)) {
    return;
  }
  try {
    const worker = new Worker(locateFile('zolvex-decoder.js'));
    worker.postMessage({ memory: wasmMemory.buffer, channel: channel, records: records, recordWords: recordWords });
    Module['decoderWorker'] = worker;
  } catch (e) {
  }
});

// Tells the worker that a record waits for it.
EM_JS(void, zolvex_decoder_ring, (void* bell), {
  Atomics.add(HEAP32, bell >> 2, 1);
  Atomics.notify(HEAP32, bell >> 2);
});

// Waits while a record is posted, taken or being written, at most timeoutMs; answers its
// state then.
EM_JS(int, zolvex_decoder_wait, (void* state, int timeoutMs), {
  const at = state >> 2;
  const deadline = performance.now() + timeoutMs;
  let now = performance.now();
  let current = Atomics.load(HEAP32, at);
  while ((current === 2 || current === 3 || current === 4) && now < deadline) {
    Atomics.wait(HEAP32, at, current, deadline - now);
    current = Atomics.load(HEAP32, at);
    now = performance.now();
  }
  return current;
});
// clang-format on

DecodeRecord* ClaimRecord() {
  for (DecodeRecord& record : channel.records) {
    std::int32_t expected = kFree;
    if (record.state.compare_exchange_strong(expected, kClaimed)) return &record;
  }
  return nullptr;
}

// The outcome of a posted record once waiting has ended (kDone, kDonePlanes or kFailed);
// the record is free again, or left abandoned to the worker when it has not answered.
std::int32_t Settle(DecodeRecord& record, std::int32_t state) {
  for (;;) {
    if (state == kDone || state == kDonePlanes || state == kFailed) {
      record.state.store(kFree);
      return state;
    }
    if (state == kWriting) {  // the worker is converting the pixels into the buffer: moments
      state = zolvex_decoder_wait(&record.state, kAnswerMs);
      continue;
    }
    if (record.state.compare_exchange_strong(state, kAbandoned)) {
      channel.ready.store(0);
      return kFailed;
    }
  }
}

// The worker starts with the module, so that it is ready by the time the first tiles come.
[[maybe_unused]] const bool startedWithModule = (BrowserDecoderWorker::Start(), true);

}  // namespace

void BrowserDecoderWorker::Start() {
  static std::atomic<bool> started{false};
  if (!emscripten_is_main_runtime_thread() || started.exchange(true)) return;
  zolvex_decoder_start(&channel, kRecords, kRecordWords);
}

bool BrowserDecoderWorker::Ready() { return channel.ready.load() == 1; }

bool BrowserDecoderWorker::Available() { return Ready() && !emscripten_is_main_browser_thread(); }

bool BrowserDecoderWorker::Decode(const std::uint8_t* bytes, std::size_t length, int width, int height,
                                  Pixel* pixels, int stridePixels) {
  if (!Available() || !bytes || length == 0 || width <= 0 || height <= 0 || stridePixels < width) return false;
  DecodeRecord* record = ClaimRecord();
  if (!record) return false;
  thread_local std::vector<std::uint8_t> planes;
  planes.resize(JpegColourPlanes::Size(width, height));
  record->planes = Address(planes.data());
  record->input = Address(bytes);
  record->length = static_cast<std::int32_t>(length);
  record->output = Address(pixels);
  record->width = width;
  record->height = height;
  record->stride = stridePixels;
  record->state.store(kPosted);
  zolvex_decoder_ring(&channel.bell);
  const std::int32_t outcome = Settle(*record, zolvex_decoder_wait(&record->state, kAnswerMs));
  if (outcome == kDonePlanes) JpegColourPlanes::ToPixels(planes.data(), width, height, pixels, stridePixels);
  return outcome != kFailed;
}

int BrowserDecoderWorker::Decoded() { return channel.decoded.load(); }

int BrowserDecoderWorker::Refused() { return channel.refused.load(); }

}  // namespace zolvex::platform
