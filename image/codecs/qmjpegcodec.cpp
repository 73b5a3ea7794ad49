#include "image/codecs/qmjpegcodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "image/qmCodecError.h"

namespace zolvex {

namespace {

constexpr size_t kBufferSize = 4096;

// Error handling: remember the message and jump back to the guarded call.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr cinfo) {
  // Warnings are not printed; the last one is kept for diagnosis.
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
}

void installErrors(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = onError;
  err.pub.output_message = onMessage;
  err.message[0] = '\0';
}

// Source: the decoder's stream in blocks. The end of the stream is an error: a truncated
// picture is not delivered half grey.
struct Source {
  jpeg_source_mgr pub;
  qmIIOStream* stream;
  JOCTET buffer[kBufferSize];
};

void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<Source*>(cinfo->src);
  const size_t n = src->stream->read(src->buffer, 1, kBufferSize);
  if (n == 0) ERREXIT(cinfo, JERR_INPUT_EOF);
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = n;
  return TRUE;
}

void skipInput(j_decompress_ptr cinfo, long count) {
  auto* src = reinterpret_cast<Source*>(cinfo->src);
  while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
    count -= static_cast<long>(src->pub.bytes_in_buffer);
    fillInput(cinfo);
  }
  if (count > 0) {
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
  }
}

void termSource(j_decompress_ptr) {}

// Everything one decompression needs; the library object is destroyed with it.
struct Decompress {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  Source src;

  explicit Decompress(qmIIOStream& stream) {
    std::memset(&cinfo, 0, sizeof cinfo);
    installErrors(err);
    cinfo.err = &err.pub;
    src.stream = &stream;
    src.pub.init_source = initSource;
    src.pub.fill_input_buffer = fillInput;
    src.pub.skip_input_data = skipInput;
    src.pub.resync_to_restart = jpeg_resync_to_restart;
    src.pub.term_source = termSource;
    src.pub.next_input_byte = nullptr;
    src.pub.bytes_in_buffer = 0;
  }
  ~Decompress() { jpeg_destroy_decompress(&cinfo); }
  Decompress(const Decompress&) = delete;
  Decompress& operator=(const Decompress&) = delete;
};

// The library calls below may jump back to the setjmp; nothing with a destructor lives in
// these frames.
bool readJpegHeader(Decompress& d) {
  if (setjmp(d.err.jump)) return false;
  jpeg_create_decompress(&d.cinfo);
  d.cinfo.src = &d.src.pub;
  jpeg_read_header(&d.cinfo, TRUE);
  return true;
}

int dotsPerInch(int density, int unit) {
  if (unit == 1) return density;
  if (unit == 2) return static_cast<int>(density * 2.54 + 0.5);
  return 0;
}

bool createImage(Decompress& d, qmImage& image) {
  const int components = d.cinfo.num_components;
  if (components != 1 && components != 3 && components != 4) return false;
  // Every row is decoded before the picture is kept (a fault drops it), so the block
  // need not be cleared first.
  if (!image.createUncleared(static_cast<int>(d.cinfo.image_width), static_cast<int>(d.cinfo.image_height),
                             components * 8)) {
    return false;
  }
  const int dpiX = dotsPerInch(d.cinfo.X_density, d.cinfo.density_unit);
  const int dpiY = dotsPerInch(d.cinfo.Y_density, d.cinfo.density_unit);
  if (dpiX > 0 && dpiY > 0) image.setResolution(dpiX, dpiY);
  image.info().formatId = qmFormatJpeg;
  return true;
}

// Converts one decoded scanline (RGB or inverted CMYK) to the image's blue-green-red row.
void storeScanline(const JSAMPLE* line, int components, int width, std::uint8_t* row) {
  if (components == 3) {
    for (int x = 0; x < width; ++x, line += 3, row += 3) {
      row[0] = line[2];
      row[1] = line[1];
      row[2] = line[0];
    }
  } else if (components == 4) {
    for (int x = 0; x < width; ++x, line += 4, row += 3) {
      const int k = line[3];
      row[0] = static_cast<std::uint8_t>(k * line[2] / 255);
      row[1] = static_cast<std::uint8_t>(k * line[1] / 255);
      row[2] = static_cast<std::uint8_t>(k * line[0] / 255);
    }
  } else {
    std::memcpy(row, line, static_cast<size_t>(width));
  }
}

// Whether rows can go straight into blue-green-red rows (or grey rows for a grey picture):
// libjpeg-turbo delivers blue-green-red itself.
bool choosesDirectOutput(Decompress& d, bool greyToColour) {
#ifdef JCS_EXTENSIONS
  if (d.cinfo.num_components == 3 || (greyToColour && d.cinfo.num_components == 1)) {
    d.cinfo.out_color_space = JCS_EXT_BGR;
  }
  return d.cinfo.num_components != 4;
#else
  if (d.cinfo.num_components == 3) d.cinfo.out_color_space = JCS_RGB;
  return d.cinfo.num_components == 1 && !greyToColour;
#endif
}

