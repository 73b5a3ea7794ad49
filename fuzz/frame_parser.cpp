// The socket frame parser, fed in chunks whose sizes the input chooses: each chunk is one
// size byte followed by that many bytes (scaled so that large frames are reachable).
#include "fuzz/FuzzSupport.h"
#include "tiles/FrameParser.h"

namespace {

using zolvex::FrameParser;
using zolvex::ServerFrame;

void RequireSound(const ServerFrame& frame) {
  bool numbered = frame.type == ServerFrame::kResult || frame.type == ServerFrame::kFailure;
  zolvex::fuzz::Require(frame.length >= 4, "frame length covers the type");
  if (numbered) {
    zolvex::fuzz::Require(frame.payload.size() == static_cast<size_t>(frame.length) - 8, "payload fills the frame");
  } else {
    zolvex::fuzz::Require(frame.payload.empty(), "only numbered frames carry a payload");
  }
}

// Takes every complete frame; a broken stream is dropped as the connection would be.
void Drain(FrameParser& parser) {
  ServerFrame frame;
  for (;;) {
    FrameParser::Result result = parser.Next(frame);
    if (result == FrameParser::Result::Frame) {
      RequireSound(frame);
    } else {
      if (result == FrameParser::Result::Broken) parser.Clear();
      return;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zolvex::fuzz::InputReader input(data, size);
  // One parser for every input, cleared as a connection clears it: its megabyte buffer is
  // made once instead of per run.
  static FrameParser parser;
  parser.Clear();
  while (input.Remaining() > 0) {
    std::uint8_t sizeByte = input.Byte();
    std::size_t chunk = sizeByte < 0xF0 ? sizeByte : static_cast<std::size_t>(sizeByte - 0xEF) * 4096;
    std::string_view bytes = input.Take(chunk);
    const auto* at = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
      std::size_t taken = parser.Append(at, left);
      zolvex::fuzz::Require(taken <= left && parser.Buffered() <= FrameParser::kBufferSize, "buffer bounded");
      at += taken;
      left -= taken;
      Drain(parser);
      // A full buffer that yields no frame is a broken stream.
      if (taken == 0) parser.Clear();
    }
    Drain(parser);
  }
  return 0;
}
