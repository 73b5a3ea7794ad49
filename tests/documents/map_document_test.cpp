#include <gtest/gtest.h>

#include "documents/PublicationDocument.h"
#include "tests/documents/GridDocument.h"
#include "tests/documents/RecordingHost.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

std::unique_ptr<MapObject> Named(const std::string& name, int layer = 1) {
  auto object = std::make_unique<MapObject>(0, 0, 10, 10);
  object->SetProperty("name", name);
  object->SetLayer(layer);
  return object;
}

std::vector<std::string> Names(MapDocument& document) {
  std::vector<std::string> names;
  for (MapObject* object : document.GetObjectList()) names.push_back(object->GetProperty("name"));
  return names;
}

// An object that tells when it is destroyed.
class WatchedObject : public MapObject {
 public:
  explicit WatchedObject(bool& destroyed) : MapObject(0, 0, 1, 1), destroyed_(destroyed) {}
  ~WatchedObject() override { destroyed_ = true; }

 private:
  bool& destroyed_;
};

}  // namespace

TEST(MapDocument, KeepsObjectsInLayerOrderAndNumbersThemOneByOne) {
  GridDocument document(FiveLevels());
  // The hidden limit frame is the first object of every document.
  ASSERT_EQ(document.GetObjectList().size(), 1u);
  EXPECT_EQ(document.GetObjectList()[0], document.GetLimitFrame());
  EXPECT_FALSE(document.GetLimitFrame()->IsVisible());

  std::vector<int> ids;
  for (auto [name, layer] : {std::pair{"A", 2}, {"B", 1}, {"C", 2}, {"D", 3}, {"E", 1}})
    ids.push_back(document.AddObject(Named(name, layer), false));
  for (std::size_t i = 1; i < ids.size(); ++i) EXPECT_EQ(ids[i], static_cast<std::uint16_t>(ids[i - 1] + 1));
  EXPECT_EQ(ids[0], static_cast<std::uint16_t>(document.GetLimitFrame()->GetId() + 1));
  // The frame (no name) is of layer 3, in front of the objects of lower layers.
  std::vector<std::string> expected{"B", "E", "A", "C", "", "D"};
  EXPECT_EQ(Names(document), expected);
  EXPECT_EQ(document.FindObject(ids[3])->GetProperty("name"), "D");
  EXPECT_EQ(document.FindObject(0x7FFFFFF), nullptr);
  EXPECT_EQ(document.AddObject(nullptr, true), -1);
}

TEST(MapDocument, SortObjectsRestoresLayerThenIdOrder) {
  GridDocument document(FiveLevels());
  int a = document.AddObject(Named("A", 1), false);
  document.AddObject(Named("B", 1), false);
  document.AddObject(Named("C", 2), false);
  document.FindObject(a)->SetLayer(3);
  document.FindObject(a + 2)->SetLayer(1);
  EXPECT_FALSE(document.HandleCommand("shuffle", ""));
  EXPECT_TRUE(document.HandleCommand("SortObjects", ""));
  // B and C of layer 1 by ID, then the frame (layer 3, first ID) and A.
  EXPECT_EQ(Names(document), (std::vector<std::string>{"B", "C", "", "A"}));
}

TEST(MapDocument, FindsObjectIdsByNameInAnyCase) {
  GridDocument document(FiveLevels());
  int lower = document.AddObject(Named("a"), false);
  document.AddObject(Named("b"), false);
  int upper = document.AddObject(Named("A"), false);
  EXPECT_EQ(document.FindObjectIDsByName("A"), std::to_string(lower) + " " + std::to_string(upper));
  EXPECT_EQ(document.FindObjectIDsByName("missing"), "");
}

TEST(MapDocument, IdsComeFromOneSixteenBitCounterSharedByAllDocuments) {
  GridDocument first(FiveLevels());
  GridDocument second(FiveLevels());
  int fromFirst = first.AddObject(Named("x"), false);
  EXPECT_EQ(second.AddObject(Named("y"), false), static_cast<std::uint16_t>(fromFirst + 1));
  std::vector<MapObject*> items;
  int id = 0;
  while (MapDocument::LastObjectId() != 65535) {
    id = second.AddObject(std::make_unique<MapObject>(0, 0, 1, 1), false);
    second.RemoveObject(second.FindObject(id));
    second.AppendObjects(items);
  }
  EXPECT_EQ(id, 65535);
  EXPECT_EQ(second.AddObject(Named("z"), false), 0);  // the counter wraps
  EXPECT_EQ(second.AddObject(Named("w"), false), 1);
}

