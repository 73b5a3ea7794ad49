#include "objects/ThumbnailNavigator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "image/ViewImage.h"
#include "objects/ObjectValues.h"
#include "platform/Numbers.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr platform::Color kWhite = platform::MakeColor(0xFF, 0xFF, 0xFF);
constexpr platform::Color kMarkerRed = platform::MakeColor(0xFF, 0x5A, 0x5A);
constexpr platform::Color kLabelYellow = platform::MakeColor(0xFF, 0xFF, 0x00);
constexpr const char* kLabelFont = "MS Sans Serif";
constexpr int kLabelSize = 10;
constexpr int kMinSide = 10;
constexpr int kRightMargin = 3;
constexpr int kBottomMargin = 15;

struct LongLat {
  double x = 0.0;
  double y = 0.0;
};

LongLat Along(LongLat from, LongLat to, double t) { return {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t}; }

// Where the line a-b crosses the line c-d; nothing when they run parallel.
std::optional<LongLat> Intersection(LongLat a, LongLat b, LongLat c, LongLat d) {
  const double dx1 = b.x - a.x, dy1 = b.y - a.y, dx2 = d.x - c.x, dy2 = d.y - c.y;
  const double cross = dx1 * dy2 - dy1 * dx2;
  if (std::abs(cross) < 1e-8) return std::nullopt;
  const double t = ((c.x - a.x) * dy2 - (c.y - a.y) * dx2) / cross;
  return LongLat{a.x + dx1 * t, a.y + dy1 * t};
}

std::string Shortest(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.8g", value);
  return text;
}

}  // namespace

ThumbnailNavigator::ThumbnailNavigator(std::shared_ptr<ViewImage> picture, int fullWidth, int fullHeight)
    : CComponentImage(0, 0, fullWidth, fullHeight, std::move(picture)) {
  SetScreenCoordinates(true);
  SetProperty("type", "thumbnail");
}

std::optional<ThumbnailNavigator::Limit> ThumbnailNavigator::ViewLimit() const {
  ViewPrimitives* view = GetView();
  if (!view) return std::nullopt;
  const std::string x = view->GetBrowserProperty("limitx");
  const int width = ParseInt(view->GetBrowserProperty("limitwidth"));
  const int height = ParseInt(view->GetBrowserProperty("limitheight"));
  if (x.empty() || ParseInt(x) < 0 || width <= 0 || height <= 0) return std::nullopt;
  Limit limit;
  limit.left = ParseInt(x);
  limit.top = ParseInt(view->GetBrowserProperty("limity"));
  limit.right = limit.left + width;
  limit.bottom = limit.top + height;
  return limit;
}

ThumbnailNavigator::Extent ThumbnailNavigator::LevelExtent(const DocumentMetrics& metrics) const {
  Extent extent{0, 0, metrics.levelWidth, metrics.levelHeight};
  if (auto limit = ViewLimit()) {
    extent.originX = Truncate(metrics.scaleX * limit->left);
    extent.originY = Truncate(metrics.scaleY * limit->top);
    extent.width = Truncate(metrics.scaleX * (limit->right - limit->left));
    extent.height = Truncate(metrics.scaleY * (limit->bottom - limit->top));
  }
  return extent;
}

platform::Size ThumbnailNavigator::ThumbnailSize(const DocumentMetrics& metrics) const {
  ViewPrimitives& view = *GetView();
  const Extent extent = LevelExtent(metrics);
  const long long lw = extent.width, lh = extent.height;
  const long long vw = view.GetViewWidth(), vh = view.GetViewHeight();
  if ((lw <= vw && lh <= vh) || lw <= 0 || lh <= 0) return {0, 0};
  const double ratio = double(lw) / double(lh);
  int width = 0, height = 0;
  if (lh * vw < lw * vh) {
    width = static_cast<int>(vw / 6);
    height = std::max(Truncate(width / ratio), kMinSide);
  } else {
    height = static_cast<int>(vh / 6);
    width = std::max(Truncate(ratio * height), kMinSide);
  }
  if (ViewImage* picture = GetCurrentPicture(); picture && picture->getWidth() < width && picture->getHeight() < height) {
    width = picture->getWidth();
    height = picture->getHeight();
  }
  int maxSize = ParseInt(view.GetBrowserProperty("ThumbnailMaxSize"));
  if (maxSize < 1) maxSize = kDefaultMaxSize;
  if (std::max(width, height) > maxSize) {
    if (width >= height) {
      height = static_cast<int>(static_cast<long long>(height) * maxSize / width);
      width = maxSize;
    } else {
      width = static_cast<int>(static_cast<long long>(width) * maxSize / height);
      height = maxSize;
    }
  }
  return {width, height};
}

