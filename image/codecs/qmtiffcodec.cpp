#include "image/codecs/qmtiffcodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <tiffio.h>

#include "image/qmCodecError.h"

namespace zolvex {

namespace {

// Stream callbacks for libtiff's client interface.
tsize_t readProc(thandle_t handle, tdata_t data, tsize_t size) {
  return static_cast<tsize_t>(static_cast<qmIIOStream*>(handle)->read(data, 1, static_cast<size_t>(size)));
}

tsize_t writeProc(thandle_t handle, tdata_t data, tsize_t size) {
  return static_cast<tsize_t>(static_cast<qmIIOStream*>(handle)->write(data, 1, static_cast<size_t>(size)));
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence) {
  auto* stream = static_cast<qmIIOStream*>(handle);
  if (!stream->seek(static_cast<std::int64_t>(offset), whence)) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(stream->tell());
}

int closeProc(thandle_t) { return 0; }

toff_t sizeProc(thandle_t handle) { return static_cast<toff_t>(static_cast<qmIIOStream*>(handle)->size()); }

int mapProc(thandle_t, tdata_t*, toff_t*) { return 0; }
void unmapProc(thandle_t, tdata_t, toff_t) {}

// Library messages go nowhere; failures are reported by results.
int quietHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle openTiff(qmIIOStream& stream, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, quietHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, quietHandler, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(1) << 28);
  TIFF* tif = TIFFClientOpenExt("stream", mode, &stream, readProc, writeProc, seekProc, closeProc, sizeProc, mapProc,
                                unmapProc, options);
  TIFFOpenOptionsFree(options);
  return TiffHandle(tif);
}

TiffHandle openForReading(qmIIOStream& stream) {
  stream.seek(0, 0);
  TiffHandle tif = openTiff(stream, "rm");
  if (!tif) throw qmCodecError("Not a TIFF");
  return tif;
}

int pageCount(TIFF* tif) {
  TIFFSetDirectory(tif, 0);
  const int count = TIFFNumberOfDirectories(tif);
  return count;
}

// Selects the page and reads its size; alpha tells whether it has an alpha sample,
// associated whether that is premultiplied.
void selectPage(TIFF* tif, int page, std::uint32_t& width, std::uint32_t& height, bool& alpha, bool& associated) {
  const int pages = pageCount(tif);
  if (page < 0 || page >= pages || !TIFFSetDirectory(tif, static_cast<tdir_t>(page))) {
    throw qmCodecError("Page not found");
  }
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) throw qmCodecError("Bad TIFF size");
  std::uint16_t extraCount = 0;
  std::uint16_t* extraTypes = nullptr;
  alpha = TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0;
  associated = alpha && extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
  if (alpha && !associated) {
    // The RGBA interface premultiplies unassociated alpha, which would lose colour
    // precision; declared associated (in memory only) the samples pass through unchanged.
    std::vector<std::uint16_t> types(extraTypes, extraTypes + extraCount);
    types[0] = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, extraCount, types.data());
  }
}

