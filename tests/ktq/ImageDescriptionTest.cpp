#include "tiles/ImageDescription.h"

#include <gtest/gtest.h>

#include <functional>

namespace zolvex {
namespace {

const LevelInfo kSmall{300, 200, 256, 256, 1, 2};
const LevelInfo kLarge{600, 400, 256, 256, 2, 3};

// Big-endian words, as the server writes them.
struct Wire {
  std::vector<std::uint8_t> bytes;
  Wire& Int(std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(v >> shift));
    return *this;
  }
  Wire& Text(const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  Wire& Level(const LevelInfo& l) {
    return Int(l.width).Int(l.height).Int(l.tileWidth).Int(l.tileHeight).Int(l.rows).Int(l.columns);
  }
  Wire& Levels(int count) {
    Int(count);
    for (int i = 0; i < count; ++i) Level(kSmall);
    return *this;
  }
};

// The frame length that a version-10 server states for these bytes.
std::int64_t Version10Length(const Wire& wire) { return 8 + static_cast<std::int64_t>(wire.bytes.size()); }

TEST(ImageDescription, FrameLengthDecidesTheVersionByOneByte) {
  Wire wire;
  wire.Int(2).Level(kSmall).Level(kLarge).Int(5).Text("thumb");
  std::int64_t exact = 16 + 24 * 2 + 5;
  ASSERT_EQ(Version10Length(wire), exact);
  auto v10 = ImageDescription::ParseDirect(wire.bytes.data(), wire.bytes.size(), exact);
  ASSERT_TRUE(v10);
  EXPECT_EQ(v10->version, 10);
  EXPECT_EQ(v10->levels, (std::vector<LevelInfo>{kSmall, kLarge}));
  EXPECT_EQ(std::string(v10->thumbnail.begin(), v10->thumbnail.end()), "thumb");
  EXPECT_TRUE(v10->files.empty());

  // One byte more: version 11, and the file count must follow.
  EXPECT_FALSE(ImageDescription::ParseDirect(wire.bytes.data(), wire.bytes.size(), exact + 1));
  wire.Int(1).Int(8).Text("page.xml").Int(3).Text("abc");
  auto v11 = ImageDescription::ParseDirect(wire.bytes.data(), wire.bytes.size(), Version10Length(wire));
  ASSERT_TRUE(v11);
  EXPECT_EQ(v11->version, 11);
  ASSERT_EQ(v11->files.size(), 1u);
  EXPECT_EQ(v11->files[0].name, "page.xml");
  EXPECT_EQ(std::string(v11->files[0].data.begin(), v11->files[0].data.end()), "abc");
}

TEST(ImageDescription, LevelCountLimitsDependOnTheTransport) {
  struct Case {
    int levels;
    bool direct;
    bool http;
  };
  for (const Case& c : {Case{0, false, false}, Case{1, true, true}, Case{20, true, true}, Case{21, true, false},
                        Case{256, true, false}, Case{257, false, false}}) {
    Wire wire;
    wire.Levels(c.levels).Int(0).Int(0);  // no thumbnail, no files
    EXPECT_EQ(ImageDescription::ParseDirect(wire.bytes.data(), wire.bytes.size(), Version10Length(wire)).has_value(),
              c.direct)
        << c.levels;
    EXPECT_EQ(ImageDescription::ParseHttp(wire.bytes.data(), wire.bytes.size()).has_value(), c.http) << c.levels;
  }
}

TEST(ImageDescription, RefusesOutOfRangeFields) {
  struct Case {
    const char* name;
    std::function<void(Wire&)> build;
    bool valid;
  };
  auto level = [](int field, std::int32_t value) {
    return [=](Wire& w) {
      LevelInfo l = kSmall;
      std::int32_t* fields[] = {&l.width, &l.height, &l.tileWidth, &l.tileHeight, &l.rows, &l.columns};
      *fields[field] = value;
      w.Int(1).Level(l).Int(0).Int(0);
    };
  };
  auto file = [](std::int32_t nameLength, std::int32_t dataLength) {
    return [=](Wire& w) {
      w.Levels(1).Int(0).Int(1).Int(nameLength).Text(std::string(std::max(nameLength, 0), 'n')).Int(dataLength);
      w.Text(std::string(std::max(dataLength, 0), 'd'));
    };
  };
  const Case cases[] = {
      {"width -1", level(0, -1), false},
      {"height -1", level(1, -1), false},
      {"tile width -1", level(2, -1), false},
      {"tile height -1", level(3, -1), false},
      {"rows -1", level(4, -1), false},
      {"columns -1", level(5, -1), false},
      {"columns 0", level(5, 0), false},
      {"rows x columns beyond 32 bits", [](Wire& w) { w.Int(1).Level({9, 9, 1, 1, 65536, 65536}).Int(0).Int(0); }, false},
      {"thumbnail -1", [](Wire& w) { w.Levels(1).Int(-1).Int(0); }, false},
      {"thumbnail 1,000,001", [](Wire& w) { w.Levels(1).Int(1'000'001).Text(std::string(1'000'001, 't')).Int(0); }, false},
      {"thumbnail 1,000,000", [](Wire& w) { w.Levels(1).Int(1'000'000).Text(std::string(1'000'000, 't')).Int(0); }, true},
      {"thumbnail cut short", [](Wire& w) { w.Levels(1).Int(10).Text("short"); }, false},
      {"file count -1", [](Wire& w) { w.Levels(1).Int(0).Int(-1); }, false},
      {"file count 60,001", [](Wire& w) { w.Levels(1).Int(0).Int(60'001); }, false},
      {"name length 2083", file(2083, 1), true},
      {"name length 2084", file(2084, 1), false},
      {"name length -1", file(-1, 1), false},
      {"data length -1", file(4, -1), false},
      {"empty name and data", file(0, 0), true},
      {"file data cut short", [](Wire& w) { w.Levels(1).Int(0).Int(1).Int(1).Text("a").Int(100).Text("xy"); }, false},
  };
  for (const auto& c : cases) {
    Wire wire;
    c.build(wire);
    auto parsed = ImageDescription::ParseImageDescription(wire.bytes.data(), wire.bytes.size(), 0,
                                                          ImageDescription::Transport::Http);
    EXPECT_EQ(parsed.has_value(), c.valid) << c.name;
  }
}

TEST(ImageDescription, EncodesWhatItParsesAndRefusesEveryTruncation) {
  ImageDescription description;
  description.levels = {kSmall, kLarge};
  description.thumbnail = {1, 2, 3, 4};
  description.files = {{"a.xml", {5, 6}}, {"b.ktq", {}}};
  auto bytes = description.Encode();
  EXPECT_EQ(description.FrameLength(), 8 + static_cast<std::int64_t>(bytes.size()));
  auto parsed = ImageDescription::ParseDirect(bytes.data(), bytes.size(), description.FrameLength());
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->version, 11);
  EXPECT_EQ(parsed->levels, description.levels);
  EXPECT_EQ(parsed->thumbnail, description.thumbnail);
  EXPECT_EQ(parsed->files, description.files);
  for (size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_FALSE(ImageDescription::ParseHttp(bytes.data(), length)) << length;
  }

  description.version = 10;
  auto v10 = description.Encode();
  EXPECT_EQ(description.FrameLength(), 16 + 24 * 2 + 4);
  parsed = ImageDescription::ParseDirect(v10.data(), v10.size(), description.FrameLength());
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->version, 10);
  EXPECT_TRUE(parsed->files.empty());
}

}  // namespace
}  // namespace zolvex