void ThumbnailNavigator::UpdateScreenRect() {
  if (!GetView()) return;
  const auto metrics = ViewMetrics();
  if (!metrics || !metrics->valid) return;
  const platform::Size size = ThumbnailSize(*metrics);
  SetScreenRect(GetScreenX(), GetScreenY(), size.width, size.height);
}

void ThumbnailNavigator::Place() {
  ViewPrimitives& view = *GetView();
  const int width = GetScreenWidth(), height = GetScreenHeight();
  SetScreenRect(view.GetViewWidth() - (width + kRightMargin), view.GetViewHeight() - height - kBottomMargin, width,
                height);
}

void ThumbnailNavigator::Draw() {
  ViewPrimitives* view = GetView();
  const auto metrics = ViewMetrics();
  if (!view || !metrics || !metrics->valid || !IsShownAtLevel(metrics->level)) return;
  if (view->GetViewWidth() >= metrics->levelWidth && view->GetViewHeight() >= metrics->levelHeight) return;
  UpdateScreenRect();
  if (GetScreenWidth() < 1 || GetScreenHeight() < 1) return;
  Place();
  if (!IsYes(view->GetBrowserProperty("TransparentThumbnail"))) CComponentImage::Draw();
  DrawFrameAndMarker(*view, *metrics);
  DrawLabels(*view, *metrics);
}

void ThumbnailNavigator::DrawFrameAndMarker(ViewPrimitives& view, const DocumentMetrics& metrics) {
  const int x = GetScreenX(), y = GetScreenY(), w = GetScreenWidth(), h = GetScreenHeight();
  view.DrawRectOutline(x, y, w, h, kWhite, 1, kPenSolid);
  view.DrawRectOutline(x + 1, y + 1, w - 2, h - 2, kMarkerRed, 1, kPenSolid);

  const Extent extent = LevelExtent(metrics);
  if (extent.width <= 0 || extent.height <= 0) return;
  const long long vw = view.GetViewWidth(), vh = view.GetViewHeight();
  const long long cx = view.GetViewportX() + vw / 2 - extent.originX;
  const long long cy = view.GetViewportY() + vh / 2 - extent.originY;
  long long mx = cx * (w - 4) / extent.width + x + 2;
  long long my = cy * (h - 4) / extent.height + y + 2;
  long long mw = vw * (w - 4) / extent.width;
  long long mh = vh * (h - 4) / extent.height;
  if (mw < 2) mw = 4;
  if (mh < 2) mh = 4;
  if (mx - mw / 2 < x) {
    mw = w - 4;
    mx = x + mw / 2 + 2;
  }
  if (my - mh / 2 < y) {
    mh = h - 4;
    my = y + mh / 2 + 2;
  }
  const int left = ClampToInt(mx - mw / 2), top = ClampToInt(my - mh / 2);
  view.DrawRectOutline(left, top, ClampToInt(mw), ClampToInt(mh), kWhite, 1, kPenSolid);
  view.DrawRectOutline(left + 1, top + 1, ClampToInt(mw - 2), ClampToInt(mh - 2), kMarkerRed, 1, kPenSolid);
}

