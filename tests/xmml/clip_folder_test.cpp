#include <gtest/gtest.h>

#include "documents/CReaderException.h"
#include "documents/ClipDocument.h"
#include "tiles/FolderDocument.h"
#include "documents/MessageTable.h"
#include "objects/CComponentRect.h"
#include "objects/LineObject.h"
#include "tests/xmml/XmmlTestBase.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

class ClipFolderTest : public XmmlTest {};

TEST_F(ClipFolderTest, AClipOpensItsImageWithTheLimitAndKeepsItsFrames) {
  ASSERT_FALSE(view_->OpenUrl(File("view.clip"), true, 0, 0, 0).empty());
  auto* clip = dynamic_cast<ClipDocument*>(view_->GetDocument());
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(clip->ImageSource(), "a.ktq");
  EXPECT_EQ(clip->GetFullWidth(), 512);
  EXPECT_EQ(clip->GetParam("limit"), "10,10-300,200");
  EXPECT_EQ(view_->GetBrowserProperty("limit"), "10,10-300,200");
  EXPECT_TRUE(clip->UnmadeElements().empty());
  // The clip frame is an outlined rectangle over the clipped region; the line is a line.
  CComponentRect* frame = nullptr;
  int lines = 0;
  for (MapObject* object : clip->GetObjectList()) {
    if (auto* rect = dynamic_cast<CComponentRect*>(object)) frame = rect;
    lines += dynamic_cast<LineObject*>(object) != nullptr;
  }
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(platform::Rect::FromSize(frame->GetX(), frame->GetY(), frame->GetWidth(), frame->GetHeight()),
            platform::Rect::FromSize(10, 10, 290, 190));
  EXPECT_EQ(frame->GetLayer(), 2);
  EXPECT_TRUE(frame->HasOutline());
  EXPECT_EQ(frame->GetVirtualWidth(), 512);
  EXPECT_EQ(lines, 1);
}

TEST_F(ClipFolderTest, AClipStartsOneLevelBelowTheFirstLevelThatFillsTheView) {
  ClipDocument clip(*view_, File("view.clip"));  // levels of 128, 256 and 512 pixels
  ASSERT_TRUE(clip.IsValid());
  ASSERT_EQ(clip.GetLevelCount(), 3);
  EXPECT_EQ(clip.StartLevel(400, 300), 1);    // 512 is the first to fill 400 x 300
  EXPECT_EQ(clip.StartLevel(200, 1000), -1);  // 256 fills the width: level 0 stays
  EXPECT_EQ(clip.StartLevel(5000, 5000), 2);  // none fills it
  clip.Activate();
  EXPECT_EQ(clip.GetLevel(), 1);
  EXPECT_EQ(view_->GetBrowserProperty("limit"), "10,10-300,200");
  clip.Deactivate();
  EXPECT_EQ(view_->GetBrowserProperty("limit"), "");
}

TEST_F(ClipFolderTest, AClipServedOverHttpOpensTheImageItWasClippedFrom) {
  HttpTestServer server;
  std::string markup = ReadText(File("view.clip"));
  markup.replace(markup.find("\"a.ktq\""), 7, "\"" + File("b.ktq") + "\"");
  server.Route("/clips/view.clip", HttpTestServer::Response::Text(markup));
  ClipDocument clip(*view_, server.Url("/clips/view.clip"));
  EXPECT_TRUE(clip.IsValid());
  EXPECT_EQ(clip.BasePath(), server.Url("/clips/"));
  EXPECT_EQ(clip.ImageSource(), File("b.ktq"));
  EXPECT_EQ(clip.GetFullHeight(), 512);
  EXPECT_TRUE(clip.UnmadeElements().empty());
}

TEST_F(ClipFolderTest, AnUnreadableClipRaisesTheMissingFileMessage) {
  try {
    ClipDocument clip(*view_, File("gone.clip"));
    FAIL() << "no error";
  } catch (const CReaderException& error) {
    EXPECT_EQ(error.Message(), GetMessageText(401, "", File("gone.clip")));
  }
  WriteText(File("empty.clip"), "");
  EXPECT_THROW(ClipDocument(*view_, File("empty.clip")), CReaderException);
}

TEST_F(ClipFolderTest, AFolderPathShowsItsImagesInAGrid) {
  ASSERT_FALSE(view_->OpenUrl(File("imgs") + "\\", true, 0, 0, 0).empty());
  auto* folder = dynamic_cast<FolderDocument*>(view_->GetDocument());
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->Images(), (std::vector<std::string>{File("imgs/1.ktq"), File("imgs/2.ktq"), File("imgs/3.ktq")}));
  EXPECT_EQ(folder->ChildCount(), 3);
  EXPECT_EQ(folder->GetFullWidth(), 512);
  EXPECT_EQ(folder->GetFullHeight(), 512);

  std::filesystem::create_directories(File("none"));
  WriteText(File("none/readme.txt"), "no images here");
  try {
    FolderDocument empty(*view_, File("none") + "/", DefaultSourceMakers::Shared());
    FAIL() << "no error";
  } catch (const CReaderException& error) {
    EXPECT_EQ(error.Message(), GetMessageText(401, "", File("none") + "/"));
  }
}

}  // namespace
