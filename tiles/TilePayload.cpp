#include "tiles/TilePayload.h"

#include "image/qmFormatId.h"
#include "tiles/ByteOrder.h"
#include "tiles/KtqFormat.h"

namespace zolvex {
namespace {

constexpr int kSniffCode = 255;

// The least significant byte of the big-endian integer at field index i.
std::uint8_t LowByte(const std::uint8_t* header, int field) { return header[field * 4 + 3]; }

}  // namespace

std::optional<TilePayload::Stream> TilePayload::Unwrap(const std::uint8_t* bytes, size_t length, int version) {
  if (!bytes && length > 0) return std::nullopt;
  if (version == 10) return Stream{qmFormatJpeg, std::vector<std::uint8_t>(bytes, bytes + length)};
  if (version != 11 || length < kHeaderSize) return std::nullopt;
  Stream stream;
  stream.formatId = KtqFormat::FormatFromTileCode(LowByte(bytes, 1));
  stream.bytes.assign(bytes + kHeaderSize, bytes + length);
  if (LowByte(bytes, 0) == 1) KtqFormat::Scramble(stream.bytes.data(), stream.bytes.size(), LowByte(bytes, 2));
  return stream;
}

std::unique_ptr<ViewImage> TilePayload::DecodeTilePayload(const std::uint8_t* bytes, size_t length, int version,
                                                      int tileWidth, int tileHeight) {
  auto stream = Unwrap(bytes, length, version);
  if (!stream) return nullptr;
  return KtqFormat::DecodeTileStream(stream->bytes.data(), stream->bytes.size(), stream->formatId, tileWidth,
                                     tileHeight);
}

std::vector<std::uint8_t> TilePayload::Encode(const std::uint8_t* stream, size_t length, int version, int formatId,
                                              bool scrambled, int key) {
  std::vector<std::uint8_t> out;
  if (version == 11) {
    int code = KtqFormat::TileCodeFromFormat(formatId);
    AppendBE32(out, scrambled ? 1 : 0);
    AppendBE32(out, code < 0 ? kSniffCode : code);
    AppendBE32(out, key);
  }
  size_t start = out.size();
  out.insert(out.end(), stream, stream + length);
  if (version == 11 && scrambled) KtqFormat::Scramble(out.data() + start, length, static_cast<std::uint8_t>(key));
  return out;
}

}  // namespace zolvex
