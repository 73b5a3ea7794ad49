#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zolvex {

class MapObject;
class ViewPrimitives;

// What every maker of objects from markup elements shares: attribute lookup, the level
// limits and the steps every made object goes through last.
using ElementAttributes = std::vector<std::pair<std::string, std::string>>;

// The value of an attribute (name in any case); "" when it is missing.
std::string FindAttribute(const ElementAttributes& attributes, std::string_view name);
// A level attribute counted from 1 as a level index: whenEmpty without a value, -1 (no
// limit) for anything below the first level.
int LevelLimitOf(const std::string& text, int whenEmpty);
// Which of the common attributes a type reads.
struct CommonReads {
  bool virtualSize = true;
  bool tooltip = true;
  bool anchor = false;
  bool alignment = true;
};

// The common attributes, as every maker of an object reads them: the level
// limits, the alignment, the virtual size, screen co-ordinates and anchoring, the tooltip,
// the name and group, the base page, editing, and the layer of made objects.
void ReadCommonAttributes(MapObject& object, const ElementAttributes& attributes, const CommonReads& reads);
// The last steps, in order: event listening, the pending "co-ordinate", "ifx" and
// underscore values, the layer, and the view (which places the object).
void FinishMadeObject(MapObject& object, const ElementAttributes& attributes, ViewPrimitives* view);

}  // namespace zolvex
