#include "image/codecs/qmpngcodec.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include <png.h>
#include <zlib.h>

#include "image/qmCodecError.h"

namespace zolvex {

namespace {

// Error handling: keep the message and return to the guarded call.
void onError(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  if (text) *text = message ? message : "PNG error";
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readData(png_structp png, png_bytep data, png_size_t length) {
  auto* stream = static_cast<qmIIOStream*>(png_get_io_ptr(png));
  if (stream->read(data, 1, length) != length) png_error(png, "Unexpected end of data");
}

void writeData(png_structp png, png_bytep data, png_size_t length) {
  auto* stream = static_cast<qmIIOStream*>(png_get_io_ptr(png));
  if (stream->write(data, 1, length) != length) png_error(png, "Write error");
}

void flushData(png_structp) {}

// The limit on one chunk that libpng applies when built with its safe limits.
constexpr png_alloc_size_t kMaxChunkBytes = 8000000;
// zlib level of the fast mode: most of the size of the default for a fraction of its time.
constexpr int kFastCompressionLevel = 2;
// Run-length matches only: after the SUB filter a picture's rows hold few longer repeats,
// so searching for them costs more time than it saves bytes; runs (flat areas) stay cheap.
constexpr int kFastCompressionStrategy = Z_RLE;
constexpr png_uint_32 kMaxAncillaryChunks = 1000;

png_voidp boundedMalloc(png_structp png, png_alloc_size_t size);
void plainFree(png_structp, png_voidp memory) { std::free(memory); }

struct Reader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::string error;
  Reader() {
    png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &error, onError, onWarning, this, boundedMalloc,
                                   plainFree);
    if (!png) return;
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxAncillaryChunks);
    info = png_create_info_struct(png);
  }
  // Chunk lengths and decompressed sizes are taken before their bytes are read, so a few
  // bytes of header could make libpng ask for gigabytes. Nothing it keeps legitimately
  // needs more than a chunk's cap or a few rows of the declared width.
  png_alloc_size_t AllocationLimit() const {
    const png_uint_32 width = info ? png_get_image_width(png, info) : 0;
    return std::max<png_alloc_size_t>(kMaxChunkBytes, png_alloc_size_t{width} * 16 + 4096);
  }
  ~Reader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
};

png_voidp boundedMalloc(png_structp png, png_alloc_size_t size) {
  const auto* reader = static_cast<const Reader*>(png_get_mem_ptr(png));
  if (reader && size > reader->AllocationLimit()) return nullptr;  // libpng reports it as out of memory
  return std::malloc(size);
}

struct Writer {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::string error;
  Writer() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onError, onWarning);
    if (png) info = png_create_info_struct(png);
  }
  ~Writer() { png_destroy_write_struct(&png, info ? &info : nullptr); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
};

struct Layout {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int colorType = 0;
  int channels = 0;  // after the transformations
  int sampleBytes = 1;  // 2 for 16-bit samples, which are rounded to 8 bits here
  bool palette = false;
  bool hasAlpha = false;
  bool interlaced = false;
  int dpiX = 0;
  int dpiY = 0;
};

// Reads the header and sets up the transformations to 8-bit samples.
bool readLayout(Reader& r, qmIIOStream& stream, Layout& layout) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_set_read_fn(r.png, &stream, readData);
  png_read_info(r.png, r.info);
  int bitDepth = 0, interlace = 0;
  png_get_IHDR(r.png, r.info, &layout.width, &layout.height, &bitDepth, &layout.colorType, &interlace, nullptr,
               nullptr);
  layout.palette = layout.colorType == PNG_COLOR_TYPE_PALETTE;
  const bool trns = png_get_valid(r.png, r.info, PNG_INFO_tRNS);
  layout.sampleBytes = bitDepth == 16 ? 2 : 1;
  layout.interlaced = interlace != PNG_INTERLACE_NONE;
  if (layout.palette) {
    png_set_packing(r.png);
  } else {
    png_set_expand(r.png);  // low-depth grey to 8 bits, tRNS to an alpha channel
  }
  png_set_interlace_handling(r.png);
  png_read_update_info(r.png, r.info);
  layout.channels = png_get_channels(r.png, r.info);
  layout.hasAlpha = layout.palette ? trns : (layout.channels == 2 || layout.channels == 4);
  png_uint_32 resX = 0, resY = 0;
  int unit = 0;
  if (png_get_pHYs(r.png, r.info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER) {
    layout.dpiX = static_cast<int>(std::lround(resX * 0.0254));
    layout.dpiY = static_cast<int>(std::lround(resY * 0.0254));
  }
  return true;
}