// One row of the RGBA interface's pixels as blue, green, red (and alpha when wanted).
void storeRgbaRow(const std::uint32_t* in, std::uint32_t width, bool associated, std::uint8_t* out,
                  std::uint8_t* alphaOut) {
  for (std::uint32_t x = 0; x < width; ++x, out += 3) {
    const std::uint32_t a = TIFFGetA(in[x]);
    // Premultiplied colours of associated alpha become plain colours again.
    auto channel = [&](std::uint32_t c) {
      if (!associated || a == 255) return static_cast<std::uint8_t>(c);
      return static_cast<std::uint8_t>(a == 0 ? 0 : std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
    };
    out[0] = channel(TIFFGetB(in[x]));
    out[1] = channel(TIFFGetG(in[x]));
    out[2] = channel(TIFFGetR(in[x]));
    if (alphaOut) alphaOut[x] = static_cast<std::uint8_t>(a);
  }
}

std::unique_ptr<qmImage> decodePage(TIFF* tif, int page) {
  std::uint32_t width = 0, height = 0;
  bool alpha = false, associated = false;
  selectPage(tif, page, width, height, alpha, associated);
  auto image = std::make_unique<qmImage>();
  if (!image->create(static_cast<int>(width), static_cast<int>(height), 24)) throw qmCodecError("Bad TIFF size");
  std::vector<std::uint32_t> raster(static_cast<size_t>(width) * height);
  if (!TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 1)) {
    throw qmCodecError("TIFF decode failed");
  }
  if (alpha) image->createAlpha();
  for (std::uint32_t y = 0; y < height; ++y) {
    storeRgbaRow(&raster[static_cast<size_t>(y) * width], width, associated, image->getRow(static_cast<int>(y)),
                 alpha ? image->getAlphaRow(static_cast<int>(y)) : nullptr);
  }
  float resX = 0, resY = 0;
  std::uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &resX) && TIFFGetField(tif, TIFFTAG_YRESOLUTION, &resY) && resX > 0 &&
      resY > 0 && resX < 1e6 && resY < 1e6) {
    const double factor = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    image->setResolution(static_cast<int>(std::lround(resX * factor)), static_cast<int>(std::lround(resY * factor)));
  }
  image->info().formatId = qmFormatTiff;
  image->info().page = page;
  image->info().pageCount = pageCount(tif);
  return image;
}

// Rows come in bands of the file's strips or tiles, so that each is decoded once; a
// band is capped, for files stored as one huge strip.
constexpr std::uint32_t kLargestBandBytes = 64u << 20;

void writeField(bool ok) {
  if (!ok) throw qmCodecError("TIFF write failed");
}

}  // namespace

bool qmTiffDecoder::checkHeader() {
  try {
    qmIIOStream& s = stream();
    s.seek(0, 0);
    std::uint8_t magic[4];
    if (s.read(magic, 1, 4) != 4) return false;
    return (magic[0] == 'I' && magic[1] == 'I' && (magic[2] == 42 || magic[2] == 43) && magic[3] == 0) ||
           (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && (magic[3] == 42 || magic[3] == 43));
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return false;
  }
}

struct qmTiffDecoder::RowState {
  TiffHandle tif;
  TIFFRGBAImage rgba{};
  bool begun = false;
  bool associated = false;
  bool direct = false;  // 8-bit RGB read as stored, without the RGBA interface
  bool tiled = false;
  std::uint32_t width = 0, height = 0;
  std::uint32_t tileWidth = 0;
  std::uint32_t bandRows = 0;
  std::uint32_t bandStart = 0, bandEnd = 0;  // the rows the band holds
  std::uint32_t next = 0;
  std::vector<std::uint32_t> raster;  // RGBA interface
  std::vector<std::uint8_t> rgb;      // direct: the band's rows
  std::vector<std::uint8_t> tile;     // direct, tiled: one tile
  ~RowState() {
    if (begun) TIFFRGBAImageEnd(&rgba);
  }
};

namespace {

// Top-down 8-bit RGB, uncompressed or JPEG (whose YCbCr the library turns into RGB), can be
// read as stored, which spares the RGBA interface's packing of every pixel.
bool storedAsPlainRgb(TIFF* tif) {
  std::uint16_t bits = 0, samples = 0, planar = 0, photometric = 0, compression = 0, orientation = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
  if (bits != 8 || samples != 3 || planar != PLANARCONFIG_CONTIG || orientation != ORIENTATION_TOPLEFT) return false;
  if (photometric == PHOTOMETRIC_RGB) return true;
  return photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG &&
         TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
}

}  // namespace

qmTiffDecoder::qmTiffDecoder(qmIIOStream* stream, const qmImageDecodeParam& param) : qmImageDecoder(stream, param) {}

qmTiffDecoder::~qmTiffDecoder() = default;

