#include "view/CommandInterpreter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "documents/MapDocument.h"
#include "documents/ObjectFactory.h"
#include "documents/XmlReader.h"
#include "objects/MapObject.h"
#include "view/ClipTools.h"
#include "platform/InputEvent.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "platform/ArgumentScanner.h"
#include "platform/Numbers.h"
#include "view/LinkCommand.h"
#include "view/Magnifier.h"
#include "view/MapView.h"

namespace zolvex {

CommandInterpreter::CommandInterpreter(MapView& view) : view_(view), plugins_(view) {}

CommandInterpreter::~CommandInterpreter() = default;

const std::map<std::string, CommandInterpreter::Handler>& CommandInterpreter::Handlers() {
  static const std::map<std::string, Handler> handlers = {
      {"reset", &CommandInterpreter::Reset},
      {"zoomin", &CommandInterpreter::ZoomIn},
      {"zoomout", &CommandInterpreter::ZoomOut},
      {"panto", &CommandInterpreter::PanTo},
      {"dragto", &CommandInterpreter::DragTo},
      {"back", &CommandInterpreter::Back},
      {"limit", &CommandInterpreter::Limit},
      {"rotate", &CommandInterpreter::Rotate},
      {"wheel", &CommandInterpreter::Wheel},
      {"autoscroll", &CommandInterpreter::AutoScroll},
      {"setautoscroll", &CommandInterpreter::AutoScroll},
      {"autoplay", &CommandInterpreter::AutoPlay},
      {"stopaudio", &CommandInterpreter::StopAudio},
      {"clear", &CommandInterpreter::Clear},
      {"nextpage", &CommandInterpreter::NextPage},
      {"prevpage", &CommandInterpreter::PrevPage},
      {"uppage", &CommandInterpreter::UpPage},
      {"downpage", &CommandInterpreter::DownPage},
      {"gotopage", &CommandInterpreter::GotoPage},
      {"snapleft", &CommandInterpreter::SnapLeft},
      {"snapright", &CommandInterpreter::SnapRight},
      {"scrollleft", &CommandInterpreter::ScrollLeft},
      {"scrollright", &CommandInterpreter::ScrollRight},
      {"scrollup", &CommandInterpreter::ScrollUp},
      {"scrolldown", &CommandInterpreter::ScrollDown},
      {"selectobject", &CommandInterpreter::SelectObject},
      {"selectnextobject", &CommandInterpreter::SelectNextObject},
      {"gotonextobject", &CommandInterpreter::GotoNextObject},
      {"selectobjects", &CommandInterpreter::SelectObjects},
      {"objectexec", &CommandInterpreter::ObjectExec},
      {"createobject", &CommandInterpreter::CreateObject},
      {"cancelcreateobject", &CommandInterpreter::CancelCreateObject},
      {"addplugin", &CommandInterpreter::AddPlugin},
      {"magnifier", &CommandInterpreter::MagnifierCommand},
  };
  return handlers;
}

bool CommandInterpreter::Execute(const std::string& command, const std::string& argument) {
  // The document's own commands come first, outside the view lock.
  MapDocument* document = view_.GetDocument();
  if (document && document->HandleCommand(command, argument)) return true;
  std::lock_guard lock(view_.ViewLock());
  auto found = Handlers().find(ToLower(command));
  if (found == Handlers().end()) return view_.Clipping().Execute(command, argument);
  return (this->*found->second)(argument);
}

// ---- Links --------------------------------------------------------------------------------

bool CommandInterpreter::RunLink(const std::string& url) {
  const LinkCommand link = LinkCommand::Parse(url);
  if (!link.IsCommand()) return false;
  const std::string& text = link.text;
  const std::string& scheme = link.scheme;
  const std::string& rest = link.rest;
  const std::size_t size = text.size();

  if (scheme == "goto") {
    if (size <= LinkCommand::kMaxPositionLink) RunGoto(text);
  } else if (scheme == "panto" || scheme == "vpanto") {
    if (size <= LinkCommand::kMaxPositionLink) Execute(scheme, rest);
  } else if (scheme == "mail") {
    // Taken as a link and ignored: a page must not start the mail program.
  } else if (scheme == "exec") {
    RunExecLink(rest);
  } else if (scheme == "menu" || scheme == "rmenu") {
    if (size > scheme.size() + 1) Execute(scheme, rest);
  } else if (scheme == "exit") {
    exitRequested_ = true;
  } else if (scheme == "snapleft" || scheme == "snapright" || scheme == "scrollleft" || scheme == "scrollright" ||
             scheme == "scrollup" || scheme == "scrolldown") {
    Execute(scheme, "");
  } else if (scheme == "snapup" || scheme == "snapdown") {
    Execute(scheme == "snapup" ? "uppage" : "downpage", "");
  } else if (scheme == "autoscroll" || scheme == "setautoscroll") {
    if (size > 11) Execute(scheme, rest);
  } else if (scheme == "keyboard") {
    PostKey(rest);
  }
  return true;
}

void CommandInterpreter::RunGoto(const std::string& url) {
  const std::string argument = url.substr(5);
  ArgumentScanner scanner(argument);
  int position[3] = {0, 0, 0};
  int read = scanner.Ints(position, 3);
  std::string mode;
  if (read == 3 && scanner.Literal(',')) scanner.Word(mode);
  if (read < 2) return;
  std::string transition = view_.GetBrowserProperty("ifx");
  if (!transition.empty()) view_.CaptureTransitionSource();
  view_.MoveTo(position[0], position[1], position[2], mode);
  if (!transition.empty()) {
    view_.RunTransition(transition);
    view_.SetBrowserProperty("ifx", "");
  }
  Redraw();
  PostEvent("goto", "", argument);
}

void CommandInterpreter::RunExecLink(const std::string& text) {
  std::size_t comma = text.find(',');
  if (comma == std::string::npos || comma + 1 == text.size()) {
    Execute(text, "");
  } else {
    Execute(text.substr(0, comma), text.substr(comma + 1));
  }
}

void CommandInterpreter::PostKey(const std::string& text) { view_.PostKeyMessage(ParseInt(text)); }

// ---- Navigation and zoom ----------------------------------------------------------------

bool CommandInterpreter::Reset(const std::string& argument) {
  const std::string url = view_.GetCurrentUrl();
  if (url.empty()) return true;
  MapDocument* document = view_.GetDocument();
  if (document) document->SetTransferFlag(0);
  ViewEvent event;
  event.name = "reset";
  event.param1 = argument;
  event.param2 = url;
  event.position = {view_.ViewX(), view_.ViewY()};
  event.level = document ? document->GetLevel() + 1 : 0;
  view_.PostViewEvent(event);
  return true;
}

bool CommandInterpreter::ZoomIn(const std::string&) {
  view_.ZoomIn();
  return true;
}

bool CommandInterpreter::ZoomOut(const std::string&) {
  view_.ZoomOut();
  return true;
}

// "x,y,level" with a 1-based level; fewer numbers do nothing.
bool CommandInterpreter::PanTo(const std::string& argument) {
  int values[3] = {0, 0, 0};
  if (ArgumentScanner(argument).Ints(values, 3) < 3) return true;
  view_.PanTo(values[0], values[1], ClampToInt(static_cast<long long>(values[2]) - 1));
  return true;
}

// "x,y" in pixels of the current level; fewer numbers do nothing.
bool CommandInterpreter::DragTo(const std::string& argument) {
  int values[2] = {0, 0};
  if (ArgumentScanner(argument).Ints(values, 2) < 2) return true;
  view_.ScrollTo(values[0], values[1], true);
  return true;
}

bool CommandInterpreter::Back(const std::string&) {
  view_.Click(view_.GetViewWidth() / 2, view_.GetViewHeight() / 2, 0, kObjectRightButton);
  return true;
}

bool CommandInterpreter::Rotate(const std::string& argument) {
  MapDocument* document = ValidDocument();
  if (!document) return true;
  const int degrees = ParseInt(argument);
  document->SetRotation(degrees);
  view_.TurnPageSize(degrees);
  view_.ValidatePosition(true);
  Redraw();
  return true;
}

bool CommandInterpreter::Wheel(const std::string& argument) {
  int values[3] = {0, 0, 0};
  if (ArgumentScanner(argument).Ints(values, 3) < 3) return true;
  const int delta = values[0];
  if (delta == 0) return true;
  std::string action = ToLower(view_.GetBrowserProperty("WheelAction"));
  MapDocument* document = view_.GetDocument();
  if (action == "news" && document) {
    int pageWidth = FloorToInt(document->GetScaleX() * ParseInt(document->GetParam("pagewidth")));
    int pageHeight = FloorToInt(document->GetScaleY() * ParseInt(document->GetParam("pageheight")));
    bool pageFits = pageWidth <= view_.GetViewWidth() && pageHeight <= view_.GetViewHeight();
    action = pageFits ? std::string() : "pan";
  }
  if (action == "pan") {
    ScrollToClamped(view_.ViewX(), static_cast<long long>(view_.ViewY()) - delta);
  } else if (action == "zoom") {
    view_.ZoomAt(values[1], values[2], delta < 1 ? 2 : 1);
  } else {
    RunScrollStep(delta >= 1 ? "scrollleft" : "scrollright");
  }
  return true;
}

bool CommandInterpreter::AutoScroll(const std::string& argument) {
  int speed[2] = {0, 0};
  if (ArgumentScanner(argument).Ints(speed, 2) < 2) speed[0] = speed[1] = 0;
  autoScroll_ = {speed[0], speed[1]};
  return true;
}

bool CommandInterpreter::AutoPlay(const std::string& argument) {
  if (argument.empty() || EqualsNoCase(argument, "no")) {
    playing_ = false;
    return true;
  }
  if (!playing_) {
    int delay = ParseInt(argument);
    if (delay >= 1) playDelay_ = delay;
    playing_ = true;
    playTicks_ = 0;
  }
  return true;
}

bool CommandInterpreter::Clear(const std::string&) {
  view_.ClearContent();
  return true;
}

// "mode,width,height": the lens is shown in mode 1 and hidden otherwise.
bool CommandInterpreter::MagnifierCommand(const std::string& argument) {
  int values[3] = {0, Magnifier::kDefaultWidth, Magnifier::kDefaultHeight};
  ArgumentScanner(argument).Ints(values, 3);
  view_.SetMagnifierSize(values[1], values[2]);
  view_.ShowMagnifier(values[0] == 1);
  Redraw();
  return true;
}

bool CommandInterpreter::StopAudio(const std::string&) {
  view_.StopSound();
  return true;
}

// ---- Limit --------------------------------------------------------------------------------

bool CommandInterpreter::Limit(const std::string& argument) {
  if (argument.size() <= 2) {
    view_.SetViewLimit(0, 0, 0, 0);
    view_.ValidatePosition(true);
    Redraw();
    return true;
  }
  ArgumentScanner scanner(argument);
  std::string suffix;
  long long x = 0, y = 0, width = 0, height = 0;
  if (argument[0] == 'p' || argument[0] == 'P') {
    scanner = ArgumentScanner(std::string_view(argument).substr(1));
    int first = 0, last = 0;
    if (!scanner.Int(first) || !scanner.Literal('-') || !scanner.Int(last)) return true;
    if (scanner.Literal(',')) scanner.Word(suffix);
    long long pages = static_cast<long long>(last) - first + 1;
    long long pageWidth = static_cast<long long>(view_.GetPageWidth());
    long long pageHeight = static_cast<long long>(view_.GetPageHeight());
    MapDocument* document = view_.GetDocument();
    if (document && EqualsNoCase(document->GetParam("direction"), "vertical")) {
      y = (static_cast<long long>(first) - 1) * pageHeight;
      width = pageWidth;
      height = pages * pageHeight;
    } else {
      x = (static_cast<long long>(first) - 1) * pageWidth;
      width = pages * pageWidth;
      height = pageHeight;
    }
  } else {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!scanner.Int(x1) || !scanner.Literal(',') || !scanner.Int(y1) || !scanner.Literal('-') || !scanner.Int(x2) ||
        !scanner.Literal(',') || !scanner.Int(y2)) {
      return true;
    }
    if (scanner.Literal(',')) scanner.Word(suffix);
    x = x1;
    y = y1;
    width = static_cast<long long>(x2) - x1;
    height = static_cast<long long>(y2) - y1;
  }
  SetLimit(x, y, width, height, suffix.empty());
  return true;
}

