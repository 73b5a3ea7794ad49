#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "platform/Platform.h"
#include "tests/support/TestSupport.h"

using namespace zolvex;
using namespace zolvex::platform;

namespace {

GtkWidget* FindWidget(GtkWidget* root, GType type) {
  if (G_TYPE_CHECK_INSTANCE_TYPE(root, type)) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* child = children; child && !found; child = child->next)
    found = FindWidget(GTK_WIDGET(child->data), type);
  g_list_free(children);
  return found;
}

GtkDialog* OpenDialog(const char* title) {
  GList* windows = gtk_window_list_toplevels();
  GtkDialog* found = nullptr;
  for (GList* window = windows; window && !found; window = window->next) {
    if (GTK_IS_DIALOG(window->data) && gtk_widget_get_visible(GTK_WIDGET(window->data)) &&
        g_strcmp0(gtk_window_get_title(GTK_WINDOW(window->data)), title) == 0)
      found = GTK_DIALOG(window->data);
  }
  g_list_free(windows);
  return found;
}

// Acts on the dialog of that title once it is shown, from the dialog's own main loop.
void WhenShown(const char* title, std::function<void(GtkDialog*)> act) {
  struct Pending {
    const char* title;
    std::function<void(GtkDialog*)> act;
  };
  g_timeout_add(
      50,
      +[](gpointer data) -> gboolean {
        auto* pending = static_cast<Pending*>(data);
        GtkDialog* dialog = OpenDialog(pending->title);
        if (!dialog) return G_SOURCE_CONTINUE;
        pending->act(dialog);
        delete pending;
        return G_SOURCE_REMOVE;
      },
      new Pending{title, std::move(act)});
}

class GtkDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!DisplayAvailable()) GTEST_SKIP() << "no display (scripts/test.sh runs this under Xvfb)";
    PlatformOptions options;
    options.backend = Backend::Gtk;
    options.settingsFile = dir.File("settings.ini");
    std::string error;
    platform = CreatePlatform(options, error);
    ASSERT_TRUE(platform) << error;
  }
  test::TempDir dir;
  std::unique_ptr<Platform> platform;
};

TEST_F(GtkDialogTest, TextDialogGivesBackWhatItsFieldsHold) {
  TextDialogFields fields;
  fields.text = "first\nsecond";
  fields.fonts = {"DejaVu Sans", "DejaVu Serif"};
  fields.font = "DejaVu Serif";
  fields.size = "18";
  fields.colors = {MakeColor(0, 0, 0), MakeColor(0xFF, 0, 0)};
  fields.colorIndex = 1;
  WhenShown("Load Text", [](GtkDialog* dialog) {
    GtkWidget* text = FindWidget(GTK_WIDGET(dialog), GTK_TYPE_TEXT_VIEW);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(text)), "changed\nlines", -1);
    gtk_dialog_response(dialog, GTK_RESPONSE_OK);
  });
  ASSERT_TRUE(platform->DialogBox().TextDialog(fields));
  EXPECT_EQ(fields.text, "changed\nlines");
  EXPECT_EQ(fields.font, "DejaVu Serif");
  EXPECT_EQ(fields.size, "18");
  EXPECT_EQ(fields.colorIndex, 1);

  WhenShown("Load Text", [](GtkDialog* dialog) { gtk_dialog_response(dialog, GTK_RESPONSE_CANCEL); });
  EXPECT_FALSE(platform->DialogBox().TextDialog(fields));
}

TEST_F(GtkDialogTest, NoteDialogVisitsTheLinkAndStaysOpenUntilOk) {
  NoteDialogFields fields;
  fields.name = "Title";
  fields.link = "http://example.invalid/";
  fields.description = "one\ntwo";
  std::string visited;
  fields.visit = [&visited](const std::string& link) { visited = link; };
  WhenShown("Note Properties", [](GtkDialog* dialog) {
    gtk_dialog_response(dialog, 1);  // "Visit"
    WhenShown("Note Properties", [](GtkDialog* again) { gtk_dialog_response(again, GTK_RESPONSE_OK); });
  });
  ASSERT_TRUE(platform->DialogBox().NoteDialog(fields));
  EXPECT_EQ(visited, "http://example.invalid/");
  EXPECT_EQ(fields.description, "one\ntwo");
}

}  // namespace
