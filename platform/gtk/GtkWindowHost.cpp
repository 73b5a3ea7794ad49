#include "platform/gtk/GtkWindowHost.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "platform/EmbeddedResource.h"
#include "platform/NativeSurface.h"
#include "platform/Surface.h"

namespace zolvex::platform {

namespace {

std::thread::id g_guiThread;

struct PostedTask {
  WindowHost::Task task;
};

gboolean RunPostedTask(gpointer data) {
  std::unique_ptr<PostedTask> posted(static_cast<PostedTask*>(data));
  posted->task();
  return G_SOURCE_REMOVE;
}

struct TimerTask {
  WindowHost::Task task;
};

gboolean RunTimerTask(gpointer data) {
  static_cast<TimerTask*>(data)->task();
  return G_SOURCE_CONTINUE;
}

void DeleteTimerTask(gpointer data) { delete static_cast<TimerTask*>(data); }

unsigned ModifiersOf(guint state) {
  unsigned m = kModNone;
  if (state & GDK_SHIFT_MASK) m |= kModShift;
  if (state & GDK_CONTROL_MASK) m |= kModControl;
  if (state & GDK_MOD1_MASK) m |= kModAlt;
  if (state & GDK_BUTTON1_MASK) m |= kModLeftButton;
  if (state & GDK_BUTTON2_MASK) m |= kModMiddleButton;
  if (state & GDK_BUTTON3_MASK) m |= kModRightButton;
  return m;
}

MouseButton ButtonOf(guint button) {
  switch (button) {
    case 1: return MouseButton::Left;
    case 2: return MouseButton::Middle;
    case 3: return MouseButton::Right;
    default: return MouseButton::None;
  }
}

int KeyCodeOf(guint keyval) {
  switch (keyval) {
    case GDK_KEY_BackSpace: return kKeyBack;
    case GDK_KEY_Tab: return kKeyTab;
    case GDK_KEY_Return: case GDK_KEY_KP_Enter: return kKeyReturn;
    case GDK_KEY_Shift_L: case GDK_KEY_Shift_R: return kKeyShift;
    case GDK_KEY_Control_L: case GDK_KEY_Control_R: return kKeyControl;
    case GDK_KEY_Escape: return kKeyEscape;
    case GDK_KEY_space: return kKeySpace;
    case GDK_KEY_Page_Up: return kKeyPageUp;
    case GDK_KEY_Page_Down: return kKeyPageDown;
    case GDK_KEY_End: return kKeyEnd;
    case GDK_KEY_Home: return kKeyHome;
    case GDK_KEY_Left: return kKeyLeft;
    case GDK_KEY_Up: return kKeyUp;
    case GDK_KEY_Right: return kKeyRight;
    case GDK_KEY_Down: return kKeyDown;
    case GDK_KEY_Insert: return kKeyInsert;
    case GDK_KEY_Delete: return kKeyDelete;
    case GDK_KEY_KP_Add: case GDK_KEY_plus: return kKeyAdd;
    case GDK_KEY_KP_Subtract: case GDK_KEY_minus: return kKeySubtract;
    default: break;
  }
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return kKeyF1 + static_cast<int>(keyval - GDK_KEY_F1);
  guint upper = gdk_keyval_to_upper(keyval);
  if ((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9')) return static_cast<int>(upper);
  return 0;
}

// The zoom-hint cursors: a magnifying glass with a plus (more detail below), a minus (the
// most detailed level) or both. The hot spot is the middle of the lens.
GdkCursor* MakeHintCursor(const std::string& name) {
  constexpr int kSize = 24;
  constexpr double kLens = 9.0, kRadius = 7.0;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
  cairo_t* cr = cairo_create(surface);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 4.0);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_move_to(cr, kLens + 5, kLens + 5);
  cairo_line_to(cr, kSize - 2, kSize - 2);
  cairo_stroke(cr);
  cairo_arc(cr, kLens, kLens, kRadius, 0, 2 * G_PI);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  const bool plus = name != "IDC_CURSOR_HIGH", minus = name != "IDC_CURSOR_LOW";
  const double signY = plus && minus ? kLens - 2 : kLens;
  cairo_set_line_width(cr, 1.5);
  cairo_move_to(cr, kLens - 3.5, signY);
  cairo_line_to(cr, kLens + 3.5, signY);
  if (plus) {
    cairo_move_to(cr, kLens, signY - 3.5);
    cairo_line_to(cr, kLens, signY + 3.5);
  }
  if (plus && minus) {
    cairo_move_to(cr, kLens - 3.5, kLens + 4);
    cairo_line_to(cr, kLens + 3.5, kLens + 4);
  }
  cairo_stroke(cr);
  cairo_destroy(cr);
  GdkCursor* cursor = gdk_cursor_new_from_surface(gdk_display_get_default(), surface, kLens, kLens);
  cairo_surface_destroy(surface);
  return cursor;
}

// A cursor picture compiled in under the name (a PNG); its hot spot is the picture's middle.
// Null when there is none or it cannot be read.
GdkCursor* MakeResourceCursor(const std::string& name) {
  std::optional<std::span<const unsigned char>> data = FindResource(name);
  if (!data || data->empty()) return nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  GdkCursor* cursor = nullptr;
  if (gdk_pixbuf_loader_write(loader, data->data(), data->size(), nullptr) &&
      gdk_pixbuf_loader_close(loader, nullptr)) {
    if (GdkPixbuf* picture = gdk_pixbuf_loader_get_pixbuf(loader)) {
      cursor = gdk_cursor_new_from_pixbuf(gdk_display_get_default(), picture, gdk_pixbuf_get_width(picture) / 2,
                                          gdk_pixbuf_get_height(picture) / 2);
    }
  } else {
    gdk_pixbuf_loader_close(loader, nullptr);
  }
  g_object_unref(loader);
  return cursor;
}

}  // namespace

struct GtkWindowHost::Bridge {
  static GtkWindowHost* Host(gpointer data) { return static_cast<GtkWindowHost*>(data); }

