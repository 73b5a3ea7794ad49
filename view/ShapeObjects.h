#pragma once

namespace zolvex {

class MapView;

// Lets the view's documents and commands make the shapes: the markup documents make them
// of their map elements (unless another maker is installed), and the view's CreateObject
// command of a type and its attribute text.
void InstallShapeMakers(MapView& view);

}  // namespace zolvex
