#pragma once
#include <string>

#include "platform/Dialogs.h"

namespace zolvex {

class CComponentText;

// The text dialog ("Load Text") of a text object: it offers the text, the installed font
// families, the size on the screen and a colour out of sixteen fixed ones and a custom one;
// OK applies them to the text and remembers them in the user's profile.
class TextDialog {
 public:
  // The profile section and keys the last choices are kept under.
  static constexpr const char* kProfileSection = "Zolvex Control 1.1";
  static constexpr const char* kLastFont = "LastSelectedFont";
  static constexpr const char* kLastFontSize = "LastSelectedFontSize";
  static constexpr const char* kLastColor = "LastSelectedColor";
  static constexpr int kFixedColorCount = 16;

  // Shows the dialog for the text; false when it was cancelled or the text's view offers
  // no dialogs.
  static bool Run(CComponentText& text);

  // The fields the dialog opens with. rememberedColor is the profile's last colour, taken
  // when the text has none.
  static platform::TextDialogFields InitialFields(const CComponentText& text, double scaleY,
                                                  const std::string& rememberedColor);
  // The fixed colours of the list, in order.
  static const platform::Color (&FixedColors())[kFixedColorCount];
  // The field's text with each line break ("\r\n", "\r" or "\n") made a single "\n".
  static std::string SingleNewlines(const std::string& text);
};

}  // namespace zolvex