bool CommandInterpreter::SetLimit(long long x, long long y, long long width, long long height, bool present) {
  MapDocument* document = view_.GetDocument();
  double scaleX = document ? document->GetScaleX() : 1.0;
  double scaleY = document ? document->GetScaleY() : 1.0;
  x += FloorToInt(ParseInt(view_.GetBrowserProperty("offsetx")) * scaleX);
  y += FloorToInt(ParseInt(view_.GetBrowserProperty("offsety")) * scaleY);
  if (x < 0) {
    width += x;
    x = 0;
  }
  if (y < 0) {
    height += y;
    y = 0;
  }
  if (document) {
    width = std::min<long long>(width, document->GetFullWidth());
    height = std::min<long long>(height, document->GetFullHeight());
  }
  if (width < 0 || height < 0) return false;
  platform::Rect old = view_.GetViewLimit();
  long long oldX = old.left == -1 ? 0 : old.left;
  long long oldY = old.left == -1 ? 0 : old.top;
  view_.SetViewLimit(ClampToInt(x), ClampToInt(y), ClampToInt(width), ClampToInt(height));
  platform::Rect now = view_.GetViewLimit();
  long long newX = now.left == -1 ? 0 : now.left;
  long long newY = now.left == -1 ? 0 : now.top;
  // The view's coordinates count from the limit's origin: keep showing the same content.
  view_.SetPosition(ClampToInt(view_.ViewX() - FloorToInt((newX - oldX) * scaleX)),
                    ClampToInt(view_.ViewY() - FloorToInt((newY - oldY) * scaleY)), false, false);
  view_.ValidatePosition(true);
  if (present) Redraw();
  return true;
}

