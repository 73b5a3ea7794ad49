#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <memory>
#include <string>

#include "image/ViewImage.h"
#include "objects/CComponentRect.h"
#include "objects/PageIndex.h"
#include "objects/PictureButton.h"
#include "objects/ScrollBarObject.h"
#include "platform/EmbeddedResource.h"
#include "platform/InputEvent.h"
#include "tests/objects/RecordingView.h"

namespace zolvex {
namespace {

using test::RecordingView;

// A picture file to serve as a page's picture: a 15 x 15 bitmap built into the library.
std::vector<std::uint8_t> PictureBytes() {
  auto resource = platform::FindResource("IDB_SCROLLBAR_UP");
  return resource ? std::vector<std::uint8_t>(resource->begin(), resource->end()) : std::vector<std::uint8_t>{};
}

// An index of 80 x 60 thumbs in an 800 x 600 view; pictures are served from a map, and
// those marked late arrive only when looked for again.
class PageIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.viewWidth = 800;
    view.viewHeight = 600;
    view.ShowDocument(4000, 3000, 1.0);
  }
  void Make(int pages, const std::string& width = "80%", const std::string& height = "", int thumbHeight = 60) {
    index = std::make_unique<PageIndex>(80, thumbHeight, width, height, "center");
    index->SetView(&view);
    index->SetPictureSource([this](const std::string& name, std::vector<std::uint8_t>& data, bool ask) {
      asks.push_back(name + (ask ? " ask" : " look"));
      if (!served.contains(name) || (late.contains(name) && ask)) return false;
      data = served[name];
      return true;
    });
    for (int i = 1; i <= pages; ++i)
      index->AddPage(i, "goto:" + std::to_string(i * 100) + ",0,1", "pics\\p" + std::to_string(i) + ".bmp",
                     "Page " + std::to_string(i), "");
  }
  void Show() {
    index->SetVisible(true);
    index->Draw();
  }
  platform::Point Centre(const MapObject& object) const {
    return {object.GetScreenX() + object.GetScreenWidth() / 2, object.GetScreenY() + object.GetScreenHeight() / 2};
  }

  RecordingView view;
  std::unique_ptr<PageIndex> index;
  std::map<std::string, std::vector<std::uint8_t>> served;
  std::set<std::string> late;
  std::vector<std::string> asks;
};

TEST(PageIndexTexts, SizeTextsOtherThanDigitsAndATrailingPercentBecomeTheWholeSide) {
  const std::pair<const char*, const char*> cases[] = {
      {"50x", "100%"}, {"80%", "80%"}, {"8%0", "100%"}, {"300", "300"}, {"", ""}, {"-5", "100%"}, {"%", "%"}};
  for (auto [written, kept] : cases) EXPECT_EQ(PageIndex::ValidSizeText(written), kept) << written;
}

struct GridCase {
  const char* what;
  const char* width;
  int pages;
  int columnsSetting, panelWidth, panelHeight, visibleHeight;
};

TEST_F(PageIndexTest, GridWidthsColumnsAndHeights) {
  const GridCase cases[] = {
      // 80% of 800 = 640: (640 - 12) / 88 = 7 columns; 3 pages widen to 5 columns.
      {"few pages", "80%", 3, 7, 88 * 5 + 27, 68 + 35, 60 + 43},
      {"a full row", "80%", 7, 7, 88 * 7 + 27, 68 + 35, 68 + 27},
      {"two rows", "80%", 9, 7, 88 * 7 + 27, 68 * 2 + 35, 68 * 2 + 27},
      {"'50x' is the whole width", "50x", 9, 8, 88 * 8 + 27, 68 * 2 + 35, 68 * 2 + 27},
      {"pixels", "200", 4, 2, 88 * 2 + 27, 68 * 2 + 35, 68 * 2 + 27},
      {"many rows meet the panel height", "80%", 70, 7, 88 * 7 + 27, 68 * 10 + 35, 600},
  };
  for (const GridCase& c : cases) {
    SCOPED_TRACE(c.what);
    Make(c.pages, c.width);
    Show();
    EXPECT_EQ(index->Columns(), c.columnsSetting);
    EXPECT_EQ(index->PanelWidth(), c.panelWidth);
    EXPECT_EQ(index->PanelHeight(), c.panelHeight);
    EXPECT_EQ(index->VisibleHeight(), c.visibleHeight);
    EXPECT_EQ(index->GetScreenRect(),
              platform::Rect::FromSize((800 - c.panelWidth) / 2, (600 - c.visibleHeight) / 2, c.panelWidth,
                                       c.visibleHeight));
  }
}

