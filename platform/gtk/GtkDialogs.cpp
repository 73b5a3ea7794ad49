#include "platform/gtk/GtkDialogs.h"

#include <gtk/gtk.h>

#include <memory>

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
  gtk_file_chooser_set_current_name(chooser, suggestedName.c_str());
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
      case FieldKind::MultilineText: {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor));
        GtkTextIter start, end;
        gtk_text_buffer_get_bounds(buffer, &start, &end);
        char* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
        fields[i].value = text;
        g_free(text);
        break;
      }
      default:
        fields[i].value = gtk_entry_get_text(GTK_ENTRY(editor));
        break;
    }
  }
  return true;
}

}  // namespace zolvex::platform