// ---- Pages --------------------------------------------------------------------------------

void CommandInterpreter::PostEvent(const std::string& name, const std::string& param1, const std::string& param2) {
  ViewEvent event;
  event.name = name;
  event.param1 = param1;
  event.param2 = param2;
  view_.PostViewEvent(event);
}

void CommandInterpreter::PostPageEvent(const std::string& name, const std::string& argument) {
  PostEvent(name, argument, "");
}

MapDocument* CommandInterpreter::ValidDocument() const {
  MapDocument* document = view_.GetDocument();
  return document && document->IsValid() ? document : nullptr;
}

bool CommandInterpreter::HasPageGrid() const {
  MapDocument* document = ValidDocument();
  if (!document) return false;
  bool vertical = EqualsNoCase(document->GetParam("direction"), "vertical");
  return vertical ? view_.GetPageHeight() > 0 : view_.GetPageWidth() > 0;
}

bool CommandInterpreter::IsReversed() { return EqualsNoCase(view_.GetBrowserProperty("reversepage"), "yes"); }

// The page at the window's leading top corner: top-left, or top-right when pages run from
// right to left.
int CommandInterpreter::CurrentPage() {
  int right = view_.ViewX() + view_.GetViewWidth() - 1;
  return view_.PageAt(IsReversed() ? right : view_.ViewX(), view_.ViewY());
}