bool readPalette(Reader& r, qmImage& image) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_colorp colors = nullptr;
  int count = 0;
  png_get_PLTE(r.png, r.info, &colors, &count);
  for (int i = 0; i < image.getPaletteSize(); ++i) {
    image.setPaletteColor(i, i < count ? qmRGBQuad{colors[i].blue, colors[i].green, colors[i].red, 0} : qmRGBQuad{});
  }
  png_bytep alphas = nullptr;
  int alphaCount = 0;
  png_color_16p unused = nullptr;
  if (png_get_tRNS(r.png, r.info, &alphas, &alphaCount, &unused)) {
    for (int i = 0; i < image.getPaletteSize(); ++i) {
      qmRGBQuad c = image.getPaletteColor(i);
      c.alpha = i < alphaCount ? alphas[i] : 255;
      image.setPaletteColor(i, c);
      if (i < alphaCount && alphas[i] == 0 && image.info().transparentIndex < 0) {
        image.info().transparentIndex = i;
        image.info().transparentColor = c;
      }
    }
  }
  return true;
}

bool readAllRows(Reader& r, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_read_image(r.png, rows.data());
  png_read_end(r.png, nullptr);
  return true;
}

bool readOneRow(Reader& r, png_bytep row) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_read_row(r.png, row, nullptr);
  return true;
}

// One row of decoded samples in the image's form: palette indices or grey values for
// indexed pictures, blue-green-red otherwise; alpha, when given, receives the alpha.
void storeRow(const Layout& layout, const std::uint8_t* row, std::uint8_t* out, std::uint8_t* alpha,
              const qmImage& image) {
  const int step = layout.channels * layout.sampleBytes;
  std::uint8_t pixel[4] = {};
  for (int x = 0; x < static_cast<int>(layout.width); ++x, row += step) {
    const std::uint8_t* in = row;
    if (layout.sampleBytes == 2) {
      // Big-endian 16-bit samples, rounded: (v + 128) / 257.
      for (int c = 0; c < layout.channels; ++c) pixel[c] = static_cast<std::uint8_t>(((row[2 * c] << 8 | row[2 * c + 1]) + 128) / 257);
      in = pixel;
    }
    if (layout.palette) {
      out[x] = in[0];
      if (alpha) alpha[x] = image.getPaletteColor(in[0]).alpha;
    } else if (layout.channels <= 2) {
      out[x] = in[0];
      if (alpha) alpha[x] = in[1];
    } else {
      out[x * 3] = in[2];
      out[x * 3 + 1] = in[1];
      out[x * 3 + 2] = in[0];
      if (alpha) alpha[x] = in[3];
    }
  }
}

// Moves the decoded samples into the image (and its alpha plane).
void storePixels(const Layout& layout, const std::vector<std::uint8_t>& samples, qmImage& image) {
  const size_t rowBytes = static_cast<size_t>(layout.width) * layout.channels * layout.sampleBytes;
  for (int y = 0; y < static_cast<int>(layout.height); ++y) {
    storeRow(layout, &samples[rowBytes * y], image.getRow(y), image.getAlphaRow(y), image);
  }
  if (layout.palette) {
    // Transparency lives in the alpha plane; the palette keeps plain colours.
    for (int i = 0; i < image.getPaletteSize(); ++i) {
      qmRGBQuad c = image.getPaletteColor(i);
      c.alpha = 0;
      image.setPaletteColor(i, c);
    }
  }
}

