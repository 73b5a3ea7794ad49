#include "platform/gtk/GtkDialogs.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace zolvex::platform {

namespace {

GtkMessageType MessageTypeOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return GTK_MESSAGE_INFO;
    case MessageIcon::Warning: return GTK_MESSAGE_WARNING;
    case MessageIcon::Stop: return GTK_MESSAGE_ERROR;
    case MessageIcon::Question: return GTK_MESSAGE_QUESTION;
    default: return GTK_MESSAGE_OTHER;
  }
}

void AddButtons(GtkDialog* dialog, MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      gtk_dialog_add_button(dialog, "_OK", GTK_RESPONSE_OK);
      break;
    case MessageButtons::OkCancel:
      gtk_dialog_add_buttons(dialog, "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
      break;
    case MessageButtons::YesNo:
      gtk_dialog_add_buttons(dialog, "_No", GTK_RESPONSE_NO, "_Yes", GTK_RESPONSE_YES, nullptr);
      break;
    case MessageButtons::YesNoCancel:
      gtk_dialog_add_buttons(dialog, "_Cancel", GTK_RESPONSE_CANCEL, "_No", GTK_RESPONSE_NO, "_Yes",
                             GTK_RESPONSE_YES, nullptr);
      break;
    case MessageButtons::RetryCancel:
      gtk_dialog_add_buttons(dialog, "_Cancel", GTK_RESPONSE_CANCEL, "_Retry", GTK_RESPONSE_ACCEPT, nullptr);
      break;
  }
}

DialogResult ResultOf(int response, MessageButtons buttons) {
  switch (response) {
    case GTK_RESPONSE_OK: return DialogResult::Ok;
    case GTK_RESPONSE_YES: return DialogResult::Yes;
    case GTK_RESPONSE_NO: return DialogResult::No;
    case GTK_RESPONSE_ACCEPT: return DialogResult::Retry;
    default: return buttons == MessageButtons::YesNo ? DialogResult::No
                    : buttons == MessageButtons::Ok  ? DialogResult::Ok
                                                     : DialogResult::Cancel;
  }
}

struct WidgetDestroyer {
  void operator()(GtkWidget* w) const { gtk_widget_destroy(w); }
};
using DialogPtr = std::unique_ptr<GtkWidget, WidgetDestroyer>;

DialogPtr NewFormDialog(const std::string& caption) {
  GtkWidget* dialog = gtk_dialog_new_with_buttons(caption.c_str(), nullptr, GTK_DIALOG_MODAL, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  return DialogPtr(dialog);
}

GtkWidget* AppendMenu(GtkWidget* menu, const std::vector<MenuItem>& items, int* chosen) {
  for (const MenuItem& item : items) {
    GtkWidget* widget;
    if (item.label.empty() && item.command == 0) {
      widget = gtk_separator_menu_item_new();
    } else if (item.checked) {
      widget = gtk_check_menu_item_new_with_label(item.label.c_str());
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), TRUE);
    } else {
      widget = gtk_menu_item_new_with_label(item.label.c_str());
    }
    gtk_widget_set_sensitive(widget, item.enabled);
    if (!item.submenu.empty()) {
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), AppendMenu(gtk_menu_new(), item.submenu, chosen));
    } else if (item.command != 0) {
      g_object_set_data(G_OBJECT(widget), "command", GINT_TO_POINTER(item.command));
      g_signal_connect(widget, "activate", G_CALLBACK(+[](GtkWidget* w, gpointer out) {
                         *static_cast<int*>(out) = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "command"));
                       }), chosen);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), widget);
  }
  return menu;
}

std::string BufferText(GtkWidget* textView) {
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(textView));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  char* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
  std::string value = text ? text : "";
  g_free(text);
  return value;
}

GtkWidget* NewTextView(const std::string& text, bool editable) {
  GtkWidget* view = gtk_text_view_new();
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.c_str(), -1);
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), editable);
  gtk_widget_set_size_request(view, 320, 100);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(scroller), view);
  return scroller;
}

