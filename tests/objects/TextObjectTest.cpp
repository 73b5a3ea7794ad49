#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "objects/CComponentText.h"
#include "objects/MarkupTextMaker.h"
#include "objects/NoteObject.h"
#include "objects/TextDialog.h"
#include "platform/Platform.h"
#include "platform/headless/RecordingServices.h"
#include "platform/headless/ScriptedResponder.h"
#include "platform/TextValues.h"
#include "tests/objects/RecordingView.h"
#include "tests/support/TestSupport.h"

namespace zolvex {
namespace {

using platform::MakeColor;
using test::RecordingView;
using Call = RecordingView::DrawCall;

constexpr platform::Color kBlack = MakeColor(0, 0, 0);
constexpr platform::Color kRed = MakeColor(0xFF, 0, 0);
constexpr platform::Color kWhite = MakeColor(0xFF, 0xFF, 0xFF);

// A recording view (8 x 16 pixels per character at size 16, scaling with the size) over a
// 1000 x 1000 document, with headless services whose settings live in a temporary folder.
class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::PlatformOptions options;
    options.settingsFile = dir.File("settings.ini");
    std::string error;
    services = platform::CreatePlatform(options, error);
    ASSERT_TRUE(services) << error;
    view.services = services.get();
    view.ShowDocument(1000, 1000, 1.0);
  }
  std::unique_ptr<CComponentText> Make(const MarkupTextMaker::Attributes& attributes) {
    auto text = MarkupTextMaker::MakeText(attributes, view);
    text->SetId(7);
    return text;
  }
  std::vector<Call> TextCalls() const {
    std::vector<Call> calls;
    std::copy_if(view.draws.begin(), view.draws.end(), std::back_inserter(calls),
                 [](const Call& call) { return call.name.starts_with("DrawText:"); });
    return calls;
  }
  platform::ScriptedResponder& responder() { return *services->Responder(); }

  test::TempDir dir;
  std::unique_ptr<platform::Platform> services;
  RecordingView view;
};