  static gboolean Draw(GtkWidget*, cairo_t* cr, gpointer data) {
    GtkWindowHost* host = Host(data);
    const Surface* surface = host->listener_ ? host->listener_->OnPaint() : nullptr;
    if (surface) {
      cairo_set_source_surface(cr, surface->Native().surface, 0, 0);
      cairo_paint(cr);
    }
    return TRUE;
  }

  static void Allocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    GtkWindowHost* host = Host(data);
    Size size{allocation->width, allocation->height};
    if (size != host->size_) {
      host->size_ = size;
      if (host->listener_) host->listener_->OnSize(size);
    }
  }

  static gboolean Button(GtkWidget*, GdkEventButton* event, gpointer data) {
    GtkWindowHost* host = Host(data);
    if (host->droppingInput_ || !host->listener_) return TRUE;
    MouseEvent mouse;
    mouse.action = event->type == GDK_BUTTON_RELEASE ? MouseAction::Up
                   : event->type == GDK_2BUTTON_PRESS ? MouseAction::DoubleClick
                                                      : MouseAction::Down;
    if (event->type == GDK_3BUTTON_PRESS) return TRUE;
    mouse.button = ButtonOf(event->button);
    mouse.point = {static_cast<int>(event->x), static_cast<int>(event->y)};
    mouse.modifiers = ModifiersOf(event->state);
    host->listener_->OnMouse(mouse);
    return TRUE;
  }

  static gboolean Motion(GtkWidget*, GdkEventMotion* event, gpointer data) {
    GtkWindowHost* host = Host(data);
    if (host->droppingInput_ || !host->listener_) return TRUE;
    MouseEvent mouse;
    mouse.action = MouseAction::Move;
    mouse.point = {static_cast<int>(event->x), static_cast<int>(event->y)};
    mouse.modifiers = ModifiersOf(event->state);
    host->listener_->OnMouse(mouse);
    return TRUE;
  }

  static gboolean Leave(GtkWidget*, GdkEventCrossing* event, gpointer data) {
    GtkWindowHost* host = Host(data);
    if (host->droppingInput_ || !host->listener_) return TRUE;
    MouseEvent mouse;
    mouse.action = MouseAction::Leave;
    mouse.point = {static_cast<int>(event->x), static_cast<int>(event->y)};
    host->listener_->OnMouse(mouse);
    return TRUE;
  }