void AddRow(GtkWidget* grid, int row, const char* label, GtkWidget* editor) {
  GtkWidget* caption = gtk_label_new(label);
  gtk_widget_set_halign(caption, GTK_ALIGN_START);
  gtk_widget_set_valign(caption, GTK_ALIGN_START);
  gtk_grid_attach(GTK_GRID(grid), caption, 0, row, 1, 1);
  gtk_widget_set_hexpand(editor, TRUE);
  gtk_grid_attach(GTK_GRID(grid), editor, 1, row, 1, 1);
}

GtkWidget* NewGrid() {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 6);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 8);
  return grid;
}

GdkRGBA RgbaOf(Color color) {
  return {RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0, 1.0};
}

// The live state of an open text dialog: its widgets and the colours they choose from.
struct TextDialogState {
  TextDialogFields* fields = nullptr;
  GtkWidget* dialog = nullptr;
  GtkWidget* text = nullptr;  // the GtkTextView inside its scroller
  GtkWidget* font = nullptr;
  GtkWidget* size = nullptr;
  GtkWidget* color = nullptr;
  GtkWidget* sample = nullptr;
  Color customColor = 0;
  int lastColorIndex = 0;

  int CustomIndex() const { return static_cast<int>(fields->colors.size()); }
  Color ChosenColor() const {
    const int index = gtk_combo_box_get_active(GTK_COMBO_BOX(color));
    return index >= 0 && index < CustomIndex() ? fields->colors[index] : customColor;
  }
  std::string ChosenFont() const {
    gchar* name = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(font));
    std::string value = name ? name : "";
    g_free(name);
    return value;
  }
  // The sample's size: the size field, or 12 when it is not a positive number.
  int SampleSize() const {
    const int size = std::atoi(gtk_entry_get_text(GTK_ENTRY(this->size)));
    return size > 0 ? std::min(size, 400) : 12;
  }
};

gboolean DrawSample(GtkWidget* area, cairo_t* cr, gpointer data) {
  auto* state = static_cast<TextDialogState*>(data);
  const int width = gtk_widget_get_allocated_width(area);
  const int height = gtk_widget_get_allocated_height(area);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* description = pango_font_description_new();
  const std::string font = state->ChosenFont();
  pango_font_description_set_family(description, font.empty() ? "Sans" : font.c_str());
  pango_font_description_set_absolute_size(description, state->SampleSize() * PANGO_SCALE);
  pango_layout_set_font_description(layout, description);
  pango_font_description_free(description);
  const std::string text = BufferText(state->text);
  pango_layout_set_text(layout, text.empty() ? "AaBbYyZz" : text.c_str(), -1);
  int textWidth = 0, textHeight = 0;
  pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
  const GdkRGBA color = RgbaOf(state->ChosenColor());
  cairo_set_source_rgb(cr, color.red, color.green, color.blue);
  cairo_move_to(cr, std::max(0, (width - textWidth) / 2), std::max(0, (height - textHeight) / 2));
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  return TRUE;
}

void RedrawSample(gpointer data) { gtk_widget_queue_draw(static_cast<TextDialogState*>(data)->sample); }

// Choosing "Custom" asks for the colour; OK replaces the custom colour.
void ColorChanged(GtkComboBox* combo, gpointer data) {
  auto* state = static_cast<TextDialogState*>(data);
  const int index = gtk_combo_box_get_active(combo);
  if (index == state->CustomIndex() && index != state->lastColorIndex) {
    GtkWidget* chooser = gtk_color_chooser_dialog_new("Custom", GTK_WINDOW(state->dialog));
    gtk_color_chooser_set_use_alpha(GTK_COLOR_CHOOSER(chooser), FALSE);
    const GdkRGBA start = RgbaOf(state->customColor);
    gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(chooser), &start);
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_OK) {
      GdkRGBA chosen;
      gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(chooser), &chosen);
      state->customColor = MakeColor(static_cast<int>(chosen.red * 255 + 0.5), static_cast<int>(chosen.green * 255 + 0.5),
                                     static_cast<int>(chosen.blue * 255 + 0.5));
    }
    gtk_widget_destroy(chooser);
  }
  state->lastColorIndex = index;
  RedrawSample(data);
}

