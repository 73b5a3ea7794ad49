#include "tests/objects/RecordingView.h"

#include <algorithm>
#include <cmath>

#include "objects/MapObject.h"
#include "platform/TextValues.h"

namespace zolvex::test {

void RecordingView::ShowDocument(int width, int height, double scale) {
  DocumentMetrics m;
  m.valid = true;
  m.contentWidth = width;
  m.contentHeight = height;
  m.scaleX = scale;
  m.scaleY = scale;
  m.levelWidth = static_cast<int>(width * scale);
  m.levelHeight = static_cast<int>(height * scale);
  metrics = m;
}

void RecordingView::Record(std::string name, std::vector<long long> args, const ViewImage* image) {
  draws.push_back({std::move(name), std::move(args), image});
}

void RecordingView::DrawText(const std::string& text, int x, int y, platform::Color color) {
  Record("DrawText:" + text, {x, y, color});
}

void RecordingView::DrawRectOutline(int x, int y, int width, int height, platform::Color color, int penWidth,
                                    int penStyle) {
  Record("DrawRectOutline", {x, y, width, height, color, penWidth, penStyle});
}

void RecordingView::DrawCircle(int centerX, int centerY, int pointX, int pointY, platform::Color penColor,
                               platform::Color fillColor, int penWidth, int penStyle) {
  Record("DrawCircle", {centerX, centerY, pointX, pointY, penColor, fillColor, penWidth, penStyle});
}

void RecordingView::DrawRotatedRect(int left, int top, int right, int bottom, double angle,
                                    platform::Color penColor, platform::Color fillColor, int penWidth,
                                    int penStyle) {
  Record("DrawRotatedRect", {left, top, right, bottom, std::lround(angle), penColor, fillColor, penWidth, penStyle});
}

void RecordingView::DrawPolygon(std::span<const platform::Point> points, platform::Color penColor,
                                platform::Color fillColor, int penWidth, int penStyle) {
  std::vector<long long> args;
  for (const auto& p : points) {
    args.push_back(p.x);
    args.push_back(p.y);
  }
  args.insert(args.end(), {penColor, fillColor, penWidth, penStyle});
  Record("DrawPolygon", std::move(args));
}

void RecordingView::DrawEllipse(int left, int top, int right, int bottom, platform::Color penColor,
                                platform::Color fillColor, int penWidth, int penStyle) {
  Record("DrawEllipse", {left, top, right, bottom, penColor, fillColor, penWidth, penStyle});
}

void RecordingView::FillRect(int x, int y, int width, int height, platform::Color color) {
  Record("FillRect", {x, y, width, height, color, opacity_});
}

void RecordingView::BlitImage(ViewImage& image, int srcX, int srcY, int srcWidth, int srcHeight, int dstX,
                              int dstY, int dstWidth, int dstHeight, bool transparent, bool wholeImage) {
  Record("BlitImage",
         {srcX, srcY, srcWidth, srcHeight, dstX, dstY, dstWidth, dstHeight, transparent, wholeImage, opacity_},
         &image);
}

void RecordingView::DrawArc(bool arcOnly, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2,
                            platform::Color penColor, platform::Color fillColor, int penWidth, int penStyle) {
  Record("DrawArc", {arcOnly, left, top, right, bottom, x1, y1, x2, y2, penColor, fillColor, penWidth, penStyle});
}

void RecordingView::DrawLine(int x1, int y1, int x2, int y2, platform::Color color, int penWidth, int penStyle) {
  Record("DrawLine", {x1, y1, x2, y2, color, penWidth, penStyle});
}

platform::Size RecordingView::MeasureText(const std::string& text) {
  return {static_cast<int>(text.size()) * fontSize / 2, fontSize};
}

void RecordingView::SetTextFont(const std::string& face, int size, platform::Color background,
                                platform::Color shadow) {
  fontFace = face;
  fontSize = size;
  Record("SetTextFont:" + face, {size, background, shadow});
}

void RecordingView::SetDrawParameter(int kind, int value) {
  Record("SetDrawParameter", {kind, value});
  if (kind == kDrawOpacity) opacity_ = value;
}

int RecordingView::GetDrawParameter(int kind) const { return kind == kDrawOpacity ? opacity_ : -1; }

std::string RecordingView::GetBrowserProperty(const std::string& name) {
  for (const auto& [key, value] : browserProperties)
    if (EqualsNoCase(key, name)) return value;
  return {};
}

void RecordingView::SetBrowserProperty(const std::string& name, const std::string& value) {
  propertiesSet.emplace_back(name, value);
  auto it = std::find_if(browserProperties.begin(), browserProperties.end(),
                         [&](const auto& entry) { return EqualsNoCase(entry.first, name); });
  if (it != browserProperties.end())
    it->second = value;
  else
    browserProperties.emplace_back(name, value);
}

bool RecordingView::Execute(const std::string& command, const std::string& argument) {
  executed.emplace_back(command, argument);
  return true;
}

void RecordingView::QueueContent(const std::string& url, bool recordHistory) {
  queued.emplace_back(url, recordHistory);
}

std::string RecordingView::OpenUrl(const std::string& url, bool, int, int, int) {
  opened.push_back(url);
  return {};
}

void RecordingView::InvalidateObject(MapObject&, bool) { ++invalidations; }

void RecordingView::EndObjectCreation(MapObject& object) { creationsEnded.push_back(object.GetId()); }

}  // namespace zolvex::test
