#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "documents/ObjectFactory.h"
#include "documents/XmlReader.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TestSupport.h"
#include "tiles/DefaultSourceMakers.h"
#include "view/DocumentFactory.h"
#include "view/FlipMapView.h"

namespace zolvex::test {

// A view that keeps the link commands it is asked to run instead of running them.
class LinkRecordingView : public FlipMapView {
 public:
  using FlipMapView::FlipMapView;
  std::vector<std::string> links;

 protected:
  void RunLinkCommand(const std::string& url) override { links.push_back(url); }
};

// Opens images named on a tile server or web server from the local folder instead, and
// remembers the paths asked for: the documents' own work is under test, not the transport.
class LocalImageMakers : public SourceMakers {
 public:
  explicit LocalImageMakers(std::string folder) : folder_(std::move(folder)) {}
  std::vector<std::string> paths;

  std::unique_ptr<TileSource> MakeFileSource(const std::string& path, const std::string& messageFile) override {
    return DefaultSourceMakers::Shared().MakeFileSource(path, messageFile);
  }
  std::unique_ptr<TileSource> MakeSocketSource(const SocketSourceSettings& settings) override {
    return Local(settings.path, settings.messageFile);
  }
  std::unique_ptr<TileSource> MakeHttpSource(const HttpSourceSettings& settings) override {
    return Local(settings.path, settings.messageFile);
  }

 private:
  std::unique_ptr<TileSource> Local(const std::string& path, const std::string& messageFile) {
    paths.push_back(path);
    return DefaultSourceMakers::Shared().MakeFileSource(folder_ + "/" + std::filesystem::path(path).filename().string(),
                                                        messageFile);
  }
  std::string folder_;
};

// Makes a plain object of the x, y, width and height attributes of every "rect" element
// of the view's documents, for the tests of map placement.
inline void MakeRectsPlain(MapView& view) {
  view.Objects().RegisterMaker("rect", [](DocumentHost&, XmlReader& reader, const std::string&,
                                          const std::string&) -> std::unique_ptr<MapObject> {
    return std::make_unique<MapObject>(ParseInt(reader.GetChildAttribute("x")), ParseInt(reader.GetChildAttribute("y")),
                                       ParseInt(reader.GetChildAttribute("width")),
                                       ParseInt(reader.GetChildAttribute("height")));
  });
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A folder with the markup files of the test data, the images they name (a.ktq 512 x 512 in
// tiles of 128, b.ktq, plain.ktq, broken.ktq, imgs/ with three images), a 30 x 20 picture
// pic.jpg, and a headless view of 400 x 300.
class XmmlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    const std::string tool = KTQTOOL_PROGRAM;
    auto synth = [&](const std::string& file, int size) {
      ASSERT_EQ(RunCommand(tool + " synth '" + dir_->File(file) + "' --size " + std::to_string(size) +
                           " --tile 128 --codec png >/dev/null 2>&1"),
                0);
    };
    synth("a.ktq", 512);
    synth("b.ktq", 512);
    std::filesystem::create_directories(dir_->File("imgs"));
    for (const char* name : {"imgs/1.ktq", "imgs/2.ktq", "imgs/3.ktq"}) synth(name, 256);
    std::filesystem::copy_file(dir_->File("a.ktq"), dir_->File("plain.ktq"));
    std::filesystem::copy_file(dir_->File("a.ktq"), dir_->File("broken.ktq"));
    ASSERT_TRUE(MagickRun("-size 30x20 xc:'#2040e0' -fill '#ffffff' -draw 'rectangle 0,0 4,4' '" +
                          dir_->File("pic.jpg") + "'"));
    for (const auto& entry : std::filesystem::directory_iterator(ZOLVEX_TEST_DATA))
      std::filesystem::copy_file(entry.path(), dir_->File(entry.path().filename().string()));
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override {
    platform::PlatformOptions options;
    options.width = 400;
    options.height = 300;
    options.settingsFile = settingsDir_.File("settings.ini");
    options.clock = std::make_shared<platform::ManualClock>(10000);
    std::string error;
    platform_ = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform_) << error;
    view_ = std::make_unique<LinkRecordingView>(*platform_);
    view_->SetBrowserProperty("CustomErrorHandling", "yes");
    view_->InitSurfaces(400, 300);
  }

  static std::string File(const std::string& name) { return dir_->File(name); }
  platform::ScriptedResponder& Responder() { return *platform_->Responder(); }

  static TempDir* dir_;
  TempDir settingsDir_;
  std::unique_ptr<platform::Platform> platform_;
  std::unique_ptr<LinkRecordingView> view_;
};

inline TempDir* XmmlTest::dir_ = nullptr;

}  // namespace zolvex::test