  static gboolean Scroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
    GtkWindowHost* host = Host(data);
    if (host->droppingInput_ || !host->listener_) return TRUE;
    WheelEvent wheel;
    wheel.point = {static_cast<int>(event->x), static_cast<int>(event->y)};
    wheel.modifiers = ModifiersOf(event->state);
    if (event->direction == GDK_SCROLL_UP) wheel.delta = 120;
    else if (event->direction == GDK_SCROLL_DOWN) wheel.delta = -120;
    else if (event->direction == GDK_SCROLL_SMOOTH) wheel.delta = static_cast<int>(-event->delta_y * 120);
    if (wheel.delta != 0) host->listener_->OnWheel(wheel);
    return TRUE;
  }

  static gboolean Key(GtkWidget*, GdkEventKey* event, gpointer data) {
    GtkWindowHost* host = Host(data);
    if (host->droppingInput_ || !host->listener_) return TRUE;
    KeyEvent key;
    key.down = event->type == GDK_KEY_PRESS;
    key.key = KeyCodeOf(event->keyval);
    key.modifiers = ModifiersOf(event->state);
    key.character = gdk_keyval_to_unicode(event->keyval);
    host->listener_->OnKey(key);
    return TRUE;
  }

  static gboolean Delete(GtkWidget*, GdkEvent*, gpointer data) {
    GtkWindowHost* host = Host(data);
    if (host->listener_) host->listener_->OnClose();
    host->Quit();
    return TRUE;
  }
};

GtkWindowHost::GtkWindowHost(Size size, const std::string& title) : size_(size), bridge_(std::make_unique<Bridge>()) {
  g_guiThread = std::this_thread::get_id();
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
  area_ = gtk_drawing_area_new();
  gtk_widget_set_size_request(area_, 1, 1);
  gtk_window_set_default_size(GTK_WINDOW(window_), size.width, size.height);
  gtk_container_add(GTK_CONTAINER(window_), area_);
  gtk_widget_set_can_focus(area_, TRUE);
  gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                   GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK |
                                   GDK_LEAVE_NOTIFY_MASK | GDK_STRUCTURE_MASK);
  ConnectSignals();
  gtk_widget_show_all(window_);
  gtk_widget_grab_focus(area_);
}

GtkWindowHost::~GtkWindowHost() {
  for (auto& [id, source] : timers_) g_source_remove(source);
  if (window_) gtk_widget_destroy(window_);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void GtkWindowHost::ConnectSignals() {
  g_signal_connect(area_, "draw", G_CALLBACK(Bridge::Draw), this);
  g_signal_connect(area_, "size-allocate", G_CALLBACK(Bridge::Allocate), this);
  g_signal_connect(area_, "button-press-event", G_CALLBACK(Bridge::Button), this);
  g_signal_connect(area_, "button-release-event", G_CALLBACK(Bridge::Button), this);
  g_signal_connect(area_, "motion-notify-event", G_CALLBACK(Bridge::Motion), this);
  g_signal_connect(area_, "leave-notify-event", G_CALLBACK(Bridge::Leave), this);
  g_signal_connect(area_, "scroll-event", G_CALLBACK(Bridge::Scroll), this);
  g_signal_connect(area_, "key-press-event", G_CALLBACK(Bridge::Key), this);
  g_signal_connect(area_, "key-release-event", G_CALLBACK(Bridge::Key), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(Bridge::Delete), this);
}

void GtkWindowHost::SetListener(WindowListener* listener) { listener_ = listener; }
Size GtkWindowHost::ClientSize() const { return size_; }

void GtkWindowHost::Resize(Size size) { gtk_window_resize(GTK_WINDOW(window_), std::max(size.width, 1), std::max(size.height, 1)); }

void GtkWindowHost::SetTitle(const std::string& title) { gtk_window_set_title(GTK_WINDOW(window_), title.c_str()); }

void GtkWindowHost::Post(Task task) {
  g_idle_add_full(G_PRIORITY_DEFAULT, RunPostedTask, new PostedTask{std::move(task)}, nullptr);
}

void GtkWindowHost::SetTimer(TimerId id, std::uint32_t periodMs, Task task) {
  KillTimer(id);
  timers_[id] = g_timeout_add_full(G_PRIORITY_DEFAULT, std::max<std::uint32_t>(periodMs, 1), RunTimerTask,
                                   new TimerTask{std::move(task)}, DeleteTimerTask);
}

void GtkWindowHost::KillTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  g_source_remove(it->second);
  timers_.erase(it);
}

