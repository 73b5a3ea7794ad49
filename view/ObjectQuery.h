#pragma once
#include <string>

namespace zolvex {

class MapDocument;

// The objects of a document whose screen rectangles overlap a rectangle of the window
// turned about its centre: the corners (x1, y1) and (x2, y2) in window pixels, angle in
// degrees. Answers their IDs in list order joined by single spaces, "" when none.
std::string QueryObjects(MapDocument& document, int x1, int y1, int x2, int y2, int angle);

}  // namespace zolvex