// Whether a page can lie on the current level's page grid. Pages far beyond it are not
// looked up: their origins would not fit in the view's coordinates.
bool CommandInterpreter::IsPlausiblePage(int page) {
  MapDocument* document = ValidDocument();
  if (!document || page < 1) return false;
  const double fullWidth = document->GetFullWidth();
  const double fullHeight = document->GetFullHeight();
  if (fullWidth <= 0 || fullHeight <= 0) return false;
  const long long pageWidth = FloorToInt(document->GetWidth() * view_.GetPageWidth() / fullWidth);
  const long long pageHeight = FloorToInt(document->GetHeight() * view_.GetPageHeight() / fullHeight);
  if (pageWidth <= 0 || pageHeight <= 0) return false;
  const long long columns = document->GetWidth() / pageWidth + 1;
  const long long rows = document->GetHeight() / pageHeight + 1;
  return page <= columns * rows;
}

platform::Point CommandInterpreter::ValidatedPosition(int x, int y) {
  platform::Point present{view_.ViewX(), view_.ViewY()};
  view_.SetPosition(x, y, false, false);
  platform::Point validated{view_.ViewX(), view_.ViewY()};
  view_.SetPosition(present.x, present.y, false, false);
  return validated;
}

bool CommandInterpreter::NextPage(const std::string& argument) {
  PostPageEvent("nextpage", argument);
  if (!HasPageGrid()) return true;
  int x = 0, y = 0;
  platform::Point present{view_.ViewX(), view_.ViewY()};
  int current = CurrentPage();
  if (current >= 0 && view_.PageOrigin(current + 1, x, y) && ValidatedPosition(x, y) != present) {
    view_.ScrollTo(x, y);
    return true;
  }
  int right = view_.ViewX() + view_.GetViewWidth() - 1;
  int lastVisible = view_.PageAt(IsReversed() ? view_.ViewX() : right, view_.ViewY());
  if (lastVisible >= 0 && view_.PageOrigin(lastVisible + 1, x, y)) view_.ScrollTo(x, y);
  return true;
}

