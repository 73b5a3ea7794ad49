#include <gtest/gtest.h>

#include <vector>

#include "tiles/FrameParser.h"
#include "tiles/LoadAnswerParser.h"

using zolvex::FrameParser;
using zolvex::LoadAnswerParser;
using zolvex::ServerFrame;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Be32(std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v)};
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace

TEST(FrameParser, CutsFramesHoweverTheBytesArrive) {
  Bytes stream = Join({Be32(11), Be32(0), Be32(7), {'a', 'b', 'c'}, Be32(4), Be32(3), Be32(8), Be32(1), Be32(9)});
  for (std::size_t chunk : {std::size_t{1}, std::size_t{5}, stream.size()}) {
    FrameParser parser;
    std::vector<ServerFrame> frames;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      std::size_t n = std::min(chunk, stream.size() - at);
      ASSERT_EQ(parser.Append(stream.data() + at, n), n);
      ServerFrame frame;
      FrameParser::Result result;
      while ((result = parser.Next(frame)) == FrameParser::Result::Frame) frames.push_back(frame);
      ASSERT_EQ(result, FrameParser::Result::NeedMore);
    }
    ASSERT_EQ(frames.size(), 3u) << chunk;
    EXPECT_EQ(frames[0].requestNumber, 7);
    EXPECT_EQ(frames[0].payload, (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(frames[1].type, 3);
    EXPECT_TRUE(frames[1].payload.empty());
    EXPECT_EQ(frames[2].type, 1);
    EXPECT_EQ(frames[2].requestNumber, 9);
    EXPECT_EQ(parser.Buffered(), 0u);
  }
}

TEST(FrameParser, HeadersThatNoBytesCanCompleteBreakTheStream) {
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"length 1,000,000", Be32(1'000'000)},
      {"length just over the buffer", Be32(999'997)},
      {"negative length", Be32(-5)},
      {"zero length", Be32(0)},
      {"length without room for the type", Be32(3)},
      {"result without room for its number", Join({Be32(6), Be32(0)})},
      {"failure without room for its number", Join({Be32(4), Be32(1)})},
  };
  for (const auto& c : cases) {
    FrameParser parser;
    parser.Append(c.bytes.data(), c.bytes.size());
    ServerFrame frame;
    EXPECT_EQ(parser.Next(frame), FrameParser::Result::Broken) << c.what;
  }
}

TEST(FrameParser, TheLargestFrameThatFitsTheBufferIsAccepted) {
  const std::int32_t length = static_cast<std::int32_t>(FrameParser::kBufferSize - 4);
  Bytes stream = Join({Be32(length), Be32(0), Be32(5)});
  stream.resize(FrameParser::kBufferSize, 0x5A);
  FrameParser parser;
  std::size_t at = 0;
  ServerFrame frame;
  while (at < stream.size()) at += parser.Append(stream.data() + at, std::min<std::size_t>(65536, stream.size() - at));
  ASSERT_EQ(parser.Next(frame), FrameParser::Result::Frame);
  EXPECT_EQ(frame.payload.size(), static_cast<std::size_t>(length - 8));
}

TEST(LoadAnswerParser, RefusalsCarryTheServerCodeOr404) {
  struct Case {
    Bytes bytes;
    int code;
  } cases[] = {
      {Join({Be32(8), Be32(1), Be32(1)}), 404},
      {Join({Be32(12), Be32(1), Be32(1), Be32(401)}), 401},
      {Join({Be32(12), Be32(1), Be32(1), Be32(500)}), 500},
  };
  for (const auto& c : cases) {
    LoadAnswerParser parser;
    EXPECT_EQ(parser.Feed(c.bytes.data(), c.bytes.size()), c.bytes.size());
    ASSERT_EQ(parser.State(), LoadAnswerParser::Result::Refused);
    EXPECT_EQ(parser.ErrorCode(), c.code);
  }
}

TEST(LoadAnswerParser, LeavesTheBytesAfterTheAnswerAndRejectsImpossibleLengths) {
  Bytes description = Join({Be32(1), Be32(10), Be32(10), Be32(16), Be32(16), Be32(1), Be32(1), Be32(0)});
  Bytes answer = Join({Be32(8 + static_cast<std::int32_t>(description.size())), Be32(0), Be32(1), description});
  Bytes stream = Join({answer, Be32(4), Be32(3)});
  LoadAnswerParser parser;
  std::size_t used = 0;
  for (std::size_t i = 0; i < stream.size() && parser.State() == LoadAnswerParser::Result::NeedMore; ++i)
    used += parser.Feed(stream.data() + i, 1);
  EXPECT_EQ(used, answer.size());
  ASSERT_EQ(parser.State(), LoadAnswerParser::Result::Loaded);
  EXPECT_EQ(parser.Description()->version, 10);
  EXPECT_EQ(parser.Description()->levels.at(0).width, 10);

  for (std::int32_t length : {-1, 4, static_cast<std::int32_t>(LoadAnswerParser::kMaxAnswerLength + 1)}) {
    Bytes header = Join({Be32(length), Be32(0), Be32(1)});
    LoadAnswerParser bad;
    bad.Feed(header.data(), header.size());
    EXPECT_EQ(bad.State(), LoadAnswerParser::Result::Invalid) << length;
  }
}