bool writePng(Writer& w, qmIIOStream& stream, const qmImage& image, std::vector<png_bytep>& rows, bool fast) {
  if (setjmp(png_jmpbuf(w.png))) return false;
  png_set_write_fn(w.png, &stream, writeData, flushData);
  if (fast) {
    png_set_filter(w.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(w.png, kFastCompressionLevel);
    png_set_compression_strategy(w.png, kFastCompressionStrategy);
  }
  const bool palette = image.getBitsPerPixel() < 24;
  const bool alpha = image.hasAlpha();
  const int colorType = palette ? PNG_COLOR_TYPE_PALETTE : alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(image.getWidth()), static_cast<png_uint_32>(image.getHeight()),
               palette ? image.getBitsPerPixel() : 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> colors(static_cast<size_t>(image.getPaletteSize()));
  std::vector<png_byte> alphas(colors.size(), 255);
  bool anyAlpha = false;
  for (size_t i = 0; i < colors.size(); ++i) {
    const qmRGBQuad c = image.getPaletteColor(static_cast<int>(i));
    colors[i] = {c.red, c.green, c.blue};
  }
  if (palette) {
    png_set_PLTE(w.png, w.info, colors.data(), static_cast<int>(colors.size()));
    const int transparent = image.info().transparentIndex;
    if (transparent >= 0 && transparent < static_cast<int>(alphas.size())) {
      alphas[static_cast<size_t>(transparent)] = 0;
      anyAlpha = true;
    }
    if (anyAlpha) png_set_tRNS(w.png, w.info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
  }
  auto perMetre = [](int dpi) { return static_cast<png_uint_32>(std::lround(dpi / 0.0254)); };
  png_set_pHYs(w.png, w.info, perMetre(image.info().dpiX), perMetre(image.info().dpiY), PNG_RESOLUTION_METER);
  png_write_info(w.png, w.info);
  png_write_image(w.png, rows.data());
  png_write_end(w.png, w.info);
  return true;
}

}  // namespace

bool qmPngDecoder::checkHeader() {
  try {
    qmIIOStream& s = stream();
    s.seek(0, 0);
    png_byte signature[8];
    return s.read(signature, 1, 8) == 8 && png_sig_cmp(signature, 0, 8) == 0;
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return false;
  }
}

qmImageHeaderInfo qmPngDecoder::readHeaderInfo() {
  qmIIOStream& s = stream();
  s.seek(0, 0);
  Reader r;
  Layout layout;
  if (!r.info || !readLayout(r, s, layout)) throw qmCodecError(r.error.empty() ? "Not a PNG" : r.error);
  return {static_cast<int>(layout.width), static_cast<int>(layout.height),
          layout.palette || layout.channels <= 2 ? 8 : 24, qmFormatPng};
}

std::unique_ptr<qmImage> qmPngDecoder::decodeImage() {
  qmIIOStream& s = stream();
  s.seek(0, 0);
  Reader r;
  Layout layout;
  if (!r.info || !readLayout(r, s, layout)) throw qmCodecError(r.error.empty() ? "Not a PNG" : r.error);
  auto image = std::make_unique<qmImage>();
  const bool indexed = layout.palette || layout.channels <= 2;
  if (layout.width > 0x7FFFFFFF || layout.height > 0x7FFFFFFF ||
      !image->create(static_cast<int>(layout.width), static_cast<int>(layout.height), indexed ? 8 : 24)) {
    throw qmCodecError("Image too large");
  }
  image->info().formatId = qmFormatPng;
  if (layout.dpiX > 0 && layout.dpiY > 0) image->setResolution(layout.dpiX, layout.dpiY);
  if (layout.palette && !readPalette(r, *image)) throw qmCodecError(r.error);
  if (layout.hasAlpha) image->createAlpha();
  const size_t rowBytes = static_cast<size_t>(layout.width) * layout.channels * layout.sampleBytes;
  std::vector<std::uint8_t> samples(rowBytes * layout.height);
  std::vector<png_bytep> rows(layout.height);
  for (png_uint_32 y = 0; y < layout.height; ++y) rows[y] = &samples[rowBytes * y];
  if (!readAllRows(r, rows)) throw qmCodecError(r.error);
  storePixels(layout, samples, *image);
  return image;
}

struct qmPngDecoder::RowState {
  Reader reader;
  Layout layout;
  qmImage palette;  // the colours of indexed pictures (grey ones keep the grey palette)
  std::vector<std::uint8_t> samples;
  std::vector<std::uint8_t> indices;
  png_uint_32 next = 0;
};

qmPngDecoder::qmPngDecoder(qmIIOStream* stream, const qmImageDecodeParam& param) : qmImageDecoder(stream, param) {}

qmPngDecoder::~qmPngDecoder() = default;

void qmPngDecoder::startRows() {
  qmIIOStream& s = stream();
  s.seek(0, 0);
  auto state = std::make_unique<RowState>();
  Reader& r = state->reader;
  Layout& layout = state->layout;
  if (!r.info || !readLayout(r, s, layout)) throw qmCodecError(r.error.empty() ? "Not a PNG" : r.error);
  if (layout.interlaced || layout.width > 0x7FFFFFFF || layout.height > 0x7FFFFFFF) {
    // Interlaced rows complete only in the last pass: the picture is read whole.
    qmImageDecoder::startRows();
    return;
  }
  state->palette.create(1, 1, 8);
  if (layout.palette && !readPalette(r, state->palette)) throw qmCodecError(r.error);
  state->samples.resize(static_cast<size_t>(layout.width) * layout.channels * layout.sampleBytes);
  state->indices.resize(layout.width);
  headerInfo_ = {static_cast<int>(layout.width), static_cast<int>(layout.height), 24, qmFormatPng};
  rowState_ = std::move(state);
}

int qmPngDecoder::nextRows(std::uint8_t* const* rows, int count) {
  if (!rowState_) return qmImageDecoder::nextRows(rows, count);
  RowState& state = *rowState_;
  const Layout& layout = state.layout;
  const bool indexed = layout.palette || layout.channels <= 2;
  int filled = 0;
  for (; filled < count && state.next < layout.height; ++filled, ++state.next) {
    if (!readOneRow(state.reader, state.samples.data())) throw qmCodecError(state.reader.error);
    std::uint8_t* out = rows[filled];
    if (!indexed) {
      storeRow(layout, state.samples.data(), out, nullptr, state.palette);
      continue;
    }
    storeRow(layout, state.samples.data(), state.indices.data(), nullptr, state.palette);
    for (png_uint_32 x = 0; x < layout.width; ++x, out += 3) {
      const qmRGBQuad c = state.palette.getPaletteColor(state.indices[x]);
      out[0] = c.blue;
      out[1] = c.green;
      out[2] = c.red;
    }
  }
  return filled;
}

void qmPngEncoder::writeImage(const qmImage& image) {
  const bool palette = image.getBitsPerPixel() < 24;
  const bool alpha = image.hasAlpha() && !palette;
  const int channels = palette ? 0 : alpha ? 4 : 3;
  std::vector<std::uint8_t> samples;
  std::vector<png_bytep> rows(static_cast<size_t>(image.getHeight()));
  if (palette) {
    // Palette rows are packed like the image's own rows (leftmost pixel in the high bits).
    for (int y = 0; y < image.getHeight(); ++y) rows[y] = const_cast<png_bytep>(image.getRow(y));
  } else {
    const size_t rowBytes = static_cast<size_t>(image.getWidth()) * channels;
    samples.resize(rowBytes * image.getHeight());
    for (int y = 0; y < image.getHeight(); ++y) {
      const std::uint8_t* in = image.getRow(y);
      std::uint8_t* out = &samples[rowBytes * y];
      rows[y] = out;
      for (int x = 0; x < image.getWidth(); ++x, in += 3, out += channels) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        if (alpha) out[3] = image.getAlphaRow(y)[x];
      }
    }
  }
  Writer w;
  if (!w.info) throw qmCodecError("PNG writer unavailable");
  if (!writePng(w, stream(), image, rows, fast_)) throw qmCodecError(w.error);
}

}  // namespace zolvex
