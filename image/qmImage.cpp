#include "image/qmImage.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <unordered_map>

#include "image/qmAreaShrinker.h"
#include "platform/Clock.h"
#include "platform/Debug.h"

namespace zolvex {

using zolvex::platform::DebugPrintf;
using zolvex::platform::TickCountMs;

namespace {

std::atomic<std::uint64_t> gMaxPixels{std::uint64_t{1} << 28};
// The SizeLimit in force on this thread; 0 means none.
thread_local int tLimitWidth = 0;
thread_local int tLimitHeight = 0;

void putLE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

void putLE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

int paletteEntriesFor(int bitsPerPixel) { return bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0; }

std::uint8_t clampByte(double v) { return static_cast<std::uint8_t>(std::clamp(v + 0.5, 0.0, 255.0)); }

int elapsedSince(std::uint64_t start) { return static_cast<int>(TickCountMs() - start); }

// A rectangle of a source placed into a destination, cut to both.
struct Placement {
  int srcLeft, srcTop, dstLeft, dstTop, width, height;
};

std::optional<Placement> placeRect(const qmImage& src, Placement p, const qmImage& dst) {
  if (p.dstLeft >= dst.getWidth() || p.dstTop >= dst.getHeight()) return std::nullopt;
  if (p.dstLeft < 0) { p.srcLeft -= p.dstLeft; p.width += p.dstLeft; p.dstLeft = 0; }
  if (p.dstTop < 0) { p.srcTop -= p.dstTop; p.height += p.dstTop; p.dstTop = 0; }
  if (p.srcLeft < 0) { p.dstLeft -= p.srcLeft; p.width += p.srcLeft; p.srcLeft = 0; }
  if (p.srcTop < 0) { p.dstTop -= p.srcTop; p.height += p.srcTop; p.srcTop = 0; }
  p.width = std::min({p.width, src.getWidth() - p.srcLeft, dst.getWidth() - p.dstLeft});
  p.height = std::min({p.height, src.getHeight() - p.srcTop, dst.getHeight() - p.dstTop});
  if (p.width <= 0 || p.height <= 0) return std::nullopt;
  return p;
}

// Effective opacity of a pixel: its alpha scaled by the image's global opacity and, for
// palette images that honour it, by the palette entry's alpha.
int effectiveAlpha(const qmImage& image, int x, int y) {
  int a = image.getAlpha(x, y) * (image.info().opacity + 1) >> 8;
  if (image.getBitsPerPixel() < 24 && image.info().paletteAlpha) {
    a = a * (image.getPaletteColor(image.getPixelIndex(x, y)).alpha + 1) >> 8;
  }
  return a;
}

// Area-weighted resampling of a 24-bit image; Acc holds sums of weight products.
template <typename Acc>
void areaResample(const qmImage& src, qmImage& dst, int fracBits) {
  const auto xs = qmAreaShrinker::shareTable(src.getWidth(), dst.getWidth(), fracBits);
  const auto ys = qmAreaShrinker::shareTable(src.getHeight(), dst.getHeight(), fracBits);
  const int shift = 2 * fracBits;
  std::vector<Acc> acc(static_cast<size_t>(dst.getWidth()) * 3);
  size_t yi = 0;
  for (int j = 0; j < dst.getHeight(); ++j) {
    std::fill(acc.begin(), acc.end(), Acc{0});
    for (; yi < ys.size() && ys[yi].dst == j; ++yi) {
      const std::uint8_t* row = src.getRow(ys[yi].src);
      const Acc wy = ys[yi].weight;
      for (const qmAreaShare& s : xs) {
        const Acc w = static_cast<Acc>(s.weight) * wy;
        const std::uint8_t* p = row + static_cast<size_t>(s.src) * 3;
        Acc* a = &acc[static_cast<size_t>(s.dst) * 3];
        a[0] += w * p[0];
        a[1] += w * p[1];
        a[2] += w * p[2];
      }
    }
    std::uint8_t* out = dst.getRow(j);
    for (size_t k = 0; k < acc.size(); ++k) out[k] = static_cast<std::uint8_t>(acc[k] >> shift);
  }
}

// Enlargement of a 24-bit image by whole factors: every output pixel lies inside one
// source pixel, so area resampling copies it; done here without the weight tables.
void enlargeByWholeFactors(const qmImage& src, qmImage& dst) {
  const int factorX = dst.getWidth() / src.getWidth(), factorY = dst.getHeight() / src.getHeight();
  const size_t rowBytes = static_cast<size_t>(dst.getWidth()) * 3;
  for (int y = 0; y < src.getHeight(); ++y) {
    const std::uint8_t* in = src.getRow(y);
    std::uint8_t* first = dst.getRow(y * factorY);
    std::uint8_t* out = first;
    for (int x = 0; x < src.getWidth(); ++x, in += 3) {
      for (int k = 0; k < factorX; ++k, out += 3) std::memcpy(out, in, 3);
    }
    for (int k = 1; k < factorY; ++k) std::memcpy(dst.getRow(y * factorY + k), first, rowBytes);
  }
}

// The cubic B-spline weight.
double bspline(double t) {
  auto p = [](double v) { return v > 0 ? v * v * v : 0.0; };
  return (p(t + 2) - 4 * p(t + 1) + 6 * p(t) - 4 * p(t - 1)) / 6;
}

}  // namespace

qmImage::qmImage(qmImage&& other) noexcept { *this = std::move(other); }

qmImage& qmImage::operator=(qmImage&& other) noexcept {
  if (this != &other) {
    dib_ = std::move(other.dib_);
    alpha_ = std::move(other.alpha_);
    info_ = other.info_;
    bitsPerPixel_ = other.bitsPerPixel_;
    paletteEntries_ = other.paletteEntries_;
    other.clear();
  }
  return *this;
}

std::uint64_t qmImage::maxPixels() { return gMaxPixels.load(); }
void qmImage::setMaxPixels(std::uint64_t pixels) { gMaxPixels.store(pixels); }

qmImage::SizeLimit::SizeLimit(int maxWidth, int maxHeight) : savedWidth_(tLimitWidth), savedHeight_(tLimitHeight) {
  tLimitWidth = std::max(maxWidth, 1);
  tLimitHeight = std::max(maxHeight, 1);
}

qmImage::SizeLimit::~SizeLimit() {
  tLimitWidth = savedWidth_;
  tLimitHeight = savedHeight_;
}

bool qmImage::sizeAllowed(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return false;
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > maxPixels()) return false;
  if (tLimitWidth > 0 && (width > tLimitWidth || height > tLimitHeight)) return false;
  return true;
}