TEST_F(PageIndexTest, ThePanelWidthFollowsItsText) {
  Make(3, "80%");
  EXPECT_EQ(index->PanelWidthSetting(), 640);
  Make(3, "");
  EXPECT_EQ(index->PanelWidthSetting(), 800);
  Make(3, "80%", "5");  // a height text of one character is the whole height
  EXPECT_EQ(index->PanelHeightSetting(), 600);
  Make(3, "80%", "50%");
  EXPECT_EQ(index->PanelHeightSetting(), 300);
}

TEST_F(PageIndexTest, PagesAreBuiltWhenFirstShownWithPicturesNowOrLater) {
  served["pics/p1.bmp"] = PictureBytes();
  served["pics/p2.bmp"] = PictureBytes();
  late.insert("pics/p2.bmp");
  Make(3);
  EXPECT_EQ(index->Page(1), nullptr);
  EXPECT_FALSE(index->IsVisible());
  Show();
  ASSERT_NE(index->Page(3), nullptr);
  EXPECT_NE(index->Page(1)->GetCurrentPicture(), nullptr);
  // The late picture is looked for again before the frame and arrives.
  EXPECT_NE(index->Page(2)->GetCurrentPicture(), nullptr);
  EXPECT_EQ(index->Page(3)->GetCurrentPicture(), nullptr);
  EXPECT_EQ(asks, (std::vector<std::string>{"pics/p1.bmp ask", "pics/p2.bmp ask", "pics/p3.bmp ask",
                                            "pics/p2.bmp look", "pics/p3.bmp look"}));
  // Pages are placed in the grid and are not moved by the fixed children.
  EXPECT_EQ(index->Page(2)->GetScreenRect(),
            platform::Rect::FromSize(index->GetScreenX() + 11 + 88, index->GetScreenY() + 34, 80, 60));
  EXPECT_EQ(index->Page(1)->GetTooltip(), "Page 1");
  EXPECT_EQ(index->Page(1)->GetLayer(), PageIndex::kPageLayer);

  // Showing again builds nothing twice.
  index->SetVisible(false);
  index->SetVisible(true);
  EXPECT_EQ(index->PageCount(), 3u);
}

TEST_F(PageIndexTest, ScrollingStaysBetweenTheTopAndTheLastRow) {
  Make(70);
  Show();
  const int range = index->PanelHeight() - index->VisibleHeight();
  index->Notify("scrollup", 0);  // already at the top
  EXPECT_EQ(index->ScrollOffset(), 0);
  index->Notify("scrolldown", 0);
  EXPECT_EQ(index->ScrollOffset(), -20);
  index->Draw();  // the view redraws
  EXPECT_EQ(index->Page(1)->GetScreenY(), index->GetScreenY() + 34 - 20);
  index->Notify("scrollpos", 100);
  EXPECT_EQ(index->ScrollOffset(), -range);
  index->Notify("scrollpos", 0);  // 300 - 0: back to the top
  EXPECT_EQ(index->ScrollOffset(), 0);
  index->Notify("scrollpos", 50);
  EXPECT_EQ(index->ScrollOffset(), 300 - index->PanelHeight() / 2);
  // The thumb shows where the window is: (V / 2 - offset) x 100 / panel height.
  EXPECT_EQ(index->ScrollBar().GetThumbPosition(), (300 - index->ScrollOffset()) * 100 / index->PanelHeight());
  EXPECT_GT(view.invalidations, 0);
}

TEST_F(PageIndexTest, AScrollBarDragSendsItsPlaceInPercent) {
  Make(70);
  Show();
  ScrollBarObject& bar = index->ScrollBar();
  const platform::Point on{bar.GetScreenX() + 2, bar.GetScreenY() + bar.GetScreenHeight() / 2};
  index->OnLButtonDown(platform::kModLeftButton, on);
  EXPECT_TRUE(index->IsCapturingMouse());
  index->OnMouseMove(platform::kModLeftButton, {on.x, bar.GetScreenY() + bar.GetScreenHeight()});
  EXPECT_EQ(index->ScrollOffset(), -(index->PanelHeight() - index->VisibleHeight()));
  index->OnLButtonUp(0, on);
  EXPECT_FALSE(index->IsCapturingMouse());
}

TEST_F(PageIndexTest, ClickingAPageFollowsItsLinkAndHidesTheIndex) {
  Make(3);
  Show();
  const platform::Point page = Centre(*index->Page(2));
  EXPECT_TRUE(index->HasLinkAt(page.x, page.y));
  EXPECT_FALSE(index->AllowsViewDrag(page.x, page.y));
  index->OnClick(page, kObjectLeftButton);
  ASSERT_EQ(view.queued.size(), 1u);
  EXPECT_EQ(view.queued[0], (std::pair<std::string, bool>{"goto:200,0,1", false}));
  EXPECT_FALSE(index->IsVisible());
}

