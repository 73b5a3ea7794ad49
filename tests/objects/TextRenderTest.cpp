#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <memory>
#include <string>

#include "objects/MarkupTextMaker.h"
#include "platform/Canvas.h"
#include "platform/Platform.h"
#include "tests/support/TestSupport.h"
#include "view/FlipMapView.h"
#include "view/TooltipObject.h"

namespace zolvex {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 80;
constexpr platform::Color kWhite = platform::MakeColor(0xFF, 0xFF, 0xFF);

// The same string drawn straight with Pango and cairo on a white image: the reference the
// view's text is held against.
class PangoReference {
 public:
  PangoReference(const std::string& text, const char* family, int pixels, int x, int y)
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight)) {
    cairo_t* cr = cairo_create(surface_);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, family);
    pango_font_description_set_absolute_size(description, pixels * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, text.c_str(), -1);
    unknownGlyphs_ = pango_layout_get_unknown_glyphs_count(layout);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
  }
  ~PangoReference() { cairo_surface_destroy(surface_); }
  PangoReference(const PangoReference&) = delete;
  PangoReference& operator=(const PangoReference&) = delete;

  // Grey level (the green channel) of a pixel.
  int GreyAt(int x, int y) const {
    const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    return row[x * 4 + 1];
  }
  int UnknownGlyphs() const { return unknownGlyphs_; }

 private:
  cairo_surface_t* surface_;
  int unknownGlyphs_ = 0;
};

// A view of its own size with a white back buffer; texts are drawn onto it in window
// pixels, so no document is needed.
class TextRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::PlatformOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.settingsFile = dir.File("settings.ini");
    std::string error;
    services = platform::CreatePlatform(options, error);
    ASSERT_TRUE(services) << error;
    view = std::make_unique<FlipMapView>(*services);
    view->InitSurfaces(kWidth, kHeight);
  }
  // Draws the text with its top-left corner at (x, y) and answers the grey level of every
  // pixel, row by row.
  std::vector<int> Render(const std::string& text, const std::string& font, int size, int x, int y) {
    view->FillRect(0, 0, kWidth, kHeight, kWhite);
    auto object = MarkupTextMaker::MakeText({{"x", std::to_string(x)},
                                             {"y", std::to_string(y)},
                                             {"text", text},
                                             {"font", font},
                                             {"size", std::to_string(size)},
                                             {"co-ordinate", "screen"},
                                             {"textalign", "lefttop"}},
                                            *view);
    object->Draw();
    std::vector<int> grey;
    for (int row = 0; row < kHeight; ++row)
      for (int column = 0; column < kWidth; ++column)
        grey.push_back(platform::GreenOf(platform::ColorFromPixel(view->BackBuffer()->PixelAt(column, row))));
    return grey;
  }
  static int DarkPixels(const std::vector<int>& grey) {
    return static_cast<int>(std::count_if(grey.begin(), grey.end(), [](int level) { return level < 128; }));
  }

  test::TempDir dir;
  std::unique_ptr<platform::Platform> services;
  std::unique_ptr<FlipMapView> view;
};

TEST_F(TextRenderTest, TextMatchesTheSameStringDrawnWithPango) {
  const std::string text = "Zolvex Text 123";
  const std::vector<int> drawn = Render(text, "DejaVu Sans", 24, 10, 20);
  const PangoReference reference(text, "DejaVu Sans", 24, 10, 20);
  int differing = 0;
  int largest = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int difference = std::abs(drawn[y * kWidth + x] - reference.GreyAt(x, y));
      largest = std::max(largest, difference);
      if (difference > 8) ++differing;
    }
  }
  EXPECT_GT(DarkPixels(drawn), 100);
  EXPECT_EQ(differing, 0) << "largest difference " << largest;
}

