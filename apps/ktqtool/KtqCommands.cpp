#include "apps/ktqtool/KtqCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>

#include <unistd.h>

#include "apps/ktqtool/PictureRows.h"
#include "apps/ktqtool/PyramidBuilder.h"
#include "apps/ktqtool/PyramidStream.h"
#include "apps/ktqtool/SyntheticPicture.h"
#include "platform/TextValues.h"
#include "apps/ktqtool/ToolArgs.h"
#include "image/ViewImage.h"
#include "image/qmImageUtils.h"
#include "platform/Files.h"
#include "tiles/KtqFormat.h"
#include "tiles/KtqLocalFile.h"
#include "tiles/KtqWriter.h"
#include "tiles/MosaicIndex.h"

namespace zolvex::ktqtool {
namespace {

constexpr int kLargestTile = 4096;
constexpr int kLargestSynthSize = 1 << 20;
constexpr std::int64_t kProgressThreshold = 256;  // tiles; smaller pyramids are written silently
constexpr int kMostThreads = 64;
constexpr int kRowsAtOnce = 64;  // rows read from the input at a time

const std::set<std::string> kWriteOptions = {"--tile", "--codec", "--quality", "--thumb"};
const std::set<std::string> kWriteFlags = {"--plain", "--scrambled"};

struct WriteSettings {
  KtqWriter::Options writer;
  int tileSize = 256;
  int thumbSize = 160;
};

WriteSettings ReadWriteSettings(const ToolArgs& args) {
  WriteSettings settings;
  settings.tileSize = args.Number("--tile", 256, 1, kLargestTile);
  settings.thumbSize = args.Number("--thumb", 160, 0, kLargestTile);
  settings.writer.jpegQuality = args.Number("--quality", 85, 1, 100);
  std::string codec = args.Value("--codec", "jpeg");
  settings.writer.codec = KtqFormat::FormatFromName(codec);
  if (settings.writer.codec < 0) throw UsageError("unknown codec \"" + codec + "\" (jpeg, png, bmp, tga, gif, tiff)");
  if (args.Flag("--plain") && args.Flag("--scrambled")) throw UsageError("--plain and --scrambled exclude each other");
  settings.writer.scrambled = args.Flag("--scrambled");
  return settings;
}

// Progress on stderr for pyramids large enough to take a while. A terminal sees one line
// rewritten a few times a second; a pipe or a file gets a whole line every tenth of the work.
PyramidBuilder::Progress ProgressReporter(const std::string& path, std::int64_t total) {
  if (total < kProgressThreshold) return {};
  const bool terminal = isatty(fileno(stderr)) != 0;
  auto last = std::make_shared<std::chrono::steady_clock::time_point>();
  auto lastTenth = std::make_shared<std::int64_t>(0);
  return [path, last, lastTenth, terminal](std::int64_t done, std::int64_t all) {
    const int percent = static_cast<int>(done * 100 / all);
    if (terminal) {
      auto now = std::chrono::steady_clock::now();
      if (done != all && now - *last < std::chrono::milliseconds(250)) return;
      *last = now;
    } else {
      if (done != all && percent / 10 == *lastTenth) return;
      *lastTenth = percent / 10;
    }
    std::fprintf(stderr, "%sktqtool: %s: %lld of %lld tiles (%d%%)%s", terminal ? "\r" : "", path.c_str(),
                 static_cast<long long>(done), static_cast<long long>(all), percent,
                 terminal && done != all ? "" : "\n");
  };
}

void WritePyramid(const WriteSettings& settings, const std::string& output, const PyramidBuilder& builder,
                  const std::vector<std::uint8_t>& thumbnail, const PyramidBuilder::TileRenderer& render) {
  KtqWriter writer(settings.writer);
  if (!builder.Write(writer, output, thumbnail, render, ProgressReporter(output, builder.TileCount()))) {
    throw ToolFailure(writer.LastError());
  }
}

KtqLocalFile OpenKtq(const std::string& path) {
  KtqLocalFile file;
  if (!file.ReadLocalFile(path)) throw ToolFailure("cannot read " + path + ": " + file.LastError());
  return file;
}

void SavePicture(const qmImage& image, const std::string& path) {
  if (!qmImageUtils::saveImage(image, path)) throw ToolFailure("cannot write " + path);
}

void PrintInfoJson(const KtqLocalFile& file) {
  std::ostringstream out;
  out << "{\"file\": " << JsonString(file.Path()) << ", \"variant\": \"" << (file.IsScrambled() ? "scrambled" : "plain")
      << "\", \"codec\": \"" << KtqFormat::FormatName(file.Codec()) << "\", \"formatId\": " << file.Codec()
      << ", \"thumbnail\": ";
  if (const auto* thumbnail = file.Thumbnail()) {
    out << "{\"width\": " << thumbnail->getWidth() << ", \"height\": " << thumbnail->getHeight() << "}";
  } else {
    out << "null";
  }
  out << ", \"extentRecorded\": " << (file.HasRecordedExtent() ? "true" : "false") << ", \"levels\": [";
  for (int i = 0; i < file.LevelCount(); ++i) {
    const LevelInfo& level = file.Level(i);
    out << (i ? ", " : "") << "{\"level\": " << i << ", \"width\": " << level.width << ", \"height\": " << level.height
        << ", \"tileWidth\": " << level.tileWidth << ", \"tileHeight\": " << level.tileHeight
        << ", \"rows\": " << level.rows << ", \"columns\": " << level.columns << "}";
  }
  out << "]}\n";
  std::cout << out.str();
}

void PrintInfoText(const KtqLocalFile& file) {
  std::cout << "file: " << file.Path() << "\n"
            << "variant: " << (file.IsScrambled() ? "scrambled (B$41)" : "plain (KMTQ)") << "\n"
            << "codec: " << KtqFormat::FormatName(file.Codec()) << " (" << file.Codec() << ")\n";
  if (const auto* thumbnail = file.Thumbnail()) {
    std::cout << "thumbnail: " << thumbnail->getWidth() << " x " << thumbnail->getHeight() << "\n";
  } else {
    std::cout << "thumbnail: none\n";
  }
  std::cout << "levels: " << file.LevelCount() << "\n"
            << "extent: " << (file.HasRecordedExtent() ? "recorded (sizes are the picture's)" : "not recorded (sizes are whole tiles)")
            << "\n";
  for (int i = 0; i < file.LevelCount(); ++i) {
    const LevelInfo& level = file.Level(i);
    std::cout << "  level " << i << ": " << level.width << " x " << level.height << " pixels, tiles "
              << level.tileWidth << " x " << level.tileHeight << ", " << level.rows << " rows x " << level.columns
              << " columns\n";
  }
}

std::pair<int, int> ParseGrid(const std::string& text) {
  size_t x = text.find_first_of("xX");
  if (x == std::string::npos) throw UsageError("--grid takes COLUMNSxROWS, e.g. 2x3 (got \"" + text + "\")");
  return {ToolArgs::ParseNumber(text.substr(0, x), "grid columns", 1, 1024),
          ToolArgs::ParseNumber(text.substr(x + 1), "grid rows", 1, 1024)};
}

}  // namespace

int KtqCommands::Build(const std::vector<std::string>& words) {
  auto options = kWriteOptions;
  options.insert({"--threads", "--rows"});
  ToolArgs args(words, options, kWriteFlags);
  args.ExpectPositional(2, "build INPUT OUTPUT.ktq [--tile 256] [--codec jpeg|png|bmp|tga|gif|tiff] [--quality 85] "
                           "[--plain|--scrambled] [--thumb 160] [--threads 1]");
  WriteSettings settings = ReadWriteSettings(args);
  const int threads = args.Number("--threads", 1, 1, kMostThreads);
  const int rowsAtOnce = args.Number("--rows", kRowsAtOnce, 0, kLargestSynthSize);
  const std::string& input = args.Positional(0);
  const std::string& output = args.Positional(1);
  if (!std::filesystem::exists(input)) throw ToolFailure("cannot read " + input + ": no such file");
  PictureRows picture(input);
  const int width = picture.Width(), height = picture.Height();
  PyramidStream::Settings streamSettings{settings.writer, settings.tileSize, settings.thumbSize, threads};
  PyramidStream pyramid(width, height, streamSettings, output + ".partial",
                        ProgressReporter(output, PyramidBuilder(width, height, settings.tileSize).TileCount()));
  // Rows pass in strips; --rows 0 reads the whole picture in one.
  const int strip = rowsAtOnce == 0 ? height : std::min(rowsAtOnce, height);
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  std::vector<std::uint8_t> pixels(rowBytes * static_cast<size_t>(strip));
  std::vector<std::uint8_t*> rows(static_cast<size_t>(strip));
  for (int i = 0; i < strip; ++i) rows[static_cast<size_t>(i)] = pixels.data() + rowBytes * static_cast<size_t>(i);
  for (int done = 0; done < height;) {
    const int filled = picture.Read(rows.data(), std::min(strip, height - done));
    if (filled == 0) throw ToolFailure("cannot read " + input + ": it ends after " + std::to_string(done) + " of " + std::to_string(height) + " rows");
    for (int i = 0; i < filled; ++i) pyramid.AddRow(rows[static_cast<size_t>(i)]);
    done += filled;
  }
  pyramid.Write(output);
  return 0;
}

int KtqCommands::Synth(const std::vector<std::string>& words) {
  auto options = kWriteOptions;
  options.insert("--size");
  ToolArgs args(words, options, kWriteFlags);
  args.ExpectPositional(1, "synth OUTPUT.ktq --size N [--tile 256] [--codec jpeg|...] [--quality 85] "
                           "[--plain|--scrambled] [--thumb 160]");
  if (args.Value("--size", "").empty()) throw UsageError("synth needs --size N");
  int size = args.Number("--size", 0, 1, kLargestSynthSize);
  WriteSettings settings = ReadWriteSettings(args);
  SyntheticPicture picture(size);
  PyramidBuilder builder(size, size, settings.tileSize);
  std::vector<std::uint8_t> thumbnail;
  if (settings.thumbSize > 0) {
    int side = std::min(settings.thumbSize, size);
    qmImage small(side, side, 24);
    picture.Render(side, side, 0, 0, small);
    thumbnail = KtqWriter(settings.writer).Encode(small);
  }
  WritePyramid(settings, args.Positional(0), builder, thumbnail, [&](int level, int column, int row, qmImage& tile) {
    const auto& levelSize = builder.Levels()[level];
    picture.Render(levelSize.width, levelSize.height, column * settings.tileSize, row * settings.tileSize, tile);
  });
  return 0;
}

int KtqCommands::Info(const std::vector<std::string>& words) {
  ToolArgs args(words, {}, {"--json"});
  args.ExpectPositional(1, "info FILE.ktq [--json]");
  KtqLocalFile file = OpenKtq(args.Positional(0));
  if (args.Flag("--json")) {
    PrintInfoJson(file);
  } else {
    PrintInfoText(file);
  }
  return 0;
}

int KtqCommands::Tile(const std::vector<std::string>& words) {
  ToolArgs args(words, {}, {});
  args.ExpectPositional(5, "tile FILE.ktq LEVEL COLUMN ROW OUT.png");
  KtqLocalFile file = OpenKtq(args.Positional(0));
  int level = ToolArgs::ParseNumber(args.Positional(1), "LEVEL", 0, file.LevelCount() - 1);
  const LevelInfo& info = file.Level(level);
  int column = ToolArgs::ParseNumber(args.Positional(2), "COLUMN", 0, info.columns - 1);
  int row = ToolArgs::ParseNumber(args.Positional(3), "ROW", 0, info.rows - 1);
  auto tile = file.DecodeTile(level, column, row);
  if (!tile) throw ToolFailure("tile " + args.Positional(1) + "/" + args.Positional(2) + "/" + args.Positional(3) +
                               " of " + file.Path() + " does not decode");
  SavePicture(*tile, args.Positional(4));
  return 0;
}

int KtqCommands::Thumb(const std::vector<std::string>& words) {
  ToolArgs args(words, {}, {});
  args.ExpectPositional(2, "thumb FILE.ktq OUT.png");
  KtqLocalFile file = OpenKtq(args.Positional(0));
  if (!file.Thumbnail()) throw ToolFailure(file.Path() + " has no thumbnail");
  SavePicture(*file.Thumbnail(), args.Positional(1));
  return 0;
}

int KtqCommands::Mosaic(const std::vector<std::string>& words) {
  ToolArgs args(words, {"--grid"}, {});
  const std::string form = "mosaic OUTPUT.mon --grid COLSxROWS FILE...";
  if (args.AllPositional().size() < 2 || args.Value("--grid", "").empty()) throw UsageError("usage: ktqtool " + form);
  auto [columns, rows] = ParseGrid(args.Value("--grid", ""));
  std::vector<std::string> files(args.AllPositional().begin() + 1, args.AllPositional().end());
  if (files.size() > static_cast<size_t>(columns) * rows) {
    throw UsageError("a grid of " + std::to_string(columns) + "x" + std::to_string(rows) + " holds at most " +
                     std::to_string(columns * rows) + " files, got " + std::to_string(files.size()));
  }
  namespace fs = std::filesystem;
  fs::path folder = fs::absolute(fs::path(args.Positional(0))).parent_path();
  MosaicIndex index(columns, rows);
  for (size_t i = 0; i < files.size(); ++i) {
    if (files[i] == "-") continue;  // an empty cell
    OpenKtq(files[i]);
    std::string relative = fs::absolute(files[i]).lexically_normal().lexically_relative(folder).generic_string();
    index.SetCell(static_cast<int>(i % columns), static_cast<int>(i / columns), relative);
  }
  if (!index.Save(args.Positional(0))) throw ToolFailure("cannot write " + args.Positional(0));
  return 0;
}

}  // namespace zolvex::ktqtool
