#include "apps/zolvex/DesktopGreeting.h"

#include <algorithm>
#include <vector>

#include "control/CZolvexCtrl.h"
#include "objects/MapObject.h"
#include "objects/ViewPrimitives.h"
#include "platform/WindowHost.h"
#include "view/FlipMapView.h"

namespace zolvex::host {

namespace {

constexpr int kTextSize = 16;
constexpr int kLineGap = 6;
constexpr int kMargin = 16;
// Light text on a dark panel reads on any background colour.
constexpr platform::Color kTextColor = 0xF0F0F0;
constexpr platform::Color kPanelColor = 0x40342E;  // blue-grey #2E3440

std::string NameOf(const std::string& url) {
  std::string path = url.substr(0, url.find(','));
  while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

std::string FirstTextArgument(const ControlEvent& event) {
  if (event.arguments.empty()) return {};
  const auto* text = std::get_if<std::string>(&event.arguments[0]);
  return text ? *text : std::string();
}

}  // namespace

// Lines of text centred in the window, over whatever the view draws there. It takes no
// room of its own, so the pointer passes through it.
class WindowMessage : public MapObject {
 public:
  explicit WindowMessage(std::string text) : MapObject(0, 0, 0, 0), text_(std::move(text)) {}
  const std::string& Text() const { return text_; }

  void Draw() override {
    ViewPrimitives* view = GetView();
    if (!view) return;
    view->SetTextFont(std::string(), kTextSize, platform::kNoColor, platform::kNoColor);
    const std::vector<std::string> lines = LinesOf(text_);
    const int lineHeight = view->MeasureText("Ag").height + kLineGap;
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, view->MeasureText(line).width);
    const int blockHeight = lineHeight * static_cast<int>(lines.size()) - kLineGap;
    int y = (view->GetViewHeight() - blockHeight) / 2;
    view->FillRect((view->GetViewWidth() - widest) / 2 - kMargin, y - kMargin, widest + 2 * kMargin,
                   blockHeight + 2 * kMargin, kPanelColor);
    for (const std::string& line : lines) {
      const platform::Size size = view->MeasureText(line);
      view->DrawText(line, (view->GetViewWidth() - size.width) / 2, y, kTextColor);
      y += lineHeight;
    }
  }

 private:
  std::string text_;
};

DesktopGreeting::DesktopGreeting(CZolvexCtrl& control, platform::WindowHost& window)
    : control_(control), window_(window) {}

DesktopGreeting::~DesktopGreeting() { Hide(); }

std::string DesktopGreeting::TitleFor(const std::string& url) {
  const std::string name = NameOf(url);
  return name.empty() ? kProgramName : name + " \u2014 " + kProgramName;
}

std::string DesktopGreeting::StartHint() {
  return "Nothing is open yet.\n"
         "Ctrl+O opens a picture (.ktq), a mosaic (.mon),\n"
         "an XMML document or an image on a tile server.\n"
         "F1 lists the mouse and key functions.";
}

std::string DesktopGreeting::ErrorText(const std::string& url, const std::string& reason) {
  std::string text = "Cannot open " + NameOf(url);
  if (!reason.empty()) text += "\n" + reason;
  return text + "\nCtrl+O opens another.";
}

bool DesktopGreeting::ShowsDocument() const {
  FlipMapView* view = control_.View();
  return view && view->HasValidDocument();
}

void DesktopGreeting::Start() {
  if (ShowsDocument()) {
    window_.SetTitle(TitleFor(control_.GetProperty("Url").value_or("")));
    return;
  }
  window_.SetTitle(kProgramName);
  // A failed first URL has already left its reason.
  if (!shown_) Show(StartHint());
}

void DesktopGreeting::OnEvent(const ControlEvent& event) {
  const std::string first = FirstTextArgument(event);
  if (event.name == "OnLoading") {
    loadingUrl_ = first;
  } else if (event.name == "OnLoaded") {
    // A failed URL falls back to the previous one, which may be nothing at all.
    if (!ShowsDocument()) return;
    window_.SetTitle(TitleFor(first));
    Hide();
  } else if (event.name == "OnError") {
    if (ShowsDocument()) return;
    window_.SetTitle(kProgramName);
    Show(ErrorText(loadingUrl_, first));
  }
}

std::string DesktopGreeting::ShownText() const { return shown_ && message_ ? message_->Text() : std::string(); }

void DesktopGreeting::Show(const std::string& text) {
  Hide();
  FlipMapView* view = control_.View();
  if (!view) return;
  message_ = std::make_unique<WindowMessage>(text);
  view->AddOwnObject(message_.get());
  shown_ = true;
  view->Redraw();
}

void DesktopGreeting::Hide() {
  if (!shown_) return;
  if (FlipMapView* view = control_.View()) {
    view->RemoveOwnObject(message_.get());
    view->Redraw();
  }
  shown_ = false;
}

}  // namespace zolvex::host
