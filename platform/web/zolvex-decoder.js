// The module's JPEG decoder: a plain worker that decodes with the browser's own decoder
// (WebCodecs), which is several times faster than a decoder compiled to WebAssembly. It
// shares the module's memory: the module's threads post records there (BrowserDecoderWorker
// .cpp has their layout) and wait on them; the worker writes the picture straight into the
// waiting thread's buffers and wakes it: its colour planes, which the thread converts as our
// own decoder does, or, where the browser gives none, 32-bit blue, green, red, opaque
// pixels. A stream it cannot decode is answered as refused and the thread decodes it itself.
'use strict';

const FREE = 0, POSTED = 2, TAKEN = 3, WRITING = 4, DONE = 5, FAILED = 6, ABANDONED = 7, DONE_PLANES = 8;
const READY = 0, BELL = 1, DECODED = 2, REFUSED = 3, FIRST_RECORD = 4;
const STATE = 0, INPUT = 1, LENGTH = 2, OUTPUT = 3, WIDTH = 4, HEIGHT = 5, STRIDE = 6, PLANES = 7;

let words = null, bytes = null, channel = 0, records = [];
// Records being decoded: only their decode may free them once abandoned.
const busy = new Set();

self.onmessage = async function (event) {
  const setup = event.data;
  words = new Int32Array(setup.memory);
  bytes = new Uint8Array(setup.memory);
  channel = setup.channel >> 2;
  for (let i = 0; i < setup.records; ++i) records.push(channel + FIRST_RECORD + i * setup.recordWords);
  if (!(await usable())) return;
  Atomics.store(words, channel + READY, 1);
  serve();
};

async function usable() {
  if (typeof ImageDecoder !== 'function' || typeof Atomics.waitAsync !== 'function') return false;
  try {
    return await ImageDecoder.isTypeSupported('image/jpeg');
  } catch (e) {
    return false;
  }
}

// Takes what was posted, then sleeps until the bell rings again.
async function serve() {
  for (;;) {
    const seen = Atomics.load(words, channel + BELL);
    for (const record of records) take(record);
    const wait = Atomics.waitAsync(words, channel + BELL, seen);
    if (wait.async) await wait.value;
  }
}

function take(record) {
  if (busy.has(record)) return;
  const state = Atomics.compareExchange(words, record + STATE, POSTED, TAKEN);
  if (state === POSTED) {
    decode(record);
  } else if (state === ABANDONED) {
    Atomics.compareExchange(words, record + STATE, ABANDONED, FREE);
  }
}

async function decode(record) {
  busy.add(record);
  const input = words[record + INPUT] >>> 0;
  const stream = bytes.slice(input, input + words[record + LENGTH]);
  const width = words[record + WIDTH], height = words[record + HEIGHT], stride = words[record + STRIDE];
  let image = null;
  try {
    image = await decodeJpeg(stream, width, height);
  } catch (e) {
    image = null;
  }
  busy.delete(record);
  Atomics.store(words, channel + READY, 1);
  // The waiting thread may have given up meanwhile: its buffer is then no longer ours.
  if (Atomics.compareExchange(words, record + STATE, TAKEN, WRITING) !== TAKEN) {
    if (image) image.close();
    Atomics.store(words, record + STATE, FREE);
    return;
  }
  const outcome = image === null ? FAILED : await deliver(image, record, width, height, stride);
  Atomics.add(words, channel + (outcome === FAILED ? REFUSED : DECODED), 1);
  Atomics.store(words, record + STATE, outcome);
  Atomics.notify(words, record + STATE);
}

// Hands the picture over as its colour planes where the browser has them (the waiting
// thread converts them as our own decoder does), or else as pixels; answers the record's
// outcome. Closes the picture.
async function deliver(image, record, width, height, stride) {
  try {
    if (image.format === 'I420' && (await copyPlanes(image, words[record + PLANES] >>> 0, width, height))) {
      return DONE_PLANES;
    }
    return (await copyPixels(image, words[record + OUTPUT] >>> 0, width, height, stride)) ? DONE : FAILED;
  } finally {
    image.close();
  }
}

// The planes one after the other: luma in rows of width, then both chroma planes in rows of
// half the width (rounded up), as JpegColourPlanes reads them.
async function copyPlanes(image, output, width, height) {
  const halfWidth = (width + 1) >> 1, halfHeight = (height + 1) >> 1;
  const luma = width * height, chroma = halfWidth * halfHeight;
  try {
    await image.copyTo(bytes.subarray(output, output + luma + 2 * chroma), {
      layout: [{ offset: 0, stride: width }, { offset: luma, stride: halfWidth },
               { offset: luma + chroma, stride: halfWidth }] });
    return true;
  } catch (e) {
    return false;
  }
}

// The stream's picture, or null when it does not decode to one of width x height.
async function decodeJpeg(stream, width, height) {
  const decoder = new ImageDecoder({ data: stream, type: 'image/jpeg', colorSpaceConversion: 'none',
                                     premultiplyAlpha: 'none' });
  try {
    const { image } = await decoder.decode();
    if (image.displayWidth === width && image.displayHeight === height) return image;
    image.close();
    return null;
  } finally {
    decoder.close();
  }
}

// Converts the picture into rows of stride pixels at output, in the module's memory (the
// waiting thread holds its buffers until the record is answered).
async function copyPixels(image, output, width, height, stride) {
  try {
    const target = bytes.subarray(output, output + 4 * (stride * (height - 1) + width));
    await image.copyTo(target, { format: 'BGRX', layout: [{ offset: 0, stride: 4 * stride }] });
    return true;
  } catch (e) {
    return false;
  }
}
