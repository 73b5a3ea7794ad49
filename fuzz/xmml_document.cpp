// XMML document loading from memory: parameters, actions, menus, the page index, the body,
// maps and the basemap arrangement, over a headless view. The basemap named after the
// document is a small local image; images the markup names on a tile server or web server
// are opened from that same file, so no input reaches the network through a tile source;
// the pictures of shapes all come from one small local picture.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "documents/CReaderException.h"
#include "documents/ObjectFactory.h"
#include "documents/XmmlDocument.h"
#include "fuzz/FuzzSupport.h"
#include "image/ViewImage.h"
#include "image/qmImage.h"
#include "image/qmImageUtils.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "tiles/DefaultSourceMakers.h"
#include "tiles/KtqWriter.h"
#include "tiles/TileSource.h"
#include "view/DocumentFactory.h"
#include "view/FlipMapView.h"

namespace {

using namespace zolvex;

// Every source, wherever the markup puts it, is the one local image.
class LocalOnlyMakers : public SourceMakers {
 public:
  explicit LocalOnlyMakers(std::string image) : image_(std::move(image)) {}
  std::unique_ptr<TileSource> MakeFileSource(const std::string&, const std::string& messageFile) override {
    return DefaultSourceMakers::Shared().MakeFileSource(image_, messageFile);
  }
  std::unique_ptr<TileSource> MakeSocketSource(const SocketSourceSettings& settings) override {
    return MakeFileSource(settings.path, settings.messageFile);
  }
  std::unique_ptr<TileSource> MakeHttpSource(const HttpSourceSettings& settings) override {
    return MakeFileSource(settings.path, settings.messageFile);
  }

 private:
  std::string image_;
};

// The folder, the basemap image, the platform and the view, made once per process.
struct Scene {
  std::filesystem::path folder;
  std::unique_ptr<platform::Platform> platform;
  std::unique_ptr<FlipMapView> view;
  std::unique_ptr<LocalOnlyMakers> makers;
  std::vector<std::uint8_t> picture;

  Scene() {
    folder = std::filesystem::temp_directory_path() / "zolvex-fuzz-xmml";
    std::filesystem::create_directories(folder);
    const std::string image = (folder / "doc.ktq").string();
    WriteImage(image);
    platform::PlatformOptions options;
    options.width = 320;
    options.height = 240;
    options.settingsFile = (folder / "settings.ini").string();
    options.clock = std::make_shared<platform::ManualClock>(0);
    std::string error;
    platform = platform::CreatePlatform(options, error);
    fuzz::Require(platform != nullptr, "headless platform", error);
    view = std::make_unique<FlipMapView>(*platform);
    view->SetBrowserProperty("CustomErrorHandling", "yes");
    view->InitSurfaces(320, 240);
    makers = std::make_unique<LocalOnlyMakers>(image);
    view->SetDocumentFactory(std::make_unique<DocumentFactory>(BuiltInDocumentConstructors(*makers)));
    InstallShapes();
  }

  // Every picture a shape names is the one small local picture.
  void InstallShapes() {
    const std::string path = (folder / "pic.bmp").string();
    fuzz::Require(qmImageUtils::saveImage(ViewImage(8, 8, 24), path), "shape picture");
    auto bytes = platform::ReadFileBytes(path);
    fuzz::Require(bytes.has_value(), "shape picture read");
    picture = std::move(*bytes);
    view->Objects().SetPictureFetcher(
        [this](const std::string&) -> std::optional<std::vector<std::uint8_t>> { return picture; });
  }

  static void WriteImage(const std::string& path) {
    qmImage tile;
    fuzz::Require(tile.create(64, 64, 24), "tile image");
    KtqWriter writer({.codec = qmFormatPng});
    const bool written = writer.Begin(path, 1, {}) && writer.BeginLevel(1, 1) && writer.AddTile(tile) && writer.Finish();
    fuzz::Require(written, "basemap written", writer.LastError());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scene scene;
  std::vector<std::uint8_t> bytes(data, data + size);
  try {
    XmmlDocument document(*scene.view, (scene.folder / "doc.xmml").string(), std::move(bytes));
    document.GetParam("limit");
    document.LoadMap("[all]");
    document.UnloadMap("[all]");
    document.Close();
  } catch (const CReaderException&) {
    // A basemap the markup names that cannot be opened: refused with a message.
  }
  return 0;
}