bool CommandInterpreter::PrevPage(const std::string& argument) {
  PostPageEvent("prevpage", argument);
  if (!HasPageGrid()) return true;
  int page = view_.PageAt(-1, -1);
  int x = 0, y = 0;
  if (page - 1 >= 0) {
    platform::Point present{view_.ViewX(), view_.ViewY()};
    if (page - 1 >= 1 && view_.PageOrigin(page - 1, x, y)) {
      if (platform::Point{x, y} != present || page - 2 < 1) {
        view_.ScrollTo(x, y);
      } else if (view_.PageOrigin(page - 2, x, y)) {
        view_.ScrollTo(x, y);
      }
    }
  } else if (view_.GetHistory().Entries().size() > 1) {
    view_.OnKeyDown(platform::kKeyBack, 0, 0, view_.GetPlatform().TimeSource().NowMs());
  }
  return true;
}

bool CommandInterpreter::UpPage(const std::string& argument) {
  PostPageEvent("uppage", argument);
  MapDocument* document = ValidDocument();
  if (!document || !HasPageGrid() || document->GetFullHeight() == 0) return true;
  int step = FloorToInt(view_.GetPageHeight() * document->GetHeight() / document->GetFullHeight());
  int x = 0, y = 0;
  if (view_.PageOrigin(CurrentPage(), x, y) && y > 0) ScrollToClamped(x, static_cast<long long>(y) - step);
  return true;
}

bool CommandInterpreter::DownPage(const std::string& argument) {
  PostPageEvent("downpage", argument);
  MapDocument* document = ValidDocument();
  if (!document || !HasPageGrid() || document->GetFullHeight() == 0) return true;
  int step = FloorToInt(view_.GetPageHeight() * document->GetHeight() / document->GetFullHeight());
  int x = 0, y = 0;
  if (view_.PageOrigin(CurrentPage(), x, y) && static_cast<long long>(y) + step < document->GetHeight()) {
    ScrollToClamped(x, static_cast<long long>(y) + step);
  }
  return true;
}

bool CommandInterpreter::GotoPage(const std::string& argument) {
  PostPageEvent("gotopage", argument);
  MapDocument* document = ValidDocument();
  if (!document || !HasPageGrid()) return true;
  int values[2] = {0, 0};
  int read = ArgumentScanner(argument).Ints(values, 2);
  if (read == 2) {
    int last = std::max(document->GetLevelCount() - 1, 0);
    document->SetLevel(std::clamp(ClampToInt(static_cast<long long>(values[1]) - 1), 0, last));
  }
  int x = 0, y = 0;
  if (read >= 1 && IsPlausiblePage(values[0]) && view_.PageOrigin(values[0], x, y)) {
    view_.SetPosition(x, y, true, true);
  } else if (read == 2) {
    // The level changed but the page does not exist there: the old position may lie
    // outside the new level.
    view_.SetPosition(view_.ViewX(), view_.ViewY(), true, true);
  }
  return true;
}

bool CommandInterpreter::SnapLeft(const std::string&) {
  return Execute(IsReversed() ? "nextpage" : "prevpage", "");
}