bool decodePixels(Decompress& d, qmImage& image, JSAMPLE* scanline) {
  if (setjmp(d.err.jump)) return false;
  const bool direct = choosesDirectOutput(d, false);
  jpeg_start_decompress(&d.cinfo);
  const int width = static_cast<int>(d.cinfo.output_width);
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    const int y = static_cast<int>(d.cinfo.output_scanline);
    if (direct) {
      JSAMPROW row = image.getRow(y);
      jpeg_read_scanlines(&d.cinfo, &row, 1);
      continue;
    }
    jpeg_read_scanlines(&d.cinfo, &scanline, 1);
    storeScanline(scanline, d.cinfo.output_components, width, image.getRow(y));
  }
  jpeg_finish_decompress(&d.cinfo);
  return true;
}

bool startRowDecoding(Decompress& d, bool& direct) {
  if (setjmp(d.err.jump)) return false;
  direct = choosesDirectOutput(d, true);
  jpeg_start_decompress(&d.cinfo);
  return true;
}

// Fills up to count blue-green-red rows; -1 on a fault.
int decodeRows(Decompress& d, bool direct, JSAMPLE* scanline, std::uint8_t* const* rows, int count) {
  if (setjmp(d.err.jump)) return -1;
  int filled = 0;
  while (filled < count && d.cinfo.output_scanline < d.cinfo.output_height) {
    if (direct) {
      filled += static_cast<int>(jpeg_read_scanlines(&d.cinfo, const_cast<JSAMPARRAY>(rows + filled),
                                                     static_cast<JDIMENSION>(count - filled)));
      continue;
    }
    jpeg_read_scanlines(&d.cinfo, &scanline, 1);
    storeScanline(scanline, d.cinfo.output_components, static_cast<int>(d.cinfo.output_width), rows[filled]);
    if (d.cinfo.output_components == 1) {
      // A grey row spread to blue, green and red, from the right so that nothing is overwritten.
      std::uint8_t* row = rows[filled];
      for (int x = static_cast<int>(d.cinfo.output_width) - 1; x >= 0; --x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = row[x];
    }
    ++filled;
  }
  return filled;
}

// Compression side.
struct Destination {
  jpeg_destination_mgr pub;
  qmIIOStream* stream;
  JOCTET buffer[kBufferSize];
};

void initDestination(j_compress_ptr cinfo) {
  auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
  dst->pub.next_output_byte = dst->buffer;
  dst->pub.free_in_buffer = kBufferSize;
}

boolean emptyOutput(j_compress_ptr cinfo) {
  auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
  if (dst->stream->write(dst->buffer, 1, kBufferSize) != kBufferSize) ERREXIT(cinfo, JERR_FILE_WRITE);
  initDestination(cinfo);
  return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
  auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
  const size_t n = kBufferSize - dst->pub.free_in_buffer;
  if (n > 0 && dst->stream->write(dst->buffer, 1, n) != n) ERREXIT(cinfo, JERR_FILE_WRITE);
}

struct Compress {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  Destination dst;

  explicit Compress(qmIIOStream& stream) {
    std::memset(&cinfo, 0, sizeof cinfo);
    installErrors(err);
    cinfo.err = &err.pub;
    dst.stream = &stream;
    dst.pub.init_destination = initDestination;
    dst.pub.empty_output_buffer = emptyOutput;
    dst.pub.term_destination = termDestination;
  }
  ~Compress() { jpeg_destroy_compress(&cinfo); }
  Compress(const Compress&) = delete;
  Compress& operator=(const Compress&) = delete;
};

// Fills one scanline in the library's order (RGB, or grey for grey palettes).
void loadScanline(const qmImage& image, int y, bool grey, JSAMPLE* line) {
  const int width = image.getWidth();
  if (image.getBitsPerPixel() == 24) {
    const std::uint8_t* row = image.getRow(y);
    for (int x = 0; x < width; ++x, row += 3, line += 3) {
      line[0] = row[2];
      line[1] = row[1];
      line[2] = row[0];
    }
    return;
  }
  for (int x = 0; x < width; ++x) {
    const qmRGBQuad c = image.getPaletteColor(image.getPixelIndex(x, y));
    if (grey) {
      *line++ = c.red;
    } else {
      *line++ = c.red;
      *line++ = c.green;
      *line++ = c.blue;
    }
  }
}

// rows: the image's rows top down when the library takes them as they are (24-bit
// blue-green-red); null to convert scanline by scanline.
bool compressImage(Compress& c, const qmImage& image, int quality, JSAMPLE* scanline, JSAMPLE* const* rows) {
  if (setjmp(c.err.jump)) return false;
  jpeg_create_compress(&c.cinfo);
  c.cinfo.dest = &c.dst.pub;
  const bool grey = image.getBitsPerPixel() < 24 && image.isGreyScale();
  c.cinfo.image_width = static_cast<JDIMENSION>(image.getWidth());
  c.cinfo.image_height = static_cast<JDIMENSION>(image.getHeight());
  c.cinfo.input_components = grey ? 1 : 3;
  c.cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
#ifdef JCS_EXTENSIONS
  if (rows) c.cinfo.in_color_space = JCS_EXT_BGR;
#endif
  jpeg_set_defaults(&c.cinfo);
  jpeg_set_quality(&c.cinfo, quality, TRUE);
  if (quality >= 90) {
    // At high quality the colour detail is kept as well: no chroma subsampling.
    for (int i = 0; i < c.cinfo.num_components; ++i) {
      c.cinfo.comp_info[i].h_samp_factor = 1;
      c.cinfo.comp_info[i].v_samp_factor = 1;
    }
  }
  c.cinfo.density_unit = 1;
  c.cinfo.X_density = static_cast<UINT16>(image.info().dpiX);
  c.cinfo.Y_density = static_cast<UINT16>(image.info().dpiY);
  jpeg_start_compress(&c.cinfo, TRUE);
  if (rows) {
    jpeg_write_scanlines(&c.cinfo, const_cast<JSAMPARRAY>(rows), c.cinfo.image_height);
  }
  while (c.cinfo.next_scanline < c.cinfo.image_height) {
    loadScanline(image, static_cast<int>(c.cinfo.next_scanline), grey, scanline);
    jpeg_write_scanlines(&c.cinfo, &scanline, 1);
  }
  jpeg_finish_compress(&c.cinfo);
  return true;
}

}  // namespace