int qmImage::normaliseBitsPerPixel(int bitsPerPixel) {
  if (bitsPerPixel <= 1) return 1;
  if (bitsPerPixel <= 4) return 4;
  if (bitsPerPixel <= 8) return 8;
  return 24;
}

std::int64_t qmImage::strideFor(std::int64_t width, int bitsPerPixel) {
  if (width <= 0 || width > std::numeric_limits<std::int32_t>::max()) return 0;
  const std::int64_t stride = (width * bitsPerPixel + 31) / 32 * 4;
  return stride > std::numeric_limits<std::int32_t>::max() ? 0 : stride;
}

bool qmImage::create(int width, int height, int bitsPerPixel) { return allocate(width, height, bitsPerPixel, true); }

bool qmImage::createUncleared(int width, int height, int bitsPerPixel) {
  if (!allocate(width, height, bitsPerPixel, false)) return false;
  // Rows are written up to their last pixel; what pads them to four bytes would otherwise
  // keep whatever the memory held, and encoders write whole rows.
  const size_t used = (static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel_) + 7) / 8;
  if (used < static_cast<size_t>(info_.stride)) {
    for (int y = 0; y < height; ++y) std::memset(getRow(y) + used, 0, static_cast<size_t>(info_.stride) - used);
  }
  return true;
}

