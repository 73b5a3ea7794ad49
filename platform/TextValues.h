#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"

namespace zolvex {

// The shared readings of values held as text.

// A leading decimal integer: white space skipped, an optional sign, digits up to the first
// non-digit; text without digits reads as 0 (the C library's atoi, without its overflow).
int ParseInt(std::string_view text);
// A 1-based number in text (a level as pages and markup write it) as a 0-based index:
// ParseInt less one, which at the lowest int stays there instead of wrapping.
int ParseOneBasedIndex(std::string_view text);
// "#RRGGBB" (any number of hex digits after "#") as a colour value with red in the low
// byte; nothing when the text does not start with "#" followed by a hex digit.
std::optional<platform::Color> ParseColor(std::string_view text);
// "yes" and "no" in any case.
bool IsYes(std::string_view text);
bool IsNo(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
std::string ToLower(std::string_view text);
std::string Trim(std::string_view text);
// The text without trailing white space.
std::string TrimEnd(std::string_view text);
// The text as a JSON string literal, quotes included (control characters as \u escapes).
std::string JsonString(std::string_view text);
// Numbers separated by ",", each read as ParseInt reads it.
std::vector<int> ParseIntList(std::string_view text);

}  // namespace zolvex