bool CommandInterpreter::SnapRight(const std::string&) {
  return Execute(IsReversed() ? "prevpage" : "nextpage", "");
}

// ---- Scrolling ----------------------------------------------------------------------------

platform::Point CommandInterpreter::ScrollStep() {
  MapDocument* document = view_.GetDocument();
  int stepX = FloorToInt(document->GetScaleX() * ParseInt(document->GetParam("pagewidth")));
  int stepY = FloorToInt(document->GetScaleY() * ParseInt(document->GetParam("pageheight")));
  if (stepX == 0) stepX = view_.GetViewWidth();
  if (stepY == 0) stepY = view_.GetViewHeight();
  return {stepX, stepY};
}

void CommandInterpreter::Jump(long long x, long long y) { view_.SetPosition(ClampToInt(x), ClampToInt(y), true, true); }

void CommandInterpreter::ScrollToClamped(long long x, long long y) { view_.ScrollTo(ClampToInt(x), ClampToInt(y)); }

void CommandInterpreter::RunScrollStep(const std::string& direction) {
  MapDocument* document = ValidDocument();
  if (!document) return;
  const platform::Point step = ScrollStep();
  const long long sx = step.x, sy = step.y;
  const long long x = view_.ViewX(), y = view_.ViewY();
  const long long w = view_.GetViewWidth(), h = view_.GetViewHeight();
  const long long width = document->GetWidth(), height = document->GetHeight();
  if (direction == "scrollleft") {
    if (x == 0 && y == 0) {
      Jump(width - sx, height - sy);
    } else if (x == 0) {
      Jump(width - sx, y - sy);
    } else {
      ScrollToClamped(x - sx, y);
    }
  } else if (direction == "scrollright") {
    if (x + w + 1 >= width) {
      if (y + h + 1 < height) {
        Jump(0, y + sy);
      } else {
        Jump(0, 0);
      }
    } else {
      ScrollToClamped(x + sx, y);
    }
  } else if (direction == "scrollup") {
    if (y == 0 && x == 0) {
      Jump(width - sx, height - sy);
    } else if (y == 0) {
      Jump(x - sx, height - sy);
    } else {
      ScrollToClamped(x, y - sy);
    }
  } else if (y + h + 1 >= height) {
    if (x + w + 1 < width) {
      Jump(x + sx, 0);
    } else {
      Jump(0, 0);
    }
  } else {
    ScrollToClamped(x, y + sy);
  }
}

bool CommandInterpreter::ScrollLeft(const std::string&) {
  PostEvent("scrollleft", "", "");
  RunScrollStep("scrollleft");
  return true;
}

bool CommandInterpreter::ScrollRight(const std::string&) {
  PostEvent("scrollright", "", "");
  RunScrollStep("scrollright");
  return true;
}

bool CommandInterpreter::ScrollUp(const std::string&) {
  PostEvent("scrollup", "", "");
  RunScrollStep("scrollup");
  return true;
}

bool CommandInterpreter::ScrollDown(const std::string&) {
  PostEvent("scrolldown", "", "");
  RunScrollStep("scrolldown");
  return true;
}

// ---- Objects ------------------------------------------------------------------------------

void CommandInterpreter::ClearEditMarks() {
  for (MapObject* item : view_.VisibleItems()) item->SetEditing(false);
}

bool CommandInterpreter::SelectObject(const std::string& argument) {
  MapDocument* document = view_.GetDocument();
  if (!document) return true;
  MapObject* object = document->FindObject(ParseInt(argument));
  std::vector<MapObject*> selectable = document->GetSelectableObjects();
  if (object && std::find(selectable.begin(), selectable.end(), object) != selectable.end()) {
    document->SelectObject(object);
  } else {
    if (IsYes(view_.GetBrowserProperty("isediting"))) ClearEditMarks();
    document->SetSelectedIndex(-1);
  }
  Redraw();
  return true;
}

bool CommandInterpreter::StepToNextObject() {
  MapDocument* document = ValidDocument();
  if (!document) return false;
  std::vector<MapObject*> selectable = document->GetSelectableObjects();
  const int count = static_cast<int>(selectable.size());
  const int start = document->GetSelectedIndex();
  const int level = document->GetLevel();
  for (int step = 1; step <= count; ++step) {
    int index = ((start < 0 ? -1 : start) + step) % count;
    if (!selectable[static_cast<std::size_t>(index)]->IsShownAtLevel(level)) continue;
    document->SetSelectedIndex(index);
    return true;
  }
  return false;
}