void GtkWindowHost::SetCapture() {
  GdkWindow* window = gtk_widget_get_window(area_);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  if (window && seat) {
    capture_ = gdk_seat_grab(seat, window, GDK_SEAT_CAPABILITY_POINTER, FALSE, nullptr, nullptr, nullptr, nullptr) ==
               GDK_GRAB_SUCCESS;
  }
}

void GtkWindowHost::ReleaseCapture() {
  if (!capture_) return;
  gdk_seat_ungrab(gdk_display_get_default_seat(gdk_display_get_default()));
  capture_ = false;
}

bool GtkWindowHost::HasCapture() const { return capture_; }

void GtkWindowHost::SetCursor(const std::string& name) {
  if (name == cursor_) return;
  GdkCursor* cursor = nullptr;
  if (name.rfind("IDC_CURSOR_", 0) == 0) {
    cursor = MakeResourceCursor(name);
    if (!cursor) cursor = MakeHintCursor(name);
  } else if (name.rfind('/', 0) == 0) {
    // A cursor file: a picture the toolkit reads, with its hot spot when the format has one.
    GdkPixbuf* picture = gdk_pixbuf_new_from_file(name.c_str(), nullptr);
    if (!picture) return;  // unreadable: the cursor stays as it is
    auto hotSpot = [picture](const char* option) {
      const gchar* value = gdk_pixbuf_get_option(picture, option);
      return value ? std::atoi(value) : 0;
    };
    cursor = gdk_cursor_new_from_pixbuf(gdk_display_get_default(), picture, hotSpot("x_hot"), hotSpot("y_hot"));
    g_object_unref(picture);
  } else {
    cursor = gdk_cursor_new_from_name(gdk_display_get_default(), name.c_str());
  }
  cursor_ = name;
  if (GdkWindow* window = gtk_widget_get_window(area_)) gdk_window_set_cursor(window, cursor);
  if (cursor) g_object_unref(cursor);
}

std::string GtkWindowHost::CurrentCursor() const { return cursor_; }

void GtkWindowHost::Invalidate() { gtk_widget_queue_draw(area_); }

void GtkWindowHost::DrainPendingInput() {
  droppingInput_ = true;
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  droppingInput_ = false;
}

// Paints the drawing area now through a draw frame of its window, so that an animation
// holding the window thread shows each frame without going through the main loop.
void GtkWindowHost::PresentNow() {
  GdkWindow* window = area_ ? gtk_widget_get_window(area_) : nullptr;
  const Surface* surface = listener_ ? listener_->OnPaint() : nullptr;
  if (!window || !surface || !gdk_window_is_visible(window)) return;
  cairo_region_t* region = gdk_window_get_visible_region(window);
  GdkDrawingContext* context = gdk_window_begin_draw_frame(window, region);
  cairo_t* cr = gdk_drawing_context_get_cairo_context(context);
  cairo_set_source_surface(cr, surface->Native().surface, 0, 0);
  cairo_paint(cr);
  gdk_window_end_draw_frame(window, context);
  cairo_region_destroy(region);
  gdk_display_flush(gdk_window_get_display(window));
}

void GtkWindowHost::Pause(std::uint32_t ms) { g_usleep(static_cast<gulong>(ms) * 1000); }

void GtkWindowHost::Run() {
  quit_ = false;
  gtk_main();
}

bool GtkWindowHost::RunFor(std::uint32_t ms) {
  quit_ = false;
  bool timedOut = false;
  guint source = g_timeout_add(ms, [](gpointer flag) -> gboolean {
    *static_cast<bool*>(flag) = true;
    gtk_main_quit();
    return G_SOURCE_REMOVE;
  }, &timedOut);
  gtk_main();
  if (!timedOut) g_source_remove(source);
  return timedOut;
}

void GtkWindowHost::Quit() {
  if (!OnWindowThread()) {
    Post([this] { Quit(); });
    return;
  }
  if (quit_) return;
  quit_ = true;
  if (gtk_main_level() > 0) gtk_main_quit();
}

bool GtkWindowHost::OnWindowThread() const { return std::this_thread::get_id() == g_guiThread; }

}  // namespace zolvex::platform