bool qmImage::allocate(int width, int height, int bitsPerPixel, bool cleared) {
  const int bpp = normaliseBitsPerPixel(bitsPerPixel);
  clear();
  if (!sizeAllowed(width, height)) return false;
  const std::int64_t stride = strideFor(width, bpp);
  const int entries = paletteEntriesFor(bpp);
  const std::uint64_t imageBytes = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height);
  if (stride == 0 || imageBytes > std::numeric_limits<std::uint32_t>::max() - 2048u) return false;
  const size_t bytes = kHeaderSize + static_cast<size_t>(entries) * 4 + imageBytes;
  try {
    cleared ? dib_.assign(bytes, 0) : dib_.resize(bytes);
  } catch (const std::bad_alloc&) {
    dib_.clear();
    return false;
  }
  bitsPerPixel_ = bpp;
  paletteEntries_ = entries;
  info_.width = width;
  info_.height = height;
  info_.stride = static_cast<int>(stride);
  info_.colorType = entries > 0 ? 1 : 2;
  writeHeader();
  if (entries > 0) setGreyPalette();
  return true;
}

void qmImage::clear() {
  dib_.clear();
  dib_.shrink_to_fit();
  alpha_.clear();
  alpha_.shrink_to_fit();
  info_.width = info_.height = info_.stride = 0;
  bitsPerPixel_ = 0;
  paletteEntries_ = 0;
}

void qmImage::assign(qmImage&& other) { *this = std::move(other); }

void qmImage::writeHeader() {
  std::uint8_t* h = dib_.data();
  putLE32(h, kHeaderSize);
  putLE32(h + 4, static_cast<std::uint32_t>(info_.width));
  putLE32(h + 8, static_cast<std::uint32_t>(info_.height));
  putLE16(h + 12, 1);
  putLE16(h + 14, static_cast<std::uint16_t>(bitsPerPixel_));
  putLE32(h + 16, 0);
  putLE32(h + 20, static_cast<std::uint32_t>(static_cast<std::uint64_t>(info_.stride) * info_.height));
  setResolution(info_.dpiX, info_.dpiY);
  putLE32(h + 32, static_cast<std::uint32_t>(paletteEntries_));
  putLE32(h + 36, 0);
}

void qmImage::setResolution(int dpiX, int dpiY) {
  info_.dpiX = dpiX;
  info_.dpiY = dpiY;
  if (dib_.empty()) return;
  auto perMetre = [](int dpi) { return static_cast<std::uint32_t>(std::floor(dpi * 10000.0 / 254 + 0.5)); };
  putLE32(dib_.data() + 24, perMetre(dpiX));
  putLE32(dib_.data() + 28, perMetre(dpiY));
}

qmRGBQuad* qmImage::getPalette() {
  return paletteEntries_ ? reinterpret_cast<qmRGBQuad*>(dib_.data() + kHeaderSize) : nullptr;
}

const qmRGBQuad* qmImage::getPalette() const {
  return paletteEntries_ ? reinterpret_cast<const qmRGBQuad*>(dib_.data() + kHeaderSize) : nullptr;
}

qmRGBQuad qmImage::getPaletteColor(int index) const {
  if (index < 0 || index >= paletteEntries_) return {};
  return getPalette()[index];
}

void qmImage::setPaletteColor(int index, qmRGBQuad color) {
  if (index >= 0 && index < paletteEntries_) getPalette()[index] = color;
}

void qmImage::setPalette(const qmRGBQuad* colors, int count) {
  for (int i = 0; i < std::min(count, paletteEntries_); ++i) getPalette()[i] = colors[i];
}

void qmImage::setGreyPalette() {
  for (int i = 0; i < paletteEntries_; ++i) {
    const int v = paletteEntries_ > 1 ? i * 255 / (paletteEntries_ - 1) : 0;
    getPalette()[i] = qmMakeColor(v, v, v);
  }
}

