#include <gtest/gtest.h>

#include <memory>

#include "image/ViewImage.h"
#include "objects/CComponentLink.h"
#include "tests/objects/RecordingView.h"
#include "tests/support/TestSupport.h"

namespace zolvex {
namespace {

using test::RecordingView;
using platform::MakeColor;

std::shared_ptr<ViewImage> MakePicture(int width, int height) {
  return std::make_shared<ViewImage>(width, height, 24);
}

class LinkTest : public ::testing::Test {
 protected:
  std::unique_ptr<CComponentLink> MakeLink(const std::string& href) {
    auto link = std::make_unique<CComponentLink>(10, 10, 50, 20, href, normal, hover);
    link->SetScreenCoordinates(true);
    link->SetId(12);
    link->SetView(&view);
    return link;
  }

  RecordingView view;
  std::shared_ptr<ViewImage> normal = MakePicture(5, 5);
  std::shared_ptr<ViewImage> hover = MakePicture(6, 6);
};

TEST_F(LinkTest, BuiltInPropertiesAnswerAfterTheBaseOnes) {
  auto link = MakeLink("page2.xml");
  EXPECT_EQ(link->GetProperty("color"), "#3232ff");
  EXPECT_EQ(link->GetProperty("MouseOverColor"), "#ff0a0a");
  EXPECT_EQ(link->GetProperty("fillcolor"), "");
  EXPECT_EQ(link->GetProperty("mouseoverfillcolor"), "");
  EXPECT_EQ(link->GetProperty("href"), "page2.xml");
  EXPECT_EQ(link->GetProperty("transparency"), "255");
  EXPECT_EQ(link->GetProperty("transparent"), "no");
  EXPECT_EQ(link->GetProperty("x"), "10");
  EXPECT_EQ(link->GetProperty("ifx"), "");
  link->SetFillColor(MakeColor(0, 0x80, 0xFF));
  EXPECT_EQ(link->GetProperty("fillcolor"), "#0080ff");
  link->SetProperty("href", "pending.xml");
  EXPECT_EQ(link->GetProperty("HREF"), "pending.xml");
}

TEST_F(LinkTest, SilentLinksNeedTheFullPrefixAndSomethingAfterIt) {
  const struct {
    const char* href;
    bool silent;
  } cases[] = {{"ext_silent:a", true}, {"EXT_SILENT:go", true}, {"ext_silent:", false},
               {"ext_silentabc", false}, {"ext:abcdefghij", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(MakeLink(c.href)->IsSilentLink(), c.silent) << c.href;
    auto committed = MakeLink("start.xml");
    committed->SetProperty("href", c.href);
    committed->CommitProperties();
    EXPECT_EQ(committed->GetLink(), c.href);
    EXPECT_EQ(committed->IsSilentLink(), c.silent) << c.href;
  }
}

TEST_F(LinkTest, LinksAreFollowedByTheRightClicks) {
  const struct {
    const char* href;
    int button;
    const char* option;  // nullptr: OnClick
    std::vector<std::pair<std::string, bool>> queued;
  } cases[] = {
      {"page.xml", kObjectLeftButton, nullptr, {{"page.xml", true}}},
      {"page.xml", kObjectLeftButton, "NoSave", {{"page.xml", false}}},
      {"page.xml", kObjectLeftButton, "save", {{"page.xml", true}}},
      {"page.xml", kObjectRightButton, nullptr, {}},
      {"rmenu:x", kObjectRightButton, nullptr, {{"rmenu:x", true}}},
      {"RMENU:", kObjectRightButton, nullptr, {}},  // shorter than 7
      {"ext:open this", kObjectLeftButton, nullptr, {{"ext:open this<@12", true}}},
      {"ext:open this", kObjectLeftButton, "nosave", {{"ext:open this<@12", true}}},
      {"ext:", kObjectLeftButton, nullptr, {{"ext:", true}}},  // too short for the host form
      {"null", kObjectLeftButton, nullptr, {}},
      {"NULL", kObjectLeftButton, nullptr, {}},
      {"", kObjectLeftButton, nullptr, {}},
  };
  for (const auto& c : cases) {
    view.queued.clear();
    auto link = MakeLink(c.href);
    if (c.option)
      link->OnClickWithOption({0, 0}, c.button, c.option);
    else
      link->OnClick({0, 0}, c.button);
    EXPECT_EQ(view.queued, c.queued) << c.href << " " << c.button;
  }
}

TEST_F(LinkTest, FollowingSetsThePageTurnEffectAndEditingIgnoresClicks) {
  auto link = MakeLink("next.xml");
  link->SetProperty("ifx", "curl");
  link->FollowLink();
  EXPECT_EQ(view.GetBrowserProperty("ifx"), "curl");
  EXPECT_EQ(view.queued.size(), 1u);

  auto plain = MakeLink("other.xml");
  plain->FollowLink(false);
  EXPECT_EQ(view.GetBrowserProperty("ifx"), "");  // an object without ifx clears it
  EXPECT_EQ(view.queued.back(), (std::pair<std::string, bool>{"other.xml", false}));

  plain->SetEditing(true);
  plain->OnClick({0, 0}, kObjectLeftButton);
  EXPECT_EQ(view.queued.size(), 2u);
}

TEST_F(LinkTest, HoverSwapsTheLookPlaysTheSoundAndPostsEvents) {
  auto link = MakeLink("page.xml");
  link->SetOutline(true);
  link->SetFillColor(MakeColor(1, 2, 3));
  link->SetMouseOverFillColor(MakeColor(4, 5, 6));
  link->SetEventListening(true);
  view.invalidations = 0;

  link->OnMouseMove(0, {20, 20});
  EXPECT_TRUE(link->IsHovered());
  EXPECT_EQ(link->GetCurrentColor(), CComponentLink::kDefaultMouseOverColor);
  EXPECT_EQ(link->GetCurrentFill(), MakeColor(4, 5, 6));
  EXPECT_EQ(link->GetCurrentPicture(), hover.get());
  EXPECT_EQ(view.invalidations, 1);
  EXPECT_EQ(view.builtInSounds, std::vector<int>{1});
  link->OnMouseMove(0, {21, 20});  // already hovered: nothing more
  EXPECT_EQ(view.builtInSounds.size(), 1u);
  ASSERT_EQ(view.objectEvents.size(), 1u);
  EXPECT_EQ(view.objectEvents[0].name, "onmouseenter");
  EXPECT_EQ(view.objectEvents[0].objectId, 12);

  link->OnMouseExit();
  EXPECT_FALSE(link->IsHovered());
  EXPECT_EQ(link->GetCurrentColor(), CComponentLink::kDefaultColor);
  EXPECT_EQ(link->GetCurrentFill(), MakeColor(1, 2, 3));
  EXPECT_EQ(link->GetCurrentPicture(), normal.get());
  EXPECT_EQ(view.invalidations, 2);
  EXPECT_EQ(view.stopSounds, 0);  // no sound of its own to stop
  ASSERT_EQ(view.objectEvents.size(), 2u);
  EXPECT_EQ(view.objectEvents[1].name, "onmouseexit");
}

TEST_F(LinkTest, OwnHoverSoundIsOpenedAndStopped) {
  auto link = MakeLink("page.xml");
  link->SetMouseOverSound("sounds/hover.wav");
  link->OnMouseEnter();
  link->OnMouseExit();
  EXPECT_EQ(view.opened, std::vector<std::string>{"sounds/hover.wav"});
  EXPECT_TRUE(view.builtInSounds.empty());
  EXPECT_EQ(view.stopSounds, 1);
}

TEST_F(LinkTest, AutoScrollLinksStartAndStopScrolling) {
  auto link = MakeLink("AutoScroll:5,-3");
  link->OnMouseEnter();
  link->OnMouseExit();
  const std::vector<std::pair<std::string, std::string>> expected = {{"setautoscroll", "5,-3"},
                                                                     {"setautoscroll", "0,0"}};
  EXPECT_EQ(view.executed, expected);
  view.executed.clear();
  MakeLink("autoscroll")->OnMouseEnter();  // not longer than 10 characters
  EXPECT_TRUE(view.executed.empty());
}

TEST_F(LinkTest, PressedPictureShowsWhileClickedAndBlocksHoverUntilExit) {
  auto link = MakeLink("page.xml");
  auto pressed = MakePicture(7, 7);
  link->SetPictures(normal, hover, pressed);
  link->OnMouseEnter();
  link->OnLButtonDown(1, {20, 20});
  EXPECT_TRUE(link->IsClicked());
  EXPECT_EQ(link->GetCurrentPicture(), pressed.get());
  link->OnLButtonUp(0, {20, 20});
  EXPECT_EQ(link->GetCurrentPicture(), hover.get());

  // While clicked, entering again does not swap, scroll or play.
  view.builtInSounds.clear();
  link->OnMouseEnter();
  EXPECT_TRUE(view.builtInSounds.empty());

  link->OnMouseExit();
  EXPECT_FALSE(link->IsClicked());
  EXPECT_EQ(link->GetCurrentPicture(), normal.get());

  // Without a pressed picture the buttons change nothing.
  auto simple = MakeLink("page.xml");
  simple->OnLButtonDown(1, {});
  EXPECT_FALSE(simple->IsClicked());
  EXPECT_EQ(simple->GetCurrentPicture(), normal.get());
}

TEST_F(LinkTest, SelectAndFollowCommands) {
  auto link = MakeLink("page.xml");
  EXPECT_TRUE(link->ExecuteCommand("SELECT", "yes"));
  EXPECT_TRUE(link->IsHeld());
  EXPECT_TRUE(link->IsHovered());
  link->ExecuteCommand("select", "no");
  EXPECT_FALSE(link->IsHeld());
  EXPECT_FALSE(link->IsHovered());
  link->ExecuteCommand("Follow", "");
  EXPECT_EQ(view.queued.size(), 1u);
  link->ExecuteCommand("jump", "");
  EXPECT_EQ(view.queued.size(), 1u);
}

TEST_F(LinkTest, FillColoursFollowTheHoverState) {
  auto link = MakeLink("page.xml");
  link->OnMouseEnter();
  link->SetFillColor(MakeColor(9, 9, 9));
  EXPECT_EQ(link->GetCurrentFill(), platform::kNoColor);  // hovered: the mouse-over fill shows
  link->SetMouseOverFillColor(MakeColor(7, 7, 7));
  EXPECT_EQ(link->GetCurrentFill(), MakeColor(7, 7, 7));
  link->SetColors(MakeColor(1, 1, 1), MakeColor(2, 2, 2));
  EXPECT_EQ(link->GetCurrentColor(), MakeColor(2, 2, 2));
  link->OnMouseExit();
  EXPECT_EQ(link->GetCurrentFill(), MakeColor(9, 9, 9));
  EXPECT_EQ(link->GetCurrentColor(), MakeColor(1, 1, 1));
}

TEST_F(LinkTest, CommitAppliesColoursFlagsAndLink) {
  auto link = MakeLink("page.xml");
  link->SetFillColor(MakeColor(1, 2, 3));
  link->SetProperty("color", "#ff0000");
  link->SetProperty("mouseOverColor", "#f00");  // three digits: the number 0x000f00
  link->SetProperty("fillcolor", "zzz");        // not a colour: no fill
  link->SetProperty("mouseoverfillcolor", "#00FF00");
  link->SetProperty("transparency", "128");
  link->SetProperty("transparent", "YES");
  link->SetProperty("outline", "yes");
  link->SetProperty("href", "other.xml");
  link->SetProperty("mouseoversound", "s.wav");
  EXPECT_TRUE(link->CommitProperties());
  EXPECT_EQ(link->GetColor(), MakeColor(0xFF, 0, 0));
  EXPECT_EQ(link->GetCurrentColor(), MakeColor(0xFF, 0, 0));
  EXPECT_EQ(link->GetMouseOverColor(), MakeColor(0, 0x0F, 0));
  EXPECT_EQ(link->GetFillColor(), platform::kNoColor);
  EXPECT_EQ(link->GetCurrentFill(), platform::kNoColor);
  EXPECT_EQ(link->GetMouseOverFillColor(), MakeColor(0, 0xFF, 0));
  EXPECT_EQ(link->GetTransparency(), 128);
  EXPECT_TRUE(link->IsKeyTransparent());
  EXPECT_TRUE(link->HasOutline());
  EXPECT_EQ(link->GetLink(), "other.xml");
  EXPECT_EQ(link->GetMouseOverSound(), "s.wav");

  // A colour without "#" changes nothing.
  link->SetProperty("color", "00ff00");
  link->CommitProperties();
  EXPECT_EQ(link->GetColor(), MakeColor(0xFF, 0, 0));
}

TEST_F(LinkTest, CommittedPicturesAreReadFromFiles) {
  test::TempDir dir;
  const std::string file = dir.File("pic.png");
  ASSERT_TRUE(test::MagickRun("-size 8x3 xc:red " + file));
  auto pressed = MakePicture(7, 7);
  auto link = MakeLink("page.xml");
  link->SetPictures(normal, normal, pressed);  // normal and mouse-over shared

  link->SetProperty("src", dir.File("missing.png"));
  link->CommitProperties();
  EXPECT_EQ(link->GetNormalPicture(), normal.get());
  EXPECT_EQ(link->GetPictureSource(), "");

  link->SetProperty("src", file);
  link->CommitProperties();
  ViewImage* loaded = link->GetNormalPicture();
  ASSERT_NE(loaded, normal.get());
  EXPECT_EQ(loaded->getWidth(), 8);
  EXPECT_EQ(loaded->getHeight(), 3);
  EXPECT_EQ(loaded->getPixelColor(4, 1), qmMakeColor(255, 0, 0));
  EXPECT_EQ(link->GetMouseOverPicture(), loaded);  // every use of the old normal follows
  EXPECT_EQ(link->GetCurrentPicture(), loaded);
  EXPECT_EQ(link->GetPressedPicture(), pressed.get());
  EXPECT_EQ(link->GetPictureSource(), file);
  EXPECT_EQ(normal.use_count(), 1);  // released by the object: only the fixture holds it

  const std::string hoverFile = dir.File("hover.png");
  ASSERT_TRUE(test::MagickRun("-size 2x2 xc:blue " + hoverFile));
  link->SetProperty("onMouseOver", hoverFile);
  link->CommitProperties();
  EXPECT_EQ(link->GetMouseOverPicture()->getWidth(), 2);
  EXPECT_EQ(link->GetNormalPicture(), loaded);  // the normal picture stays
  EXPECT_EQ(link->GetCurrentPicture(), loaded);
  link->OnMouseEnter();
  EXPECT_EQ(link->GetCurrentPicture()->getWidth(), 2);
}

}  // namespace
}  // namespace zolvex