GtkWidget* NewColorList(const TextDialogFields& fields) {
  GtkWidget* combo = gtk_combo_box_text_new();
  for (Color color : fields.colors) {
    char name[8];
    std::snprintf(name, sizeof name, "#%02x%02x%02x", RedOf(color), GreenOf(color), BlueOf(color));
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), name);
  }
  gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), "Custom");
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo), fields.colorIndex);
  return combo;
}

GtkWidget* NewFontList(const TextDialogFields& fields) {
  GtkWidget* combo = gtk_combo_box_text_new();
  int selected = -1;
  for (std::size_t i = 0; i < fields.fonts.size(); ++i) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), fields.fonts[i].c_str());
    if (g_ascii_strcasecmp(fields.fonts[i].c_str(), fields.font.c_str()) == 0) selected = static_cast<int>(i);
  }
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo), selected);
  return combo;
}

}  // namespace

DialogResult GtkDialogs::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                    MessageButtons buttons) {
  DialogPtr dialog(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, MessageTypeOf(icon), GTK_BUTTONS_NONE, "%s",
                                          text.c_str()));
  gtk_window_set_title(GTK_WINDOW(dialog.get()), caption.c_str());
  AddButtons(GTK_DIALOG(dialog.get()), buttons);
  return ResultOf(gtk_dialog_run(GTK_DIALOG(dialog.get())), buttons);
}

std::optional<std::string> GtkDialogs::PromptText(const std::string& prompt, const std::string& caption,
                                                  const std::string& initial) {
  DialogPtr dialog = NewFormDialog(caption);
  GtkWidget* box = gtk_dialog_get_content_area(GTK_DIALOG(dialog.get()));
  gtk_container_add(GTK_CONTAINER(box), gtk_label_new(prompt.c_str()));
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), initial.c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_container_add(GTK_CONTAINER(box), entry);
  gtk_widget_show_all(dialog.get());
  if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_OK) return std::nullopt;
  return std::string(gtk_entry_get_text(GTK_ENTRY(entry)));
}

std::optional<std::string> GtkDialogs::SaveFile(const std::string& caption, const std::string& suggestedName,
                                                const std::vector<FileFilter>& filters) {
  DialogPtr dialog(gtk_file_chooser_dialog_new(caption.c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
                                               GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr));
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.get());
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
  const size_t slash = suggestedName.rfind('/');
  if (slash != std::string::npos) {
    gtk_file_chooser_set_current_folder(chooser, suggestedName.substr(0, slash + 1).c_str());
  }
  gtk_file_chooser_set_current_name(chooser, suggestedName.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
  for (const FileFilter& f : filters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, f.description.c_str());
    gtk_file_filter_add_pattern(filter, f.pattern.c_str());
    gtk_file_chooser_add_filter(chooser, filter);
  }
  if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_ACCEPT) return std::nullopt;
  char* name = gtk_file_chooser_get_filename(chooser);
  if (!name) return std::nullopt;
  std::string path(name);
  g_free(name);
  return path;
}