// Saving and printing draw the text into a device whose origin (dx, dy) lies elsewhere on
// the level: the text lands at its place on the level (viewport + screen position) minus it.
TEST_F(TextRenderTest, TextRendersIntoADeviceAtItsPlaceOnTheLevel) {
  auto object = MarkupTextMaker::MakeText({{"x", "40"}, {"y", "30"}, {"text", "Saved"}, {"font", "DejaVu Sans"},
                                           {"size", "20"}, {"co-ordinate", "screen"}, {"textalign", "lefttop"}},
                                          *view);
  ASSERT_TRUE(object->CanRenderToDevice());
  platform::Surface device(kWidth, kHeight);
  device.Fill(device.Bounds(), kWhite);
  platform::Canvas canvas(device);
  object->RenderToDevice(canvas, 30, 10, kWidth, kHeight, 0);
  const PangoReference reference("Saved", "DejaVu Sans", 20, view->GetViewportX() + 40 - 30,
                                 view->GetViewportY() + 30 - 10);
  int differing = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (std::abs(platform::GreenOf(platform::ColorFromPixel(device.PixelAt(x, y))) - reference.GreyAt(x, y)) > 8)
        ++differing;
  EXPECT_EQ(differing, 0);
}

TEST_F(TextRenderTest, UnderscoresAreDrawnAsSpaces) {
  const std::vector<int> drawn = Render("one_two", "DejaVu Sans", 20, 5, 5);
  const PangoReference spaced("one two", "DejaVu Sans", 20, 5, 5);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) ASSERT_NEAR(drawn[y * kWidth + x], spaced.GreyAt(x, y), 8) << x << "," << y;
}

// Korean, Japanese, Chinese, Vietnamese and accented Latin have glyphs in the installed
// fonts: none is drawn as a missing-glyph box, and the drawing differs from the boxes that
// characters without a glyph give.
TEST_F(TextRenderTest, NonLatinScriptsDrawGlyphsNotBoxes) {
  const char* samples[] = {"한국어 텍스트", "日本語のテキスト", "中文文本", "Tiếng Việt có dấu", "Ça été déjà vu"};
  const std::string boxes = "\xEE\x80\x80\xEE\x80\x81\xEE\x80\x82";  // private use: no font has these
  const std::vector<int> missing = Render(boxes, "DejaVu Sans", 24, 10, 20);
  ASSERT_GT(PangoReference(boxes, "DejaVu Sans", 24, 10, 20).UnknownGlyphs(), 0);
  for (const char* sample : samples) {
    SCOPED_TRACE(sample);
    EXPECT_EQ(PangoReference(sample, "DejaVu Sans", 24, 10, 20).UnknownGlyphs(), 0);
    const std::vector<int> drawn = Render(sample, "DejaVu Sans", 24, 10, 20);
    EXPECT_GT(DarkPixels(drawn), 80);
    EXPECT_NE(drawn, missing);
  }
}

// A tooltip is a text framed by its box: pale background, grey border, the text inside the
// padding, drawn as Pango draws it.
TEST_F(TextRenderTest, TooltipDrawsItsTextInsideItsBox) {
  view->FillRect(0, 0, kWidth, kHeight, kWhite);
  TooltipObject tooltip;
  tooltip.SetContent("Tip text", "DejaVu Sans", 14);
  tooltip.SetView(view.get());
  tooltip.PlaceAt({20, 10}, tooltip.MeasureContent(*view), {kWidth, kHeight});
  tooltip.SetVisible(true);
  tooltip.Draw();
  const platform::Rect box = tooltip.GetScreenRect();
  EXPECT_EQ(box.left, 20);
  EXPECT_EQ(box.top, 10);
  auto at = [&](int x, int y) { return platform::ColorFromPixel(view->BackBuffer()->PixelAt(x, y)); };
  EXPECT_EQ(at(box.left, box.top), platform::MakeColor(0x50, 0x50, 0x50));
  EXPECT_EQ(at(box.left + 1, box.top + 1), platform::MakeColor(0xFF, 0xFF, 0xE1));
  EXPECT_EQ(at(box.right + 1, box.top), kWhite);
  const PangoReference reference("Tip text", "DejaVu Sans", 14, box.left + TooltipObject::kPadding,
                                 box.top + TooltipObject::kPadding);
  int dark = 0, matching = 0;
  for (int y = box.top + 1; y < box.bottom - 1; ++y)
    for (int x = box.left + 1; x < box.right - 1; ++x) {
      if (reference.GreyAt(x, y) >= 100) continue;
      ++dark;
      if (platform::GreenOf(at(x, y)) < 100) ++matching;
    }
  EXPECT_GT(dark, 30);
  EXPECT_EQ(matching, dark);
}

}  // namespace
}  // namespace zolvex