TEST(MapDocument, RemovedObjectsLiveUntilTheNextDrawList) {
  GridDocument document(FiveLevels());
  bool destroyed = false;
  int id = document.AddObject(std::make_unique<WatchedObject>(destroyed), true);
  MapObject* object = document.FindObject(id);
  document.RemoveObject(object);
  EXPECT_EQ(document.FindObject(id), nullptr);
  EXPECT_EQ(document.GetObjectList().size(), 1u);
  EXPECT_TRUE(document.GetSelectableObjects().empty());
  EXPECT_FALSE(destroyed);  // the last frame may still point at it
  std::vector<MapObject*> items;
  document.GetDrawList(items, 0, 0, 100, 100, 0, 0);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(items.size(), 1u);
}

TEST(MapDocument, RemovingTheLastSelectableMovesTheIndexBack) {
  GridDocument document(FiveLevels());
  int first = document.AddObject(Named("first"), true);
  document.AddObject(Named("plain"), false);
  int second = document.AddObject(Named("second"), true);
  EXPECT_TRUE(document.FindObject(second)->IsSelectable());
  document.SelectObject(document.FindObject(second));
  EXPECT_EQ(document.GetSelectedIndex(), 1);
  EXPECT_EQ(document.GetEditedObject(), document.FindObject(second));
  document.SetSelectedIndex(5);  // beyond the list: ignored
  EXPECT_EQ(document.GetSelectedIndex(), 1);

  document.RemoveObject(document.FindObject(second));
  EXPECT_EQ(document.GetSelectedIndex(), 0);
  EXPECT_EQ(document.GetEditedObject(), document.FindObject(first));
  document.RemoveObject(document.FindObject(first));
  EXPECT_EQ(document.GetSelectedIndex(), -1);
  EXPECT_EQ(document.GetEditedObject(), nullptr);
  document.SelectObject(nullptr);
  EXPECT_EQ(document.GetSelectedIndex(), -1);
}

TEST(MapDocument, EditedObjectNeedsTheEditMarkWhileEditing) {
  RecordingHost host;
  GridDocument document(FiveLevels());
  document.SetHost(&host);
  int id = document.AddObject(Named("n"), true);
  document.SetSelectedIndex(0);
  EXPECT_NE(document.GetEditedObject(), nullptr);
  host.SetBrowserProperty("IsEditing", "YES");
  EXPECT_EQ(document.GetEditedObject(), nullptr);
  document.FindObject(id)->SetEditing(true);
  EXPECT_EQ(document.GetEditedObject(), document.FindObject(id));
}

TEST(MapDocument, ParametersAreStoredUnderLowerCaseNames) {
  GridDocument document(FiveLevels());
  document.SetParam("PageWidth", "240");
  EXPECT_EQ(document.GetParam("PAGEWIDTH"), "240");
  EXPECT_EQ(document.GetParam("unknown"), "");
  EXPECT_EQ(document.GetParam("zoomarea"), "");
  EXPECT_EQ(document.GetParam("zoomarea-1,2"), "");
}

TEST(MapDocument, SetLevelPostsLevelChangedCountedFromOne) {
  RecordingHost host;
  GridDocument document(FiveLevels());
  document.SetHost(&host);
  document.SetLevel(2);
  document.SetLevel(2);  // posted even without a change
  auto& events = host.events;
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].name, "levelchanged");
  EXPECT_EQ(events[0].param1, "1");
  EXPECT_EQ(events[0].param2, "3");
  EXPECT_EQ(events[1].param1, "3");
  EXPECT_EQ(document.GetLevel(), 2);
}

TEST(MapDocument, ZoomAreaIsTheRectangleThatFillsTheViewOneLevelDeeper) {
  RecordingHost host;
  struct Case {
    int level;
    int viewX, viewY;
    int x, y;
    std::string expected;
  } cases[] = {
      {4, 0, 0, 100, 80, ""},                    // the last level: nothing deeper
      {3, 0, 0, 400, 300, "240,180,320,240"},    // the point is the centre
      {3, 0, 0, 100, 80, "0,0,320,240"},         // the centre is held inside the free room
      {0, -192, -144, 100, 80, "160,120,320,240"}  // a small image: no free room, centred
  };
  for (const Case& c : cases) {
    auto document = std::make_unique<GridDocument>(FiveLevels());
    document->SetHost(&host);
    MapDocument* shown = document.get();
    shown->SetLevel(c.level);
    host.viewX = c.viewX;
    host.viewY = c.viewY;
    std::string name = "ZoomArea:" + std::to_string(c.x) + "," + std::to_string(c.y);
    EXPECT_EQ(shown->GetParam(name), c.expected) << "level " << c.level;
    EXPECT_EQ(shown->GetLevel(), c.level);  // the probe puts the level back
  }
}