struct qmJpegDecoder::RowState {
  explicit RowState(qmIIOStream& stream) : decompress(stream) {}
  Decompress decompress;
  std::vector<JSAMPLE> scanline;
  bool direct = true;
};

qmJpegDecoder::qmJpegDecoder(qmIIOStream* stream, const qmImageDecodeParam& param) : qmImageDecoder(stream, param) {}

qmJpegDecoder::~qmJpegDecoder() = default;

void qmJpegDecoder::startRows() {
  qmIIOStream& s = stream();
  s.seek(0, 0);
  rowState_ = std::make_unique<RowState>(s);
  Decompress& d = rowState_->decompress;
  if (!readJpegHeader(d)) throw qmCodecError(d.err.message);
  const int components = d.cinfo.num_components;
  if (components != 1 && components != 3 && components != 4) throw qmCodecError("Unsupported JPEG colour components");
  rowState_->scanline.resize(static_cast<size_t>(d.cinfo.image_width) * 4);
  if (!startRowDecoding(d, rowState_->direct)) throw qmCodecError(d.err.message);
  headerInfo_ = {static_cast<int>(d.cinfo.image_width), static_cast<int>(d.cinfo.image_height), 24, qmFormatJpeg};
}

int qmJpegDecoder::nextRows(std::uint8_t* const* rows, int count) {
  if (!rowState_) return 0;
  RowState& state = *rowState_;
  const int filled = decodeRows(state.decompress, state.direct, state.scanline.data(), rows, count);
  if (filled < 0) throw qmCodecError(state.decompress.err.message);
  return filled;
}

qmImageHeaderInfo qmJpegDecoder::readHeaderInfo() {
  qmIIOStream& s = stream();
  s.seek(0, 0);
  Decompress d(s);
  if (!readJpegHeader(d)) throw qmCodecError(d.err.message);
  return {static_cast<int>(d.cinfo.image_width), static_cast<int>(d.cinfo.image_height),
          qmImage::normaliseBitsPerPixel(d.cinfo.num_components * 8), qmFormatJpeg};
}

std::unique_ptr<qmImage> qmJpegDecoder::decodeImage() {
  qmIIOStream& s = stream();
  s.seek(0, 0);
  Decompress d(s);
  if (!readJpegHeader(d)) throw qmCodecError(d.err.message);
  auto image = std::make_unique<qmImage>();
  // The size check comes before the library allocates anything for the pixels.
  if (!createImage(d, *image)) throw qmCodecError("Unsupported or too large JPEG");
  std::vector<JSAMPLE> scanline(static_cast<size_t>(d.cinfo.image_width) * 4);
  if (!decodePixels(d, *image, scanline.data())) throw qmCodecError(d.err.message);
  if (image->getBitsPerPixel() == 8) image->setGreyPalette();
  applyDecodeType(*image);
  return image;
}

void qmJpegEncoder::writeImage(const qmImage& image) {
  Compress c(stream());
  std::vector<JSAMPLE> scanline(static_cast<size_t>(image.getWidth()) * 3);
  std::vector<JSAMPLE*> rows;
#ifdef JCS_EXTENSIONS
  if (image.getBitsPerPixel() == 24) {
    rows.resize(static_cast<size_t>(image.getHeight()));
    for (int y = 0; y < image.getHeight(); ++y) rows[static_cast<size_t>(y)] = const_cast<JSAMPLE*>(image.getRow(y));
  }
#endif
  if (!compressImage(c, image, quality_, scanline.data(), rows.empty() ? nullptr : rows.data())) {
    throw qmCodecError(c.err.message);
  }
}

}  // namespace zolvex