void qmTiffDecoder::startRows() {
  auto state = std::make_unique<RowState>();
  state->tif = openForReading(stream());
  TIFF* tif = state->tif.get();
  bool alpha = false;
  selectPage(tif, getDecodeParam().getPage(), state->width, state->height, alpha, state->associated);
  std::uint32_t unit = 0;
  state->tiled = TIFFIsTiled(tif);
  if (state->tiled) {
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &state->tileWidth);
  } else {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
  }
  const std::uint32_t mostRows = std::max<std::uint32_t>(1, kLargestBandBytes / 4 / state->width);
  // Direct bands are exactly one strip or one row of tiles.
  state->direct = unit >= 1 && unit <= mostRows && (!state->tiled || state->tileWidth > 0) && storedAsPlainRgb(tif);
  if (state->direct) {
    state->bandRows = unit;
    state->rgb.resize(static_cast<size_t>(state->width) * 3 * unit);
    if (state->tiled) state->tile.resize(static_cast<size_t>(TIFFTileSize(tif)));
  } else {
    std::uint16_t orientation = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    if (orientation != ORIENTATION_TOPLEFT) {
      // Bands are counted in stored rows: a turned or mirrored picture is read whole.
      qmImageDecoder::startRows();
      return;
    }
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&state->rgba, tif, 1, message)) {
      throw qmCodecError(std::string("TIFF decode failed: ") + message);
    }
    state->begun = true;
    state->rgba.req_orientation = ORIENTATION_TOPLEFT;
    state->bandRows = std::clamp<std::uint32_t>(unit, 1, std::min(mostRows, state->height));
    state->raster.resize(static_cast<size_t>(state->width) * state->bandRows);
  }
  headerInfo_ = {static_cast<int>(state->width), static_cast<int>(state->height), 24, qmFormatTiff};
  rowState_ = std::move(state);
}

namespace {

void readDirectBand(TIFF* tif, std::uint32_t width, std::uint32_t tileWidth, bool tiled, std::uint32_t bandStart,
                    std::uint32_t bandRows, std::vector<std::uint8_t>& tile, std::vector<std::uint8_t>& rgb) {
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  if (!tiled) {
    if (TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, bandStart, 0), rgb.data(),
                             static_cast<tmsize_t>(rowBytes * bandRows)) < 0) {
      throw qmCodecError("TIFF decode failed at row " + std::to_string(bandStart));
    }
    return;
  }
  for (std::uint32_t x = 0; x < width; x += tileWidth) {
    if (TIFFReadTile(tif, tile.data(), x, bandStart, 0, 0) < 0) {
      throw qmCodecError("TIFF decode failed at row " + std::to_string(bandStart));
    }
    const size_t bytes = static_cast<size_t>(std::min(tileWidth, width - x)) * 3;
    for (std::uint32_t r = 0; r < bandRows; ++r) {
      std::memcpy(&rgb[r * rowBytes + static_cast<size_t>(x) * 3], &tile[static_cast<size_t>(r) * tileWidth * 3], bytes);
    }
  }
}

}  // namespace