namespace {

// A text, a bar and a label over the view while a save waits for its tiles.
class GtkProgressWindow : public ProgressWindow {
 public:
  explicit GtkProgressWindow(const std::string& text) : window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)) {
    gtk_window_set_title(GTK_WINDOW(window_), "Korvani Zolvex");
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(window_), 12);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_add(GTK_CONTAINER(box), gtk_label_new(text.c_str()));
    bar_ = gtk_progress_bar_new();
    gtk_widget_set_size_request(bar_, 240, -1);
    gtk_container_add(GTK_CONTAINER(box), bar_);
    label_ = gtk_label_new("(0%) ...");
    gtk_container_add(GTK_CONTAINER(box), label_);
    gtk_container_add(GTK_CONTAINER(window_), box);
    gtk_widget_show_all(window_);
    Paint();
  }
  ~GtkProgressWindow() override { gtk_widget_destroy(window_); }
  GtkProgressWindow(const GtkProgressWindow&) = delete;
  GtkProgressWindow& operator=(const GtkProgressWindow&) = delete;

  void Update(const std::string& label, double percent) override {
    gtk_label_set_text(GTK_LABEL(label_), label.c_str());
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar_), std::clamp(percent / 100.0, 0.0, 1.0));
    Paint();
  }

 private:
  // The wait for tiles lets the window thread's other work run, which paints it.
  void Paint() { gtk_widget_queue_draw(window_); }

  GtkWidget* window_;
  GtkWidget* bar_ = nullptr;
  GtkWidget* label_ = nullptr;
};

}  // namespace

std::unique_ptr<ProgressWindow> GtkDialogs::OpenProgress(const std::string& text) {
  return std::make_unique<GtkProgressWindow>(text);
}

int GtkDialogs::PopupMenu(const std::vector<MenuItem>& items, Point) {
  int chosen = 0;
  GtkWidget* menu = AppendMenu(gtk_menu_new(), items, &chosen);
  g_object_ref_sink(menu);
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_signal_connect_swapped(menu, "deactivate", G_CALLBACK(g_main_loop_quit), loop);
  gtk_widget_show_all(menu);
  gtk_menu_popup_at_pointer(GTK_MENU(menu), nullptr);
  g_main_loop_run(loop);
  // "activate" of the chosen item follows "deactivate"; let it arrive.
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  g_main_loop_unref(loop);
  gtk_widget_destroy(menu);
  g_object_unref(menu);
  return chosen;
}

bool GtkDialogs::Form(const std::string& caption, std::vector<FormField>& fields) {
  DialogPtr dialog = NewFormDialog(caption);
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 6);
  std::vector<GtkWidget*> editors;
  for (size_t i = 0; i < fields.size(); ++i) {
    const FormField& field = fields[i];
    GtkWidget* editor;
    switch (field.kind) {
      case FieldKind::Check:
        editor = gtk_check_button_new_with_label(field.label.c_str());
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(editor), field.value == "yes");
        break;
      case FieldKind::Choice:
        editor = gtk_combo_box_text_new();
        for (const std::string& choice : field.choices) {
          gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(editor), choice.c_str(), choice.c_str());
        }
        gtk_combo_box_set_active_id(GTK_COMBO_BOX(editor), field.value.c_str());
        break;
      case FieldKind::MultilineText: {
        editor = gtk_text_view_new();
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor)), field.value.c_str(), -1);
        gtk_widget_set_size_request(editor, 300, 120);
        break;
      }
      default:
        editor = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(editor), field.value.c_str());
        break;
    }
    if (field.kind != FieldKind::Check) {
      gtk_grid_attach(GTK_GRID(grid), gtk_label_new(field.label.c_str()), 0, static_cast<int>(i), 1, 1);
    }
    gtk_grid_attach(GTK_GRID(grid), editor, 1, static_cast<int>(i), 1, 1);
    editors.push_back(editor);
  }
  gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog.get()))), grid);
  gtk_widget_show_all(dialog.get());
  if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_OK) return false;
  for (size_t i = 0; i < fields.size(); ++i) {
    GtkWidget* editor = editors[i];
    switch (fields[i].kind) {
      case FieldKind::Check:
        fields[i].value = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(editor)) ? "yes" : "no";
        break;
      case FieldKind::Choice: {
        const char* id = gtk_combo_box_get_active_id(GTK_COMBO_BOX(editor));
        fields[i].value = id ? id : "";
        break;
      }
      case FieldKind::MultilineText:
        fields[i].value = BufferText(editor);
        break;
      default:
        fields[i].value = gtk_entry_get_text(GTK_ENTRY(editor));
        break;
    }
  }
  return true;
}

