#include "image/codecs/qmwebpcodec.h"

#include <cstring>
#include <vector>

#include <webp/decode.h>

#include "image/qmCodecError.h"

namespace zolvex {

namespace {

constexpr size_t kSignatureBytes = 12;

bool HasSignature(const std::uint8_t* bytes, size_t length) {
  return length >= kSignatureBytes && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WEBP", 4) == 0;
}

std::vector<std::uint8_t> ReadAll(qmIIOStream& stream) {
  const std::int64_t size = stream.size();
  if (size <= 0) throw qmCodecError("Empty WebP stream");
  std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
  stream.seek(0, 0);
  if (stream.read(bytes.data(), 1, bytes.size()) != bytes.size()) throw qmCodecError("Truncated WebP stream");
  return bytes;
}

struct DecoderOutput {
  WebPDecoderConfig config;
  DecoderOutput() {
    if (!WebPInitDecoderConfig(&config)) throw qmCodecError("WebP library mismatch");
  }
  ~DecoderOutput() { WebPFreeDecBuffer(&config.output); }
  DecoderOutput(const DecoderOutput&) = delete;
  DecoderOutput& operator=(const DecoderOutput&) = delete;
};

}  // namespace

bool qmWebpDecoder::checkHeader() {
  try {
    qmIIOStream& s = stream();
    s.seek(0, 0);
    std::uint8_t signature[kSignatureBytes];
    return s.read(signature, 1, kSignatureBytes) == kSignatureBytes && HasSignature(signature, kSignatureBytes);
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return false;
  }
}

qmImageHeaderInfo qmWebpDecoder::readHeaderInfo() {
  const std::vector<std::uint8_t> bytes = ReadAll(stream());
  int width = 0, height = 0;
  if (!WebPGetInfo(bytes.data(), bytes.size(), &width, &height)) throw qmCodecError("Not a WebP picture");
  return {width, height, 24, qmFormatWebp};
}

std::unique_ptr<qmImage> qmWebpDecoder::decodeImage() {
  const std::vector<std::uint8_t> bytes = ReadAll(stream());
  DecoderOutput output;
  WebPDecoderConfig& config = output.config;
  if (WebPGetFeatures(bytes.data(), bytes.size(), &config.input) != VP8_STATUS_OK) throw qmCodecError("Not a WebP picture");
  if (config.input.has_animation) throw qmCodecError("Animated WebP is not supported");
  const int width = config.input.width, height = config.input.height;
  const bool alpha = config.input.has_alpha != 0;
  // The image is made first, so that its size limits apply before the decoder allocates.
  auto image = std::make_unique<qmImage>();
  if (width <= 0 || height <= 0 || !image->create(width, height, 24)) throw qmCodecError("Bad WebP size");
  if (alpha && !image->createAlpha()) throw qmCodecError("Bad WebP size");
  config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
  if (WebPDecode(bytes.data(), bytes.size(), &config) != VP8_STATUS_OK) throw qmCodecError("WebP decode failed");
  const WebPRGBABuffer& decoded = config.output.u.RGBA;
  const int step = alpha ? 4 : 3;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = decoded.rgba + static_cast<size_t>(y) * decoded.stride;
    std::uint8_t* out = image->getRow(y);
    if (!alpha) {
      std::memcpy(out, in, static_cast<size_t>(width) * 3);
      continue;
    }
    std::uint8_t* alphaRow = image->getAlphaRow(y);
    for (int x = 0; x < width; ++x, in += step, out += 3) {
      std::memcpy(out, in, 3);
      alphaRow[x] = in[3];
    }
  }
  image->info().formatId = qmFormatWebp;
  applyDecodeType(*image);
  return image;
}

}  // namespace zolvex
