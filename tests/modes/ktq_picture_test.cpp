// Pictures whose source is on the tile server come from it as named files, both while an
// XMML document loads its objects and for objects the page adds to the content shown.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "documents/MapDocument.h"
#include "documents/ObjectFactory.h"
#include "image/ViewImage.h"
#include "objects/CComponentRect.h"
#include "tests/modes/ModesFixture.h"
#include "view/FlipMapView.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

class KtqPictureTest : public ModesFixture {
 protected:
  void SetUp() override {
    for (const char* name : {"star", "moon"}) {
      const std::string file = dir_.File(std::string(name) + ".jpg");
      ASSERT_TRUE(MagickRun(std::string("-size ") + (name[0] == 's' ? "30x20" : "12x16") + " xc:#C03020 '" + file + "'"));
      std::ifstream in(file, std::ios::binary);
      pictures_[std::string("/pics/") + name + ".jpg"] = Bytes(std::istreambuf_iterator<char>(in), {});
    }
    const FakeKtqServer::Script describe = DescriptionOnly({{2, 1}});
    server_ = std::make_unique<FakeKtqServer>([this, describe](platform::ServerConnection& connection,
                                                               const std::string& line) {
      const std::size_t file = line.find(" GETFILE ");
      if (file == std::string::npos) return describe(connection, line);
      auto found = pictures_.find(line.substr(file + 9));
      if (found != pictures_.end()) connection.Write(Frame(0, std::stoi(line), found->second));
    });
    server_url_ = "ktq://127.0.0.1:" + std::to_string(server_->Port());
  }

  CComponentRect* PictureObject(const std::string& source) {
    for (MapObject* object : View().GetDocument()->GetObjectList()) {
      auto* rect = dynamic_cast<CComponentRect*>(object);
      if (rect && rect->GetPictureSource() == source) return rect;
    }
    return nullptr;
  }

  std::map<std::string, Bytes> pictures_;
  std::unique_ptr<FakeKtqServer> server_;
  std::string server_url_;
};

TEST_F(KtqPictureTest, PicturesOnTheTileServerAreItsNamedFiles) {
  const std::string star = server_url_ + "/pics/star.jpg";
  const std::string file = dir_.File("page.xmml");
  std::ofstream(file) << "<xmml><body><basemap><ktq src=\"" << server_url_ << "/paper.ktq\"/></basemap>"
                      << "<map><img src=\"" << star << "\" x=\"100\" y=\"50\"/></map></body></xmml>";
  MakePlatform(200, 100);
  window_ = std::make_unique<ViewWindow>(*platform_, std::vector<std::pair<std::string, std::string>>{});
  std::string error;
  ASSERT_TRUE(window_->Open(file, error)) << error;

  // Made while the document loaded: the picture's own size, centred on its point.
  CComponentRect* made = PictureObject(star);
  ASSERT_NE(made, nullptr);
  ASSERT_NE(made->GetNormalPicture(), nullptr);
  EXPECT_EQ(made->GetNormalPicture()->getWidth(), 30);
  EXPECT_EQ(made->GetNormalPicture()->getHeight(), 20);
  EXPECT_EQ(made->GetX(), 85);

  // Added by the page to the content shown.
  const std::string moon = server_url_ + "/pics/moon.jpg";
  std::unique_ptr<MapObject> added =
      View().Objects().CreateObjectFromText(View(), "img", "src=\"" + moon + "\" x=\"10\" y=\"10\"", "");
  auto* rect = dynamic_cast<CComponentRect*>(added.get());
  ASSERT_NE(rect, nullptr);
  ASSERT_NE(rect->GetNormalPicture(), nullptr);
  EXPECT_EQ(rect->GetNormalPicture()->getWidth(), 12);

  int asked = 0;
  for (const std::string& line : server_->Lines()) asked += line.find(" GETFILE /pics/") != std::string::npos;
  EXPECT_EQ(asked, 2);
}

}  // namespace