bool GtkDialogs::TextDialog(TextDialogFields& fields) {
  DialogPtr dialog = NewFormDialog("Load Text");
  TextDialogState state;
  state.fields = &fields;
  state.dialog = dialog.get();
  state.customColor = fields.customColor;
  state.lastColorIndex = fields.colorIndex;
  GtkWidget* grid = NewGrid();
  GtkWidget* scroller = NewTextView(fields.text, true);
  state.text = gtk_bin_get_child(GTK_BIN(scroller));
  state.font = NewFontList(fields);
  state.size = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(state.size), fields.size.c_str());
  state.color = NewColorList(fields);
  state.sample = gtk_drawing_area_new();
  gtk_widget_set_size_request(state.sample, 320, 80);
  AddRow(grid, 0, "Text:", scroller);
  AddRow(grid, 1, "Font:", state.font);
  AddRow(grid, 2, "Size", state.size);
  AddRow(grid, 3, "Color:", state.color);
  AddRow(grid, 4, "Sample:", state.sample);
  g_signal_connect(state.sample, "draw", G_CALLBACK(DrawSample), &state);
  g_signal_connect_swapped(gtk_text_view_get_buffer(GTK_TEXT_VIEW(state.text)), "changed",
                           G_CALLBACK(RedrawSample), &state);
  g_signal_connect_swapped(state.font, "changed", G_CALLBACK(RedrawSample), &state);
  g_signal_connect_swapped(state.size, "changed", G_CALLBACK(RedrawSample), &state);
  g_signal_connect(state.color, "changed", G_CALLBACK(ColorChanged), &state);
  gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog.get()))), grid);
  gtk_widget_show_all(dialog.get());
  if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_OK) return false;
  fields.text = BufferText(state.text);
  // A font that is not installed stays chosen unless the user picks another.
  if (std::string font = state.ChosenFont(); !font.empty()) fields.font = font;
  fields.size = gtk_entry_get_text(GTK_ENTRY(state.size));
  fields.customColor = state.customColor;
  fields.colorIndex = std::max(0, gtk_combo_box_get_active(GTK_COMBO_BOX(state.color)));
  return true;
}

bool GtkDialogs::NoteDialog(NoteDialogFields& fields) {
  constexpr int kVisit = 1;
  DialogPtr dialog(gtk_dialog_new_with_buttons("Note Properties", nullptr, GTK_DIALOG_MODAL, "_Visit", kVisit,
                                               "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr));
  gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_OK);
  GtkWidget* grid = NewGrid();
  GtkWidget* name = gtk_entry_new();
  GtkWidget* link = gtk_entry_new();
  for (auto [entry, value] : {std::pair{name, &fields.name}, std::pair{link, &fields.link}}) {
    gtk_entry_set_text(GTK_ENTRY(entry), value->c_str());
    gtk_editable_set_editable(GTK_EDITABLE(entry), fields.editable);
  }
  GtkWidget* scroller = NewTextView(fields.description, fields.editable);
  AddRow(grid, 0, "Name:", name);
  AddRow(grid, 1, "Hyperlink:", link);
  AddRow(grid, 2, "Description:", scroller);
  gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog.get()))), grid);
  gtk_widget_show_all(dialog.get());
  int response;
  // "Visit" opens the link as the field holds it and leaves the dialog open.
  while ((response = gtk_dialog_run(GTK_DIALOG(dialog.get()))) == kVisit) {
    if (fields.visit) fields.visit(gtk_entry_get_text(GTK_ENTRY(link)));
  }
  if (response != GTK_RESPONSE_OK) return false;
  if (!fields.editable) return true;
  fields.name = gtk_entry_get_text(GTK_ENTRY(name));
  fields.link = gtk_entry_get_text(GTK_ENTRY(link));
  fields.description = BufferText(gtk_bin_get_child(GTK_BIN(scroller)));
  return true;
}

}  // namespace zolvex::platform