void ThumbnailNavigator::DrawLabels(ViewPrimitives& view, const DocumentMetrics& metrics) {
  const int x = GetScreenX(), y = GetScreenY(), w = GetScreenWidth(), h = GetScreenHeight();
  const Extent extent = LevelExtent(metrics);
  const int cx = view.GetViewportX() + view.GetViewWidth() / 2 - extent.originX;
  const int cy = view.GetViewportY() + view.GetViewHeight() / 2 - extent.originY;
  view.SetTextFont(kLabelFont, kLabelSize, platform::kNoColor, platform::kNoColor);

  const std::string position =
      PositionLabel(view.GetBrowserProperty("longlat_pos"), cx, cy, metrics.levelWidth, metrics.levelHeight);
  const platform::Size positionSize = view.MeasureText(position);
  view.DrawText(position, x + w - positionSize.width, y - positionSize.height, kLabelYellow);

  const std::string level =
      "Level " + std::to_string(metrics.level + 1) + " of " + std::to_string(metrics.levelCount);
  const platform::Size levelSize = view.MeasureText(level);
  view.DrawText(level, x + w - levelSize.width, y + h, kLabelYellow);
}

std::string ThumbnailNavigator::PositionLabel(const std::string& corners, int cx, int cy, int levelWidth,
                                              int levelHeight) {
  double v[8] = {};
  if (std::sscanf(corners.c_str(), "%lf,%lf;%lf,%lf;%lf,%lf;%lf,%lf", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                  &v[6], &v[7]) != 8) {
    return std::to_string(cx) + "," + std::to_string(cy);
  }
  LongLat result;
  if (levelWidth > 0 && levelHeight > 0) {
    const LongLat topLeft{v[0], v[1]}, topRight{v[2], v[3]}, bottomRight{v[4], v[5]}, bottomLeft{v[6], v[7]};
    const double u = double(cx) / levelWidth, t = double(cy) / levelHeight;
    result = Intersection(Along(topLeft, topRight, u), Along(bottomLeft, bottomRight, u), Along(topLeft, bottomLeft, t),
                          Along(topRight, bottomRight, t))
                 .value_or(LongLat{});
  }
  return Shortest(result.x) + "," + Shortest(result.y);
}

// The view is centred on the level point under the pointer.
void ThumbnailNavigator::MoveViewTo(platform::Point point) {
  ViewPrimitives* view = GetView();
  const auto metrics = ViewMetrics();
  const long long w = GetScreenWidth(), h = GetScreenHeight();
  if (!view || !metrics || !metrics->valid || w < 1 || h < 1) return;
  const long long px = point.x - GetScreenX(), py = point.y - GetScreenY();
  long long levelX = 0, levelY = 0;
  if (auto limit = ViewLimit()) {
    levelX = Truncate(metrics->scaleX * double((limit->right - limit->left) * px / w + limit->left));
    levelY = Truncate(metrics->scaleY * double((limit->bottom - limit->top) * py / h + limit->top));
  } else {
    levelX = px * metrics->levelWidth / w;
    levelY = py * metrics->levelHeight / h;
  }
  view->SetViewPosition(ClampToInt(levelX - view->GetViewWidth() / 2), ClampToInt(levelY - view->GetViewHeight() / 2),
                        true, true);
}

void ThumbnailNavigator::OnLButtonDown(unsigned, platform::Point point) {
  dragging_ = true;
  MoveViewTo(point);
}

void ThumbnailNavigator::OnMouseMove(unsigned, platform::Point point) {
  if (dragging_) MoveViewTo(point);
}

void ThumbnailNavigator::OnLButtonUp(unsigned, platform::Point) { dragging_ = false; }

void ThumbnailNavigator::OnMouseExit() { dragging_ = false; }

void ThumbnailNavigator::OnClick(platform::Point point, int) { MoveViewTo(point); }

void ThumbnailNavigator::SetRotation(int degrees) {
  const int turns = (degrees - rotation_) / 90;
  rotation_ = degrees;
  ViewImage* picture = GetCurrentPicture();
  if (turns == 0 || !picture || !picture->isValid()) return;
  picture->rotateQuarter(turns);
  picture->ReleaseSurface();
}

}  // namespace zolvex