bool qmImage::isGreyScale() const {
  if (!paletteEntries_) return false;
  for (int i = 0; i < paletteEntries_; ++i) {
    const qmRGBQuad c = getPalette()[i];
    if (c.red != c.green || c.green != c.blue) return false;
  }
  return true;
}

int qmImage::getNearestIndex(qmRGBQuad color) const {
  int best = 0;
  long bestDistance = std::numeric_limits<long>::max();
  for (int i = 0; i < paletteEntries_ && bestDistance > 0; ++i) {
    const qmRGBQuad c = getPalette()[i];
    const long db = c.blue - color.blue, dg = c.green - color.green, dr = c.red - color.red;
    const long d = db * db + dg * dg + dr * dr;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

int qmImage::getPixelIndex(int x, int y) const {
  if (!paletteEntries_ || x < 0 || y < 0 || x >= info_.width || y >= info_.height) return 0;
  const std::uint8_t* row = getRow(y);
  switch (bitsPerPixel_) {
    case 8: return row[x];
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    default: return (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
}

void qmImage::setPixelIndex(int x, int y, int index) {
  if (!paletteEntries_ || x < 0 || y < 0 || x >= info_.width || y >= info_.height) return;
  std::uint8_t* row = getRow(y);
  switch (bitsPerPixel_) {
    case 8: row[x] = static_cast<std::uint8_t>(index); break;
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
      break;
    }
    default: {
      const int shift = 7 - (x & 7);
      row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
    }
  }
}

qmRGBQuad qmImage::getPixelColor(int x, int y) const {
  if (dib_.empty()) return info_.transparentColor;
  if (x < 0 || y < 0 || x >= info_.width || y >= info_.height) {
    if (info_.transparentIndex >= 0) return info_.transparentColor;
    x = y = 0;
  }
  qmRGBQuad color;
  if (paletteEntries_) {
    color = getPaletteColor(getPixelIndex(x, y));
  } else {
    const std::uint8_t* p = getRow(y) + static_cast<size_t>(x) * 3;
    color = {p[0], p[1], p[2], 0};
  }
  if (hasAlpha()) color.alpha = getAlpha(x, y);
  return color;
}

void qmImage::setPixelColor(int x, int y, qmRGBQuad color) {
  if (dib_.empty() || x < 0 || y < 0 || x >= info_.width || y >= info_.height) return;
  if (paletteEntries_) {
    setPixelIndex(x, y, getNearestIndex(color));
    return;
  }
  std::uint8_t* p = getRow(y) + static_cast<size_t>(x) * 3;
  p[0] = color.blue;
  p[1] = color.green;
  p[2] = color.red;
}

bool qmImage::createAlpha() {
  if (dib_.empty()) return false;
  alpha_.assign(static_cast<size_t>(info_.width) * info_.height, 255);
  return true;
}

std::uint8_t qmImage::getAlpha(int x, int y) const {
  if (alpha_.empty() || x < 0 || y < 0 || x >= info_.width || y >= info_.height) return 255;
  return getAlphaRow(y)[x];
}

void qmImage::setAlpha(int x, int y, std::uint8_t value) {
  if (alpha_.empty() || x < 0 || y < 0 || x >= info_.width || y >= info_.height) return;
  getAlphaRow(y)[x] = value;
}

std::uint8_t* qmImage::getAlphaRow(int y) {
  return alpha_.empty() ? nullptr : alpha_.data() + static_cast<size_t>(info_.height - 1 - y) * info_.width;
}

const std::uint8_t* qmImage::getAlphaRow(int y) const {
  return alpha_.empty() ? nullptr : alpha_.data() + static_cast<size_t>(info_.height - 1 - y) * info_.width;
}

std::unique_ptr<qmImage> qmImage::subImage(int left, int top, int width, int height) const {
  if (dib_.empty()) return nullptr;
  const int l = std::max(left, 0), t = std::max(top, 0);
  const int r = std::min(left + width, info_.width), b = std::min(top + height, info_.height);
  if (r <= l || b <= t) return nullptr;
  auto out = std::make_unique<qmImage>();
  out->info_ = info_;
  if (!out->create(r - l, b - t, bitsPerPixel_)) return nullptr;
  out->setPalette(getPalette(), paletteEntries_);
  for (int y = t; y < b; ++y) {
    if (bitsPerPixel_ >= 8) {
      const size_t bytes = static_cast<size_t>(bitsPerPixel_ / 8);
      std::memcpy(out->getRow(y - t), getRow(y) + l * bytes, (r - l) * bytes);
    } else {
      for (int x = l; x < r; ++x) out->setPixelIndex(x - l, y - t, getPixelIndex(x, y));
    }
  }
  if (hasAlpha()) {
    out->createAlpha();
    for (int y = t; y < b; ++y) std::memcpy(out->getAlphaRow(y - t), getAlphaRow(y) + l, r - l);
  }
  return out;
}

bool qmImage::flipVertical() {
  if (dib_.empty()) return false;
  std::vector<std::uint8_t> temp(info_.stride);
  for (int y = 0; y < info_.height / 2; ++y) {
    std::uint8_t* a = getRow(y);
    std::uint8_t* b = getRow(info_.height - 1 - y);
    std::memcpy(temp.data(), a, temp.size());
    std::memcpy(a, b, temp.size());
    std::memcpy(b, temp.data(), temp.size());
  }
  if (hasAlpha()) {
    for (int y = 0; y < info_.height / 2; ++y) {
      std::swap_ranges(getAlphaRow(y), getAlphaRow(y) + info_.width, getAlphaRow(info_.height - 1 - y));
    }
  }
  return true;
}

namespace {
// Where pixel (x, y) of a width x height picture lands after the given clockwise quarter turns.
void TurnedPosition(int turns, int width, int height, int x, int y, int& outX, int& outY) {
  switch (turns) {
    case 1: outX = height - 1 - y; outY = x; break;
    case 2: outX = width - 1 - x; outY = height - 1 - y; break;
    default: outX = y; outY = width - 1 - x; break;
  }
}
}  // namespace

bool qmImage::rotateQuarter(int turns) {
  if (dib_.empty()) return false;
  turns = ((turns % 4) + 4) % 4;
  if (turns == 0) return true;
  const int width = info_.width, height = info_.height;
  const bool swapped = turns != 2;
  qmImage out;
  out.info_ = info_;
  if (!out.create(swapped ? height : width, swapped ? width : height, bitsPerPixel_)) return false;
  if (paletteEntries_ > 0) out.setPalette(getPalette(), paletteEntries_);
  if (hasAlpha() && !out.createAlpha()) return false;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = getRow(y);
    for (int x = 0; x < width; ++x) {
      int tx = 0, ty = 0;
      TurnedPosition(turns, width, height, x, y, tx, ty);
      if (bitsPerPixel_ == 24) {
        std::memcpy(out.getRow(ty) + 3 * tx, row + 3 * x, 3);
      } else {
        out.setPixelIndex(tx, ty, getPixelIndex(x, y));
      }
      if (hasAlpha()) out.getAlphaRow(ty)[tx] = getAlphaRow(y)[x];
    }
  }
  if (swapped) out.setResolution(info_.dpiY, info_.dpiX);
  assign(std::move(out));
  return true;
}

bool qmImage::increaseBpp(int bitsPerPixel) {
  if (dib_.empty()) return false;
  if (bitsPerPixel == bitsPerPixel_) return true;
  if (bitsPerPixel < bitsPerPixel_ || (bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24)) return false;
  const std::uint64_t start = TickCountMs();
  qmImage out;
  out.info_ = info_;
  if (!out.create(info_.width, info_.height, bitsPerPixel)) return false;
  if (bitsPerPixel == 24) {
    for (int y = 0; y < info_.height; ++y) {
      std::uint8_t* dst = out.getRow(y);
      for (int x = 0; x < info_.width; ++x, dst += 3) {
        const qmRGBQuad c = getPaletteColor(getPixelIndex(x, y));
        dst[0] = c.blue;
        dst[1] = c.green;
        dst[2] = c.red;
      }
    }
    const bool paletteHasAlpha =
        std::any_of(getPalette(), getPalette() + paletteEntries_, [](const qmRGBQuad& c) { return c.alpha != 0; });
    if (hasAlpha()) {
      out.alpha_ = alpha_;
    } else if (paletteHasAlpha) {
      out.createAlpha();
      for (int y = 0; y < info_.height; ++y) {
        for (int x = 0; x < info_.width; ++x) out.getAlphaRow(y)[x] = getPaletteColor(getPixelIndex(x, y)).alpha;
      }
    }
  } else {
    out.setPalette(getPalette(), paletteEntries_);
    for (int i = paletteEntries_; i < out.paletteEntries_; ++i) out.getPalette()[i] = {};
    for (int y = 0; y < info_.height; ++y) {
      for (int x = 0; x < info_.width; ++x) out.setPixelIndex(x, y, getPixelIndex(x, y));
    }
    out.alpha_ = alpha_;
  }
  *this = std::move(out);
  DebugPrintf("Time increase %dbits: %d\n", bitsPerPixel, elapsedSince(start));
  return true;
}

bool qmImage::resize(int newWidth, int newHeight, int mode, qmImage* destination) {
  if (dib_.empty() || newWidth <= 0 || newHeight <= 0) return false;
  if (!destination && newWidth == info_.width && newHeight == info_.height) return true;
  const std::uint64_t start = TickCountMs();
  qmImage out;
  out.info_ = info_;
  bool ok;
  if (mode == 0) {
    ok = resizeNearest(newWidth, newHeight, out);
  } else if (bitsPerPixel_ < 24) {
    ok = mode == 1 ? resizeNearest(newWidth, newHeight, out) : resizeInterpolated(newWidth, newHeight, mode, out);
  } else if (newWidth == info_.width && newHeight == info_.height) {
    out = *this;
    ok = true;
  } else {
    ok = resizeArea(newWidth, newHeight, out);
  }
  if (!ok) return false;
  if (hasAlpha()) resizeAlphaNearest(out);
  DebugPrintf("Time scale: %d. wNewWidth=%d wNewHeight=%d destI=%d\n", elapsedSince(start), newWidth, newHeight,
              destination ? 1 : 0);
  if (destination) {
    *destination = std::move(out);
  } else {
    *this = std::move(out);
  }
  return true;
}

bool qmImage::resizeNearest(int newWidth, int newHeight, qmImage& out) const {
  if (!out.create(newWidth, newHeight, bitsPerPixel_)) return false;
  out.setPalette(getPalette(), paletteEntries_);
  std::vector<int> columns(newWidth);
  for (int x = 0; x < newWidth; ++x) {
    columns[x] = static_cast<int>(static_cast<std::int64_t>(x) * info_.width / newWidth);
  }
  for (int y = 0; y < newHeight; ++y) {
    const int sy = static_cast<int>(static_cast<std::int64_t>(y) * info_.height / newHeight);
    if (bitsPerPixel_ == 24) {
      const std::uint8_t* src = getRow(sy);
      std::uint8_t* dst = out.getRow(y);
      for (int x = 0; x < newWidth; ++x) std::memcpy(dst + x * 3, src + static_cast<size_t>(columns[x]) * 3, 3);
    } else {
      for (int x = 0; x < newWidth; ++x) out.setPixelIndex(x, y, getPixelIndex(columns[x], sy));
    }
  }
  return true;
}

bool qmImage::resizeInterpolated(int newWidth, int newHeight, int mode, qmImage& out) const {
  if (!out.create(newWidth, newHeight, bitsPerPixel_)) return false;
  out.setPalette(getPalette(), paletteEntries_);
  // Interpolated colours are mapped back to the palette; most repeat, so the search is
  // remembered per colour.
  std::unordered_map<std::uint32_t, int> nearestIndex;
  auto store = [&](int x, int y, qmRGBQuad c) {
    const std::uint32_t key = c.blue | c.green << 8 | static_cast<std::uint32_t>(c.red) << 16;
    auto [it, added] = nearestIndex.try_emplace(key, 0);
    if (added) it->second = out.getNearestIndex(c);
    out.setPixelIndex(x, y, it->second);
  };
  const double xScale = static_cast<double>(info_.width) / newWidth;
  const double yScale = static_cast<double>(info_.height) / newHeight;
  auto clampX = [&](int x) { return std::clamp(x, 0, info_.width - 1); };
  auto clampY = [&](int y) { return std::clamp(y, 0, info_.height - 1); };
  for (int y = 0; y < newHeight; ++y) {
    for (int x = 0; x < newWidth; ++x) {
      double b = 0, g = 0, r = 0;
      if (mode == 2) {
        const double fx = x * xScale, fy = y * yScale;
        const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
        const double dx = fx - ix, dy = fy - iy;
        for (int m = -1; m <= 2; ++m) {
          const double wy = bspline(m - dy);
          for (int n = -1; n <= 2; ++n) {
            const double w = wy * bspline(n - dx);
            const qmRGBQuad c = getPixelColor(clampX(ix + n), clampY(iy + m));
            b += w * c.blue;
            g += w * c.green;
            r += w * c.red;
          }
        }
      } else {
        const double fx = std::max((x + 0.5) * xScale - 0.5, 0.0), fy = std::max((y + 0.5) * yScale - 0.5, 0.0);
        const int x0 = clampX(static_cast<int>(fx)), y0 = clampY(static_cast<int>(fy));
        const int x1 = clampX(x0 + 1), y1 = clampY(y0 + 1);
        const double dx = fx - x0, dy = fy - y0;
        const qmRGBQuad c00 = getPixelColor(x0, y0), c10 = getPixelColor(x1, y0);
        const qmRGBQuad c01 = getPixelColor(x0, y1), c11 = getPixelColor(x1, y1);
        auto mix = [&](std::uint8_t qmRGBQuad::*channel) {
          return (1 - dy) * ((1 - dx) * c00.*channel + dx * c10.*channel) +
                 dy * ((1 - dx) * c01.*channel + dx * c11.*channel);
        };
        b = mix(&qmRGBQuad::blue);
        g = mix(&qmRGBQuad::green);
        r = mix(&qmRGBQuad::red);
      }
      store(x, y, {clampByte(b), clampByte(g), clampByte(r), 0});
    }
  }
  return true;
}

bool qmImage::resizeArea(int newWidth, int newHeight, qmImage& out) const {
  const bool growX = newWidth > info_.width, growY = newHeight > info_.height;
  if (growX != growY && newWidth != info_.width && newHeight != info_.height) {
    // Growing one way and shrinking the other: one axis at a time.
    qmImage firstPass;
    firstPass.info_ = info_;
    if (!resizeArea(newWidth, info_.height, firstPass)) return false;
    return firstPass.resizeArea(newWidth, newHeight, out);
  }
  if (!out.create(newWidth, newHeight, 24)) return false;
  const bool shrinking = !growX && !growY;
  if (!shrinking && newWidth % info_.width == 0 && newHeight % info_.height == 0) {
    enlargeByWholeFactors(*this, out);
  } else if (shrinking && qmAreaShrinker::fracBitsFor(info_.width, info_.height) == 20) {
    areaResample<std::uint64_t>(*this, out, 20);
  } else {
    areaResample<std::uint32_t>(*this, out, 12);
  }
  return true;
}

void qmImage::resizeAlphaNearest(qmImage& out) const {
  out.createAlpha();
  for (int y = 0; y < out.info_.height; ++y) {
    const int sy = static_cast<int>(static_cast<std::int64_t>(y) * info_.height / out.info_.height);
    for (int x = 0; x < out.info_.width; ++x) {
      const int sx = static_cast<int>(static_cast<std::int64_t>(x) * info_.width / out.info_.width);
      out.getAlphaRow(y)[x] = getAlphaRow(sy)[sx];
    }
  }
}

bool qmImage::drawToImage(int srcLeft, int srcTop, int width, int height, qmImage& destination, int dstLeft,
                          int dstTop, int mode) const {
  if (dib_.empty() || destination.getBitsPerPixel() != 24) return false;
  const auto placed = placeRect(*this, {srcLeft, srcTop, dstLeft, dstTop, width, height}, destination);
  if (!placed) return false;
  if (mode == 1 && !destination.hasAlpha()) return false;
  const std::uint64_t start = TickCountMs();
  const Placement& p = *placed;
  for (int y = 0; y < p.height; ++y) {
    const int sy = p.srcTop + y, dy = p.dstTop + y;
    std::uint8_t* dst = destination.getRow(dy) + static_cast<size_t>(p.dstLeft) * 3;
    if (mode != 1 && !hasAlpha() && bitsPerPixel_ == 24) {
      std::memcpy(dst, getRow(sy) + static_cast<size_t>(p.srcLeft) * 3, static_cast<size_t>(p.width) * 3);
      continue;
    }
    for (int x = 0; x < p.width; ++x, dst += 3) {
      const int sx = p.srcLeft + x;
      const qmRGBQuad c = getPixelColor(sx, sy);
      const std::uint8_t s[3] = {c.blue, c.green, c.red};
      if (mode == 1) {
        const int a = effectiveAlpha(destination, p.dstLeft + x, dy);
        if (a == 0) {
          std::memcpy(dst, s, 3);
        } else if (a != 255) {
          for (int k = 0; k < 3; ++k) dst[k] = static_cast<std::uint8_t>((s[k] * (255 - a) + dst[k] * a) >> 8);
        }
        destination.setAlpha(p.dstLeft + x, dy, 255);
      } else {
        const int a = hasAlpha() ? effectiveAlpha(*this, sx, sy) : 255;
        if (a == 255) {
          std::memcpy(dst, s, 3);
        } else if (a != 0) {
          for (int k = 0; k < 3; ++k) dst[k] = static_cast<std::uint8_t>((dst[k] * (255 - a) + s[k] * a) >> 8);
        }
      }
    }
  }
  DebugPrintf("Time drawToImage: %d.\n", elapsedSince(start));
  return true;
}

bool qmImage::copyTransparent(int srcLeft, int srcTop, int width, int height, qmImage& destination, int dstLeft,
                              int dstTop, bool skipTransparent) const {
  if (dib_.empty() || !destination.isValid()) return false;
  const auto placed = placeRect(*this, {srcLeft, srcTop, dstLeft, dstTop, width, height}, destination);
  if (!placed) return false;
  if (!skipTransparent && destination.getBitsPerPixel() < 24 && !destination.increaseBpp(24)) return false;
  const qmRGBQuad key = info_.transparentColor;
  auto near = [](int a, int b) { return std::abs(a - b) <= 2; };
  for (int y = 0; y < placed->height; ++y) {
    for (int x = 0; x < placed->width; ++x) {
      const qmRGBQuad c = getPixelColor(placed->srcLeft + x, placed->srcTop + y);
      if (skipTransparent && near(c.blue, key.blue) && near(c.green, key.green) && near(c.red, key.red)) continue;
      destination.setPixelColor(placed->dstLeft + x, placed->dstTop + y, c);
    }
  }
  return true;
}

}  // namespace zolvex