int qmTiffDecoder::nextRows(std::uint8_t* const* rows, int count) {
  if (!rowState_) return qmImageDecoder::nextRows(rows, count);
  RowState& state = *rowState_;
  int filled = 0;
  for (; filled < count && state.next < state.height; ++filled, ++state.next) {
    if (state.next >= state.bandEnd) {
      state.bandStart = state.next;
      state.bandEnd = std::min(state.height, state.next + state.bandRows);
      if (state.direct) {
        readDirectBand(state.tif.get(), state.width, state.tileWidth, state.tiled, state.bandStart,
                       state.bandEnd - state.bandStart, state.tile, state.rgb);
      } else {
        state.rgba.row_offset = static_cast<int>(state.bandStart);
        state.rgba.col_offset = 0;
        if (!TIFFRGBAImageGet(&state.rgba, state.raster.data(), state.width, state.bandEnd - state.bandStart)) {
          throw qmCodecError("TIFF decode failed at row " + std::to_string(state.bandStart));
        }
      }
    }
    const size_t inBand = state.next - state.bandStart;
    if (!state.direct) {
      storeRgbaRow(&state.raster[inBand * state.width], state.width, state.associated, rows[filled], nullptr);
      continue;
    }
    const std::uint8_t* in = &state.rgb[inBand * state.width * 3];
    std::uint8_t* out = rows[filled];
    for (std::uint32_t x = 0; x < state.width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return filled;
}

qmImageHeaderInfo qmTiffDecoder::readHeaderInfo() {
  TiffHandle tif = openForReading(stream());
  std::uint32_t width = 0, height = 0;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
  return {static_cast<int>(width), static_cast<int>(height), 24, qmFormatTiff};
}

std::unique_ptr<qmImage> qmTiffDecoder::decodeImage() {
  TiffHandle tif = openForReading(stream());
  auto image = decodePage(tif.get(), getDecodeParam().getPage());
  applyDecodeType(*image);
  return image;
}

std::unique_ptr<qmImage> qmTiffDecoder::decodeSubImage(int left, int top, int width, int height) {
  auto image = decodeImage();
  return image->subImage(left, top, width, height);
}

void qmTiffEncoder::writeImage(const qmImage& image) {
  TiffHandle tif = openTiff(stream(), "w");
  if (!tif) throw qmCodecError("TIFF writer unavailable");
  TIFF* t = tif.get();
  const int bpp = image.getBitsPerPixel();
  const bool palette = bpp < 24;
  bool grey = palette && bpp == 8;
  for (int i = 0; grey && i < 256; ++i) grey = image.getPaletteColor(i) == qmMakeColor(i, i, i, image.getPaletteColor(i).alpha);
  const bool alpha = !palette && image.hasAlpha();
  const int samples = palette ? 1 : alpha ? 4 : 3;
  writeField(TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.getWidth())));
  writeField(TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.getHeight())));
  writeField(TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, palette ? bpp : 8));
  writeField(TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples));
  writeField(TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG));
  writeField(TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW));
  writeField(TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0)));
  writeField(TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                          grey ? PHOTOMETRIC_MINISBLACK : palette ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB));
  writeField(TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(image.info().dpiX)));
  writeField(TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(image.info().dpiY)));
  writeField(TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH));
  if (alpha) {
    const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    writeField(TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra));
  }
  if (palette && !grey) {
    const size_t entries = size_t{1} << bpp;
    std::vector<std::uint16_t> red(entries), green(entries), blue(entries);
    for (size_t i = 0; i < entries; ++i) {
      const qmRGBQuad c = image.getPaletteColor(static_cast<int>(i));
      red[i] = static_cast<std::uint16_t>(c.red * 257);
      green[i] = static_cast<std::uint16_t>(c.green * 257);
      blue[i] = static_cast<std::uint16_t>(c.blue * 257);
    }
    writeField(TIFFSetField(t, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()));
  }
  const size_t rowBytes = palette ? static_cast<size_t>((image.getWidth() * bpp + 7) / 8)
                                  : static_cast<size_t>(image.getWidth()) * samples;
  std::vector<std::uint8_t> row(rowBytes);
  for (int y = 0; y < image.getHeight(); ++y) {
    const std::uint8_t* in = image.getRow(y);
    if (palette) {
      std::memcpy(row.data(), in, rowBytes);
    } else {
      for (int x = 0; x < image.getWidth(); ++x) {
        std::uint8_t* out = &row[static_cast<size_t>(x) * samples];
        out[0] = in[x * 3 + 2];
        out[1] = in[x * 3 + 1];
        out[2] = in[x * 3];
        if (alpha) out[3] = image.getAlphaRow(y)[x];
      }
    }
    writeField(TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) >= 0);
  }
  writeField(TIFFWriteDirectory(t) != 0);
}

}  // namespace zolvex