TEST(MapDocument, SetScaleScalesContentObjectsOnly) {
  GridDocument document(FiveLevels());
  int content = document.AddObject(std::make_unique<MapObject>(100, 50, 21, 11), false);
  auto pinned = std::make_unique<MapObject>(100, 50, 21, 11);
  pinned->SetScreenCoordinates(true);
  int screen = document.AddObject(std::move(pinned), false);
  document.FindObject(content)->SetVirtualSize(1000, 500);
  document.SetScale(2.0, 0.5);
  MapObject* scaled = document.FindObject(content);
  EXPECT_EQ(scaled->GetX(), 200);
  EXPECT_EQ(scaled->GetY(), 25);
  EXPECT_EQ(scaled->GetWidth(), 42);
  EXPECT_EQ(scaled->GetHeight(), 5);
  EXPECT_EQ(scaled->GetVirtualWidth(), 2000);
  EXPECT_EQ(scaled->GetVirtualHeight(), 250);
  EXPECT_EQ(document.FindObject(screen)->GetX(), 100);
  document.SetScale(2.0, 0.5);  // the same factors: nothing happens
  EXPECT_EQ(scaled->GetX(), 200);
  document.SetScale(1.0, 1.0);
  EXPECT_EQ(scaled->GetX(), 100);
  EXPECT_EQ(scaled->GetHeight(), 10);  // each step truncates
}

TEST(MapDocument, LimitRectHidesObjectsOutsideAndShowsThemAgain) {
  RecordingHost host;
  GridDocument document(FiveLevels());
  document.SetHost(&host);
  int inside = document.AddObject(std::make_unique<MapObject>(1100, 1100, 50, 50), false);
  int outside = document.AddObject(std::make_unique<MapObject>(10, 10, 50, 50), false);
  int hiddenBefore = document.AddObject(std::make_unique<MapObject>(3000, 3000, 50, 50), false);
  document.FindObject(hiddenBefore)->SetVisible(false);
  int referenced = document.AddObject(std::make_unique<MapObject>(1200, 1200, 10, 10), false);
  document.FindObject(referenced)->SetVirtualSize(4096, 3072);

  document.SetLimitRect(1000, 1000, 2048, 1536, true);
  EXPECT_TRUE(document.FindObject(inside)->IsVisible());
  EXPECT_FALSE(document.FindObject(outside)->IsVisible());
  EXPECT_EQ(document.FindObject(outside)->GetProperty("hidebecauselimit"), "yes");
  EXPECT_EQ(document.FindObject(referenced)->GetVirtualWidth(), 2048);
  EXPECT_EQ(document.FindObject(referenced)->GetVirtualHeight(), 1536);
  MapObject* frame = document.GetLimitFrame();
  EXPECT_TRUE(frame->IsVisible());
  EXPECT_EQ(frame->GetX(), 1000);
  EXPECT_EQ(frame->GetWidth(), 2048);

  // A second limit replaces the rectangle and the frame only.
  document.SetLimitRect(0, 0, 100, 100, false);
  EXPECT_FALSE(frame->IsVisible());
  EXPECT_FALSE(document.FindObject(outside)->IsVisible());
  EXPECT_EQ(document.GetLimitWidth(), 100);
  EXPECT_EQ(document.FindObject(referenced)->GetVirtualWidth(), 2048);

  // Removing it scales reference sizes back by the rectangle they were scaled to.
  document.SetLimitRect(-1, 0, 0, 0, true);
  EXPECT_EQ(document.FindObject(referenced)->GetVirtualWidth(), 4096);
  EXPECT_EQ(document.FindObject(referenced)->GetVirtualHeight(), 3072);
  EXPECT_TRUE(document.FindObject(outside)->IsVisible());
  EXPECT_EQ(document.FindObject(outside)->GetProperty("hidebecauselimit"), "no");
  EXPECT_FALSE(document.FindObject(hiddenBefore)->IsVisible());
  EXPECT_FALSE(frame->IsVisible());
  EXPECT_EQ(document.GetLimitX(), -1);
}

TEST(MapDocument, DrawListIsClippedAndShiftedByTheLimit) {
  GridDocument document(FiveLevels());
  document.SetLevel(2);  // 1024 × 768, scale 0.25
  int id = document.AddObject(std::make_unique<MapObject>(0, 0, 5, 5), false);
  std::vector<MapObject*> items;
  EXPECT_EQ(document.GetDrawList(items, -100, -50, 640, 480, 0, 0), 2);
  EXPECT_EQ(document.Collected(), platform::Rect::FromSize(0, 0, 540, 430));
  document.GetDrawList(items, 900, 700, 640, 480, 0, 0);
  EXPECT_EQ(document.Collected(), platform::Rect::FromSize(900, 700, 124, 68));
  MapObject* object = document.FindObject(id);
  EXPECT_EQ(std::count(items.begin(), items.end(), object), 1);
  EXPECT_EQ(object->GetScreenOffset(), (platform::Point{0, 0}));

  document.SetLimitRect(400, 200, 1000, 1000, false);
  document.GetDrawList(items, 0, 0, 640, 480, 0, 0);
  EXPECT_EQ(document.Collected(), platform::Rect::FromSize(100, 50, 640, 480));
  EXPECT_EQ(object->GetScreenOffset(), (platform::Point{-100, -50}));
}