bool CommandInterpreter::SelectNextObject(const std::string&) {
  if (StepToNextObject()) Redraw();
  return true;
}

bool CommandInterpreter::GotoNextObject(const std::string& argument) {
  if (!StepToNextObject()) return true;
  MapDocument* document = view_.GetDocument();
  std::vector<MapObject*> selectable = document->GetSelectableObjects();
  MapObject* object = selectable[static_cast<std::size_t>(document->GetSelectedIndex())];
  if (object->IsHiddenForPrinting()) {
    Redraw();
    return true;
  }
  double scaleX = document->GetScaleX();
  double scaleY = document->GetScaleY();
  double x = object->GetX() * scaleX;
  double y = object->GetY() * scaleY;
  if (EqualsNoCase(argument, "center")) {
    x -= (view_.GetViewWidth() - object->GetWidth() * scaleX) / 2;
    y -= (view_.GetViewHeight() - object->GetHeight() * scaleY) / 2;
  }
  view_.SetPosition(FloorToInt(x), FloorToInt(y), true, true);
  return true;
}

bool CommandInterpreter::SelectObjects(const std::string& argument) {
  keepStates_ = EqualsNoCase(argument, "start");
  return true;
}

bool CommandInterpreter::ObjectExec(const std::string& argument) {
  MapDocument* document = view_.GetDocument();
  if (!document) return true;
  std::string markup = "<param " + argument + "/>";
  std::replace(markup.begin(), markup.end(), '\'', '"');
  XmlReader reader;
  if (!reader.Parse(markup) || !reader.FindNext("param")) return true;
  std::string action = reader.GetAttribute("action");
  if (action.empty()) return true;
  int id = ParseInt(reader.GetAttribute("id"));
  if (id < 1) {
    std::string ids = document->FindObjectIDsByName(reader.GetAttribute("name"));
    id = ParseInt(ids);
  }
  MapObject* object = id >= 1 ? document->FindObject(id) : nullptr;
  if (object) object->ExecuteCommand(action, reader.GetAttribute("param"));
  return true;
}

bool CommandInterpreter::CreateObject(const std::string& argument) {
  CancelCreateObject("");
  MapDocument* document = view_.GetDocument();
  if (!document) return false;
  std::size_t comma = argument.find(',');
  std::string type = Trim(argument.substr(0, comma));
  std::string parameters = comma == std::string::npos ? std::string() : argument.substr(comma + 1);
  std::unique_ptr<MapObject> object =
      view_.Objects().CreateObjectFromText(view_, type, parameters, view_.GetBaseUrl());
  if (!object) return false;
  object->SetBeingCreated(true);
  if (!object->GetView()) object->SetView(&view_);
  int id = document->AddObject(std::move(object), true);
  creatingId_ = id;
  document->SelectObject(document->FindObject(id));
  Redraw();
  PostEvent("createobject", "type", std::to_string(id));
  view_.GetPlatform().Window().SetCursor("crosshair");
  return true;
}

bool CommandInterpreter::CancelCreateObject(const std::string&) {
  if (creatingId_ == -1) return true;
  const int id = creatingId_;
  // A stale ID is forgotten too: the object was removed by other means.
  creatingId_ = -1;
  MapDocument* document = view_.GetDocument();
  MapObject* object = document ? document->FindObject(id) : nullptr;
  if (!object) return true;
  document->RemoveObject(object);
  PostEvent("cancelcreateobject", std::to_string(id), "");
  return true;
}

bool CommandInterpreter::AddPlugin(const std::string& argument) {
  plugins_.Add(Trim(argument));
  return true;
}

// ---- Helpers ------------------------------------------------------------------------------

// Repaints with the position unchanged. SetPosition is the public road to the view's
// repaint; the position it validates is the one the view already holds.
void CommandInterpreter::Redraw() { view_.SetPosition(view_.ViewX(), view_.ViewY(), true, false); }

}  // namespace zolvex
