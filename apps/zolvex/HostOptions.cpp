#include "apps/zolvex/HostOptions.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zolvex::host {

namespace {

constexpr int kLargestSide = 16384;

// A whole number from 1 to kLargestSide that fills the text exactly; out-of-range digits
// (4294967297) fail instead of wrapping.
bool ParseSide(std::string_view text, int& side) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > kLargestSide) return false;
  side = value;
  return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int w = 0, h = 0;
  if (!ParseSide(std::string_view(text).substr(0, x), w) || !ParseSide(std::string_view(text).substr(x + 1), h)) {
    return false;
  }
  width = w;
  height = h;
  return true;
}

bool ParseSeconds(const std::string& text, int& seconds) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value <= 0 || value > 86400) return false;
  seconds = static_cast<int>(value);
  return true;
}

// "X,Y,W,H,LEVEL": whole numbers, the size and level at least 1.
bool ParseArea(const std::string& text, HostOptions::SaveArea& area) {
  int values[5] = {};
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 5; ++i) {
    if (i > 0 && (at == end || *at++ != ',')) return false;
    auto [next, error] = std::from_chars(at, end, values[i]);
    if (error != std::errc()) return false;
    at = next;
  }
  if (at != end || values[2] < 1 || values[3] < 1 || values[4] < 1) return false;
  area.x = values[0];
  area.y = values[1];
  area.width = values[2];
  area.height = values[3];
  area.level = values[4];
  return true;
}

}  // namespace

std::string HostUsage() {
  return "usage: zolvex [options] [URL]\n"
         "  --headless           render without a window (no display needed)\n"
         "  --size WxH           window size in pixels (default 1024x768)\n"
         "  --param NAME=VALUE   a property of the control for its property bag, e.g. BackgroundColor=#336699\n"
         "                       or Zolvex2.SkinURL=...; other names become browser properties of the view\n"
         "                       (e.g. firewalled=yes) (repeatable)\n"
         "  --events             print every event of the control on stdout, one JSON line each:\n"
         "                       {\"event\":\"OnLoaded\",\"id\":1,\"args\":[\"...\"]}\n"
         "  --script FILE.js     run a page script: the control is the global `zolvex`, events reach\n"
         "                       zolvex.OnLoaded = function (url) {...}; host.exit(code) ends the program\n"
         "  --snapshot FILE      save the frame as PNG (or BMP/JPEG by extension) once loaded, then exit\n"
         "  --save-area X,Y,W,H,LEVEL OUT\n"
         "                       save the area (pixels of LEVEL, counted from 1 as in a position) of the\n"
         "                       URL's image with its objects and watermark as OUT (.jpg, .png, else BMP);\n"
         "                       exits 0 when the file is complete, 1 when it cannot be made\n"
         "  --timeout SECONDS    longest wait for --snapshot, or for a headless script to exit (default 30)\n"
         "  --help               this text\n"
         "URL: a .ktq file, a ktq:// image on a tile server, an http: or file: URL of an XMML document.\n";
}

std::optional<HostOptions> ParseHostOptions(int argc, char** argv, std::string& error) {
  HostOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* name) -> std::optional<std::string> {
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return std::nullopt;
      }
      return std::string(argv[++i]);
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--size") {
      auto v = value("--size");
      if (!v) return std::nullopt;
      if (!ParseSize(*v, options.width, options.height)) {
        error = "--size takes WIDTHxHEIGHT, each from 1 to 16384, e.g. 1024x768";
        return std::nullopt;
      }
    } else if (arg == "--param") {
      auto v = value("--param");
      if (!v) return std::nullopt;
      size_t eq = v->find('=');
      if (eq == std::string::npos || eq == 0) {
        error = "--param takes NAME=VALUE";
        return std::nullopt;
      }
      options.params.emplace_back(v->substr(0, eq), v->substr(eq + 1));
    } else if (arg == "--events") {
      options.events = true;
    } else if (arg == "--script") {
      auto v = value("--script");
      if (!v) return std::nullopt;
      options.script = *v;
    } else if (arg == "--snapshot") {
      auto v = value("--snapshot");
      if (!v) return std::nullopt;
      options.snapshot = *v;
    } else if (arg == "--save-area") {
      auto area = value("--save-area");
      if (!area) return std::nullopt;
      HostOptions::SaveArea save;
      if (!ParseArea(*area, save)) {
        error = "--save-area takes X,Y,WIDTH,HEIGHT,LEVEL (size and level from 1) and a file name";
        return std::nullopt;
      }
      auto file = value("--save-area");
      if (!file) return std::nullopt;
      save.file = *file;
      options.saveArea = save;
    } else if (arg == "--timeout") {
      auto v = value("--timeout");
      if (!v) return std::nullopt;
      if (!ParseSeconds(*v, options.timeoutSeconds)) {
        error = "--timeout takes a number of seconds";
        return std::nullopt;
      }
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      error = "unknown option " + arg;
      return std::nullopt;
    } else if (options.url.empty()) {
      options.url = arg;
    } else {
      error = "only one URL may be given";
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace zolvex::host