TEST(MapDocument, BaseAnswersOfTheVirtualInterface) {
  GridDocument document(FiveLevels());
  EXPECT_EQ(document.GetPageCount(), 1);
  EXPECT_EQ(document.GetAvailablePageCount(), 0);
  EXPECT_EQ(document.GetPrintWidth(), -1);
  EXPECT_EQ(document.GetPrintHeight(), -1);
  std::vector<std::uint8_t> data{1};
  EXPECT_FALSE(document.GetFile("thumb.jpg", data));
  EXPECT_TRUE(data.empty());
  document.StoreViewPair(3, 4);
  EXPECT_EQ(document.GetViewPairFirst(), 3);
  EXPECT_EQ(document.GetViewPairSecond(), 4);
  document.SetTransferFlag(7);
  EXPECT_EQ(document.GetTransferFlag(), 7);
  EXPECT_EQ(document.GetExtension(), nullptr);
  auto extension = std::make_unique<GridDocument>(FiveLevels());
  MapDocument* raw = extension.get();
  document.SetExtension(std::move(extension));
  EXPECT_EQ(document.GetExtension(), raw);
}

TEST(PublicationDocument, ForwardsObjectsParametersAndGeometryToTheInnerDocument) {
  auto inner = std::make_unique<GridDocument>(FiveLevels());
  GridDocument* innerRaw = inner.get();
  PublicationDocument publication(nullptr, std::move(inner));
  ASSERT_TRUE(publication.IsValid());
  int id = publication.AddObject(Named("page"), true);
  EXPECT_EQ(innerRaw->FindObject(id), publication.FindObject(id));
  EXPECT_EQ(publication.FindObjectIDsByName("PAGE"), std::to_string(id));
  EXPECT_EQ(publication.GetObjectList().size(), 2u);  // the inner frame and the page

  publication.SetParam("Direction", "vertical");
  EXPECT_EQ(innerRaw->GetParam("direction"), "vertical");
  EXPECT_EQ(publication.GetParam("direction"), "vertical");

  publication.SetLevel(3);
  EXPECT_EQ(innerRaw->GetLevel(), 3);
  EXPECT_EQ(publication.GetWidth(), 2048);
  EXPECT_EQ(publication.GetLevelCount(), 5);
  EXPECT_DOUBLE_EQ(publication.GetScaleX(), 0.5);

  publication.SetTransferFlag(2);
  EXPECT_EQ(innerRaw->GetTransferFlag(), 2);
  EXPECT_EQ(publication.GetTransferFlag(), 2);
  publication.SetScale(2.0, 2.0);
  EXPECT_EQ(innerRaw->GetStoredScaleX(), 2.0);
  EXPECT_TRUE(publication.HandleCommand("sortobjects", ""));
  publication.Close();
  EXPECT_EQ(innerRaw->closes, 1);

  publication.SetLimitRect(10, 10, 100, 100, true);
  EXPECT_EQ(publication.GetLimitX(), 10);
  EXPECT_FALSE(publication.GetLimitFrame()->IsVisible());  // its own frame stays hidden
  EXPECT_TRUE(innerRaw->GetLimitFrame()->IsVisible());
}

TEST(PublicationDocument, AnswersMinusOneUntilReady) {
  auto inner = std::make_unique<GridDocument>(FiveLevels());
  inner->MarkInvalid();
  PublicationDocument publication(nullptr, std::move(inner));
  EXPECT_FALSE(publication.IsValid());
  EXPECT_EQ(publication.GetWidth(), -1);
  EXPECT_EQ(publication.GetFullHeight(), -1);
  EXPECT_EQ(publication.GetLevelCount(), -1);
  EXPECT_EQ(publication.GetLevel(), -1);
  EXPECT_DOUBLE_EQ(publication.GetScaleY(), -1.0);
  std::vector<MapObject*> items;
  EXPECT_EQ(publication.CollectDrawItems(items, 0, 0, 10, 10, 0, 0), 0);

  PublicationDocument empty(nullptr, nullptr);
  EXPECT_FALSE(empty.HandleCommand("sortobjects", ""));
  empty.SetParam("type", "news");
  EXPECT_EQ(empty.GetParam("type"), "news");
  EXPECT_EQ(empty.GetPageCount(), 1);
}