TEST(TextAlignmentTest, WordsGiveTheSidesOfTheAnchor) {
  using A = CComponentText::Alignment;
  const struct {
    const char* words;
    A expected;
  } cases[] = {
      {"", {0, 0}},          {"center", {0, 0}},      {"left", {-1, -1}},   {"right", {1, -1}},
      {"bottom", {0, 1}},    {"top", {0, -1}},        {"lefttop", {-1, -1}}, {"RightBottom", {1, 1}},
      {"left middle", {-1, 0}}, {"leftright", {1, -1}}, {"middle", {0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(CComponentText::ParseAlignment(c.words), c.expected) << c.words;
}

TEST_F(TextTest, FontSizeFollowsTheZoomAndNoSizeDrawsNothing) {
  view.ShowDocument(1000, 1000, 0.5);
  auto text = Make({{"x", "100"}, {"y", "100"}, {"text", "Hello"}, {"size", "20"}});
  EXPECT_EQ(text->GetDisplaySize(), 10);
  text->Draw();
  EXPECT_EQ(text->GetProperty("visualsize"), "10");
  EXPECT_EQ(TextCalls().size(), 1u);

  view.draws.clear();
  auto unsized = Make({{"x", "100"}, {"y", "100"}, {"text", "Hello"}});
  unsized->Draw();
  EXPECT_TRUE(TextCalls().empty());
  EXPECT_TRUE(view.draws.empty());
}

// Lines are measured on the screen at the display size; the block keeps that size at
// every zoom and is centred on the anchor.
TEST_F(TextTest, LinesAreCentredOnTheAnchorAtTheShownSize) {
  view.ShowDocument(1000, 1000, 0.5);
  auto text = Make({{"x", "100"}, {"y", "100"}, {"text", "Hello\\nWorld!"}, {"size", "32"}, {"color", "#ff0000"}});
  text->Draw();
  // Size 16 on the screen: "Hello" 40 x 16, "World!" 48 x 16; the block 48 x 32 about (50, 50).
  EXPECT_EQ(text->GetScreenRect(), platform::Rect::FromSize(26, 34, 48, 32));
  EXPECT_EQ(text->GetWidth(), 96);
  EXPECT_EQ(text->GetHeight(), 64);
  const std::vector<Call> expected = {{"DrawText:Hello", {30, 34, kRed}}, {"DrawText:World!", {26, 50, kRed}}};
  EXPECT_EQ(TextCalls(), expected);

  // Zoomed in, the block grows with the font and stays about the anchor.
  view.draws.clear();
  view.ShowDocument(1000, 1000, 1.0);
  text->Draw();
  EXPECT_EQ(text->GetScreenRect(), platform::Rect::FromSize(52, 68, 96, 64));
}

TEST_F(TextTest, AlignmentPlacesTheBlockAboutTheAnchor) {
  const struct {
    const char* align;
    platform::Rect screen;
  } cases[] = {
      {"lefttop", platform::Rect::FromSize(100, 100, 40, 16)},
      {"right", platform::Rect::FromSize(60, 100, 40, 16)},
      {"bottom", platform::Rect::FromSize(80, 84, 40, 16)},
      {"", platform::Rect::FromSize(80, 92, 40, 16)},
  };
  for (const auto& c : cases) {
    auto text = Make({{"x", "100"}, {"y", "100"}, {"text", "Hello"}, {"size", "16"}, {"textalign", c.align}});
    EXPECT_EQ(text->GetScreenRect(), c.screen) << c.align;
  }
}

TEST_F(TextTest, UnderscoresDrawAsSpaces) {
  auto text = Make({{"x", "0"}, {"y", "0"}, {"value", "two_words"}, {"size", "16"}, {"textalign", "lefttop"}});
  text->Draw();
  ASSERT_EQ(TextCalls().size(), 1u);
  EXPECT_EQ(TextCalls()[0].name, "DrawText:two words");
  EXPECT_EQ(text->GetProperty("text"), "two words");
}

TEST_F(TextTest, BackgroundHaloAndFontAreHandedToTheView) {
  auto text = Make({{"x", "10"},
                    {"y", "10"},
                    {"text", "Hi"},
                    {"size", "16"},
                    {"font", "DejaVu Serif"},
                    {"textalign", "lefttop"},
                    {"background", "#ffffff"},
                    {"outline", "#ff0000"}});
  text->SetShadowColor(MakeColor(0, 0, 0x80));
  view.draws.clear();
  text->Draw();
  const std::vector<Call> expected = {
      {"SetTextFont:DejaVu Serif", {16, platform::kNoColor, MakeColor(0, 0, 0x80)}},
      {"FillRect", {10, 10, 16, 16, kWhite, 0}},
      {"DrawText:Hi", {9, 10, kRed}},
      {"DrawText:Hi", {11, 10, kRed}},
      {"DrawText:Hi", {10, 9, kRed}},
      {"DrawText:Hi", {10, 11, kRed}},
      {"DrawText:Hi", {10, 10, kBlack}},
  };
  // The layout measures first; what is drawn follows.
  ASSERT_GE(view.draws.size(), expected.size());
  EXPECT_EQ(std::vector<Call>(view.draws.end() - expected.size(), view.draws.end()), expected);
}

TEST_F(TextTest, IndicatorDotMarksTheAnchorSide) {
  auto text = Make({{"x", "100"},
                    {"y", "100"},
                    {"text", "Hi"},
                    {"size", "16"},
                    {"textalign", "lefttop"},
                    {"indicator", "yes"},
                    {"indicatorcolor", "#ff0000"}});
  text->Draw();
  // Room for the dot above the text; the block moves 1 left and 2 up onto the anchor.
  EXPECT_EQ(text->GetScreenRect(), platform::Rect::FromSize(99, 98, 16, 22));
  const std::vector<Call> texts = {{"DrawText:Hi", {99, 104, kBlack}}};
  EXPECT_EQ(TextCalls(), texts);
  EXPECT_EQ(view.draws.back(), (Call{"FillRect", {99, 98, 3, 3, kRed, 0}}));
}

TEST_F(TextTest, SavedAfterPlacingAtLeftTopWithTheBlockCentre) {
  view.browserProperties = {{"IsEditing", "yes"}};
  auto text = Make({{"text", "Hi"}, {"size", "16"}, {"allowediting", "yes"}, {"name", "label"}, {"_mark", "1"}});
  text->SetBeingCreated(true);
  responder().QueueTextDialog([](platform::TextDialogFields&) { return false; });
  text->OnLButtonDown(1, {200, 150});
  EXPECT_FALSE(text->IsBeingCreated());
  EXPECT_TRUE(text->IsEditing());
  EXPECT_EQ(text->GetAlignment(), (CComponentText::Alignment{-1, -1}));
  EXPECT_EQ(text->GetX(), 200);
  EXPECT_EQ(text->GetY(), 150);
  ASSERT_EQ(responder().Records().size(), 1u);
  EXPECT_EQ(responder().Records()[0].caption, "Load Text");
  ASSERT_EQ(view.viewEvents.size(), 1u);
  EXPECT_EQ(view.viewEvents[0].name, "donecreatingobject");
  EXPECT_EQ(view.viewEvents[0].param1, "7");
  EXPECT_EQ(text->GetXml(),
            "<text  x=\"208\" y=\"158\" name=\"label\" text=\"Hi\" font=\"\" size=\"16\" color=\"#000000\" "
            "allowediting=\"yes\" _mark=\"1\"/>");
}

TEST_F(TextTest, SavedTextKeepsItsLinesLevelsAndLink) {
  auto text = Make({{"x", "50"}, {"y", "40"}, {"text", "a\\nb"}, {"size", "16"}, {"font", "Sans"},
                    {"href", "next.xml"}, {"minlevel", "2"}, {"maxlevel", "3"}, {"color", "#00ff00"}});
  EXPECT_EQ(text->GetXml(),
            "<text  x=\"50\" y=\"40\" href=\"next.xml\" text=\"a\\nb\" font=\"Sans\" size=\"16\" minlevel=\"2\" "
            "maxlevel=\"3\" color=\"#00ff00\"/>");
}

TEST_F(TextTest, CommitAppliesTextFontSizeAlignmentAndShadow) {
  auto text = Make({{"x", "100"}, {"y", "100"}, {"text", "Hi"}, {"size", "16"}});
  text->SetProperty("text", "Hello");
  text->SetProperty("font", "DejaVu Sans Mono");
  text->SetProperty("size", "32");
  text->SetProperty("textalign", "lefttop");
  text->SetProperty("shadow", "255");
  EXPECT_TRUE(text->CommitProperties());
  EXPECT_EQ(text->GetText(), "Hello");
  EXPECT_EQ(text->GetFontFace(), "DejaVu Sans Mono");
  EXPECT_EQ(text->GetShadowColor(), kRed);
  EXPECT_EQ(text->GetProperty("fontsize"), "32");
  EXPECT_EQ(text->GetScreenRect(), platform::Rect::FromSize(100, 100, 80, 32));
  text->SetProperty("shadow", "-1");
  text->CommitProperties();
  EXPECT_EQ(text->GetShadowColor(), platform::kNoColor);
}

TEST_F(TextTest, TextDialogOpensWithTheShownSizeAndAppliesWhatItAnswers) {
  view.ShowDocument(1000, 1000, 0.5);
  auto text = Make({{"x", "10"}, {"y", "10"}, {"text", "Old"}, {"size", "25"}, {"color", "#123456"}});
  platform::TextDialogFields seen;
  responder().QueueTextDialog([&seen](platform::TextDialogFields& fields) {
    seen = fields;
    fields.text = "New\r\nlines";
    fields.font = "DejaVu Serif";
    fields.size = "24";
    fields.colorIndex = 9;  // #ff0000
    return true;
  });
  ASSERT_TRUE(text->EditInDialog());
  EXPECT_EQ(seen.size, "13");  // 25 x 0.5 rounded up
  EXPECT_EQ(seen.colors.size(), 16u);
  EXPECT_EQ(seen.colorIndex, 16);  // not a listed colour: the custom entry
  EXPECT_EQ(seen.customColor, *ParseColor("#123456"));
  EXPECT_FALSE(seen.fonts.empty());

  EXPECT_EQ(text->GetText(), "New\nlines");
  EXPECT_EQ(text->GetSize(), 48);
  EXPECT_EQ(text->GetColor(), kRed);
  EXPECT_EQ(text->GetProperty("visualsize"), "24");
  EXPECT_EQ(text->GetProperty("fontface"), "DejaVu Serif");
  EXPECT_EQ(text->GetProperty("color"), "#ff0000");
  platform::SettingsStore& settings = services->Settings();
  EXPECT_EQ(settings.GetProfileString("Zolvex Control 1.1", "LastSelectedFont", ""), "DejaVu Serif");
  EXPECT_EQ(settings.GetProfileString("Zolvex Control 1.1", "LastSelectedFontSize", ""), "24");
  EXPECT_EQ(settings.GetProfileString("Zolvex Control 1.1", "LastSelectedColor", ""), "#ff0000");

  // Cancel changes nothing.
  EXPECT_FALSE(text->EditInDialog());
  EXPECT_EQ(text->GetText(), "New\nlines");
}

TEST_F(TextTest, ClicksFollowTheLinkOrOpenTheDialogWhenEditing) {
  auto text = Make({{"x", "10"}, {"y", "10"}, {"text", "Go"}, {"size", "16"}, {"href", "next.xml"}});
  text->OnClick({12, 12}, 1);
  ASSERT_EQ(view.queued.size(), 1u);
  EXPECT_EQ(view.queued[0].first, "next.xml");
  text->SetEditing(true);
  text->OnClick({12, 12}, 1);
  EXPECT_EQ(view.queued.size(), 1u);
  EXPECT_EQ(responder().Records().size(), 1u);
}

TEST_F(TextTest, DraggingInEditingModeMovesTheAnchor) {
  view.ShowDocument(1000, 1000, 0.5);
  auto text = Make({{"x", "100"}, {"y", "100"}, {"text", "Hi"}, {"size", "32"}});
  text->SetEditing(true);
  text->OnLButtonDown(1, {50, 50});
  EXPECT_TRUE(text->IsCapturingMouse());
  text->OnMouseMove(1, {60, 45});
  EXPECT_EQ(text->GetX(), 120);
  EXPECT_EQ(text->GetY(), 90);
  text->OnLButtonUp(0, {60, 45});
  EXPECT_FALSE(text->IsCapturingMouse());
}

// ---- Notes ------------------------------------------------------------------------------

TEST_F(TextTest, NoteDescriptionKeepsItsEscapedLineBreaks) {
  auto note = MarkupTextMaker::MakeNote(
      {{"x", "5"}, {"y", "6"}, {"description", "first\\r\\nsecond"}, {"tooltip", "Title"}, {"href", "http://a/"}}, "",
      view);
  EXPECT_EQ(note->GetDescription(), "first\nsecond");
  EXPECT_EQ(note->GetProperty("description"), "first\\r\\nsecond");
  EXPECT_EQ(note->GetScreenRect(), platform::Rect::FromSize(5, 6, 10, 10));
  EXPECT_EQ(note->GetLayer(), 2);
  EXPECT_EQ(note->GetColor(), CComponentLink::kDefaultColor);
  EXPECT_EQ(note->GetMouseOverColor(), CComponentLink::kDefaultColor);

  platform::NoteDialogFields seen;
  responder().QueueNoteDialog([&seen](platform::NoteDialogFields& fields) {
    seen = fields;
    fields.visit(fields.link);
    return true;
  });
  note->OnClick({7, 7}, 1);
  EXPECT_EQ(seen.description, "first\nsecond");
  EXPECT_EQ(seen.name, "Title");
  EXPECT_FALSE(seen.editable);
  EXPECT_TRUE(view.queued.empty());
  const auto opened = services->Recorder()->OpenedUrls();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].url, "http://a/");
  EXPECT_EQ(opened[0].target, "_blank");

  note->SetProperty("description", "a\\r\\nb\\r\\nc");
  EXPECT_TRUE(note->CommitProperties());
  EXPECT_EQ(note->GetDescription(), "a\nb\nc");
}

TEST_F(TextTest, EditableNoteTakesTheDialogsFields) {
  auto note = MarkupTextMaker::MakeNote({{"x", "5"}, {"y", "6"}, {"bx", "25"}, {"by", "36"}, {"allowediting", "yes"},
                                         {"name", "n1"}},
                                        "", view);
  note->SetEditing(true);
  responder().QueueNoteDialog([](platform::NoteDialogFields& fields) {
    EXPECT_TRUE(fields.editable);
    fields.name = "Renamed";
    fields.link = "page.xml";
    fields.description = "one\ntwo";
    return true;
  });
  ASSERT_TRUE(note->OpenDialog());
  EXPECT_EQ(note->GetTooltip(), "Renamed");
  EXPECT_EQ(note->GetLink(), "page.xml");
  EXPECT_EQ(note->GetXml(),
            "<note x=\"5\" y=\"6\" height=\"30\" width=\"20\" name=\"n1\" href=\"page.xml\" "
            "description=\"one\\r\\ntwo\" tooltip=\"Renamed\" allowediting=\"yes\" transparency=\"255\" "
            "thickness=\"1\"/>");
}

TEST_F(TextTest, CreatedNoteIsPlacedByThePressAndEditedInItsDialog) {
  view.ShowDocument(1000, 1000, 0.5);
  view.browserProperties = {{"limitx", "-1"}};
  auto note = MarkupTextMaker::MakeNote({}, "", view);
  note->SetId(3);
  note->SetBeingCreated(true);
  note->OnLButtonDown(1, {40, 30});
  EXPECT_EQ(note->GetX(), 80);
  EXPECT_EQ(note->GetY(), 60);
  EXPECT_TRUE(note->IsCapturingMouse());
  responder().QueueNoteDialog([](platform::NoteDialogFields& fields) {
    EXPECT_TRUE(fields.editable);
    fields.name = "New note";
    return true;
  });
  note->OnLButtonUp(0, {40, 30});
  EXPECT_FALSE(note->IsBeingCreated());
  EXPECT_FALSE(note->IsEditing());  // editing not allowed
  EXPECT_EQ(note->GetTooltip(), "New note");
  ASSERT_EQ(view.viewEvents.size(), 1u);
  EXPECT_EQ(view.viewEvents[0].name, "donecreatingobject");
  EXPECT_EQ(view.viewEvents[0].param1, "3");
}

TEST_F(TextTest, MakerKnowsTextAndNoteOnly) {
  EXPECT_NE(MarkupTextMaker::Make("TEXT", {{"text", "a"}}, "", view), nullptr);
  EXPECT_NE(MarkupTextMaker::Make("note", {}, "", view), nullptr);
  EXPECT_EQ(MarkupTextMaker::Make("rect", {}, "", view), nullptr);
  auto screen = Make({{"x", "10"}, {"y", "20"}, {"text", "a"}, {"size", "16"}, {"co-ordinate", "screen"},
                      {"minlevel", "2"}, {"layer", "5"}, {"eventlisten", "yes"}});
  EXPECT_TRUE(screen->IsScreenCoordinates());
  EXPECT_EQ(screen->GetMinLevel(), 1);
  EXPECT_EQ(screen->GetMaxLevel(), 9999);
  EXPECT_EQ(screen->GetLayer(), 5);
  EXPECT_TRUE(screen->IsEventListening());
  EXPECT_EQ(screen->GetProperty("tooltipfont"), "Arial");
}

}  // namespace
}  // namespace zolvex