TEST_F(PageIndexTest, ScrollButtonsKeepItOpenCloseAndOtherButtonsHideIt) {
  Make(70);
  Show();
  const MapObject* scrollDown = nullptr;
  const MapObject* close = nullptr;
  for (std::size_t i = 0; i < index->GetChildCount(); ++i) {
    auto* button = dynamic_cast<PictureButton*>(index->GetChild(i));
    if (button && button->GetCommand() == "scrolldown") scrollDown = button;
    if (button && button->GetCommand() == "close") close = button;
  }
  ASSERT_TRUE(scrollDown && close);
  index->OnClick(Centre(*scrollDown), kObjectLeftButton);
  EXPECT_TRUE(index->IsVisible());
  EXPECT_EQ(index->ScrollOffset(), -20);

  EXPECT_TRUE(index->HasLinkAt(Centre(*close).x, Centre(*close).y));
  EXPECT_FALSE(index->HasLinkAt(index->GetScreenX() + 5, index->GetScreenY() + 28));  // panel, no page
  index->OnClick(Centre(*close), kObjectLeftButton);
  EXPECT_FALSE(index->IsVisible());

  Show();
  index->OnClick(Centre(*index->Page(1)), kObjectRightButton);
  EXPECT_FALSE(index->IsVisible());
  EXPECT_TRUE(view.queued.empty());
}

TEST_F(PageIndexTest, ScrolledAwayPagesDoNotTakeClicksOverTheTitle) {
  Make(70);
  Show();
  index->Notify("scrolldown", 0);
  index->Notify("scrolldown", 0);
  index->Draw();
  // Page 1 now reaches above the list area, under the title strip.
  const platform::Point title{index->Page(1)->GetScreenX() + 5, index->GetScreenY() + 20};
  ASSERT_TRUE(index->Page(1)->HitTest(title.x, title.y));
  EXPECT_FALSE(index->HasLinkAt(title.x, title.y));
}

TEST_F(PageIndexTest, DraggingTheTitleMovesTheFreeDirectionsOfItsPosition) {
  Make(3);
  Show();
  const platform::Rect before = index->GetScreenRect();
  const platform::Point grip{before.left + 40, before.top + 10};
  index->OnLButtonDown(platform::kModLeftButton, grip);
  index->OnMouseMove(platform::kModLeftButton, {grip.x + 30, grip.y + 20});
  index->OnLButtonUp(0, {grip.x + 30, grip.y + 20});
  EXPECT_EQ(index->GetScreenRect(), before.Offset(30, 20));

  view.browserProperties = {{"pageindexposition", "top"}};  // across only, from the top
  index->Draw();
  const platform::Rect top = index->GetScreenRect();
  EXPECT_EQ(top.top, 20);
  index->OnLButtonDown(platform::kModLeftButton, {top.left + 40, top.top + 10});
  index->OnMouseMove(platform::kModLeftButton, {top.left + 50, top.top + 60});
  EXPECT_EQ(index->GetScreenRect(), top.Offset(10, 0));
}

TEST_F(PageIndexTest, DrawsShadowPanelTitleStripAndOutlines) {
  Make(3);
  Show();
  const platform::Rect r = index->GetScreenRect();
  auto has = [&](const RecordingView::DrawCall& call) {
    return std::find(view.draws.begin(), view.draws.end(), call) != view.draws.end();
  };
  const long long grey = 0x818181, white = 0xFFFFFF, strip = 0xD0D0D0;
  EXPECT_TRUE(has({"FillRect", {r.right + 2, r.top + 5, 1, r.Height() - 3, grey, 200}}));
  EXPECT_TRUE(has({"FillRect", {r.left + 5, r.bottom + 7, r.Width() + 3, 1, grey, 20}}));
  EXPECT_TRUE(has({"FillRect", {r.left, r.top, r.Width(), r.Height(), white, 255}}));
  EXPECT_TRUE(has({"FillRect", {r.left, r.top, r.Width(), 26, strip, 255}}));
  EXPECT_TRUE(has({"DrawRectOutline", {r.left - 2, r.top - 2, r.Width() + 4, r.Height() + 4, grey, 1, 0}}));
}

TEST_F(PageIndexTest, WithoutPagesNothingShows) {
  Make(0);
  Show();
  EXPECT_EQ(index->GetScreenRect(), platform::Rect::FromSize(0, 0, 0, 0));
  EXPECT_TRUE(view.draws.empty());
}

}  // namespace
}  // namespace zolvex
