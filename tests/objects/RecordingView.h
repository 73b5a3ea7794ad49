#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "objects/ViewPrimitives.h"

namespace zolvex::test {

// A view that records what objects ask of it: draw calls as text lines, events, queued
// links, commands and sounds. Its geometry and browser properties are set by the test.
class RecordingView : public ViewPrimitives {
 public:
  // One drawing call: the primitive's name and its arguments as numbers.
  struct DrawCall {
    std::string name;
    std::vector<long long> args;
    const ViewImage* image = nullptr;
    bool operator==(const DrawCall&) const = default;
  };

  // Geometry, as the test sets it.
  std::optional<DocumentMetrics> metrics;
  int viewWidth = 640;
  int viewHeight = 480;
  int viewportX = 0;
  int viewportY = 0;
  platform::Rect contentRect;
  std::vector<std::pair<std::string, std::string>> browserProperties;

  // Records.
  std::vector<DrawCall> draws;
  std::vector<ViewEvent> viewEvents;
  std::vector<ObjectEvent> objectEvents;
  std::vector<std::pair<std::string, bool>> queued;          // QueueContent
  std::vector<std::pair<std::string, std::string>> executed;  // Execute
  std::vector<std::pair<std::string, std::string>> propertiesSet;
  std::vector<std::string> opened;  // OpenUrl
  std::vector<int> builtInSounds;
  int stopSounds = 0;
  int invalidations = 0;
  std::vector<platform::Point> positions;  // SetViewPosition
  std::vector<int> creationsEnded;  // EndObjectCreation: the object IDs

  // A document of content size w x h shown at scale s (level = content · s).
  void ShowDocument(int width, int height, double scale);

  void DrawText(const std::string& text, int x, int y, platform::Color color) override;
  void DrawRectOutline(int x, int y, int width, int height, platform::Color color, int penWidth,
                       int penStyle) override;
  void DrawCircle(int centerX, int centerY, int pointX, int pointY, platform::Color penColor,
                  platform::Color fillColor, int penWidth, int penStyle) override;
  void DrawRotatedRect(int left, int top, int right, int bottom, double angle, platform::Color penColor,
                       platform::Color fillColor, int penWidth, int penStyle) override;
  void DrawPolygon(std::span<const platform::Point> points, platform::Color penColor, platform::Color fillColor,
                   int penWidth, int penStyle) override;
  void DrawEllipse(int left, int top, int right, int bottom, platform::Color penColor, platform::Color fillColor,
                   int penWidth, int penStyle) override;
  void FillRect(int x, int y, int width, int height, platform::Color color) override;
  void BlitImage(ViewImage& image, int srcX, int srcY, int srcWidth, int srcHeight, int dstX, int dstY,
                 int dstWidth, int dstHeight, bool transparent, bool wholeImage) override;
  void DrawArc(bool arcOnly, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2,
               platform::Color penColor, platform::Color fillColor, int penWidth, int penStyle) override;
  void DrawLine(int x1, int y1, int x2, int y2, platform::Color color, int penWidth, int penStyle) override;
  // 8 pixels per byte and 16 pixels high at size 16; other sizes scale both.
  platform::Size MeasureText(const std::string& text) override;
  void SetTextFont(const std::string& face, int size, platform::Color background, platform::Color shadow) override;
  void SetDrawParameter(int kind, int value) override;
  int GetDrawParameter(int kind) const override;

  MapDocument* GetDocument() const override { return nullptr; }
  std::optional<DocumentMetrics> GetDocumentMetrics() const override { return metrics; }
  int GetViewWidth() const override { return viewWidth; }
  int GetViewHeight() const override { return viewHeight; }
  int GetViewportX() const override { return viewportX; }
  int GetViewportY() const override { return viewportY; }
  platform::Rect GetContentRect() const override { return contentRect; }

  std::string GetBrowserProperty(const std::string& name) override;
  void SetBrowserProperty(const std::string& name, const std::string& value) override;
  bool Execute(const std::string& command, const std::string& argument) override;
  void QueueContent(const std::string& url, bool recordHistory) override;
  std::string OpenUrl(const std::string& url, bool resetHistory, int x, int y, int level) override;
  void PlayBuiltInSound(int number) override { builtInSounds.push_back(number); }
  void StopSound() override { ++stopSounds; }
  void PostViewEvent(const ViewEvent& event) override { viewEvents.push_back(event); }
  void PostObjectEvent(const ObjectEvent& event) override { objectEvents.push_back(event); }
  void InvalidateObject(MapObject& object, bool redraw) override;
  void SetViewPosition(int x, int y, bool, bool) override {
    viewportX = x;
    viewportY = y;
    positions.push_back({x, y});
  }
  void EndObjectCreation(MapObject& object) override;
  platform::Platform* PlatformServices() override { return services; }

  // The services objects reach through the view; null unless the test gives some.
  platform::Platform* services = nullptr;
  // The font last set.
  std::string fontFace;
  int fontSize = 16;

 private:
  void Record(std::string name, std::vector<long long> args, const ViewImage* image = nullptr);
  int opacity_ = 0;
};

}  // namespace zolvex::test

namespace zolvex::test {
// Readable failures: "Name(a, b, ...)".
inline void PrintTo(const RecordingView::DrawCall& call, std::ostream* out) {
  *out << call.name << "(";
  for (std::size_t i = 0; i < call.args.size(); ++i) *out << (i ? ", " : "") << call.args[i];
  *out << ")";
}
}  // namespace zolvex::test
