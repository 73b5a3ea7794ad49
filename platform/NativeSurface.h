#pragma once
// Platform-internal: the cairo image surface behind a Surface. Only platform/*.cpp include this.
#include <cairo.h>

namespace zolvex::platform {

class NativeSurface {
 public:
  NativeSurface(int width, int height)
      : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)) {}
  ~NativeSurface() { cairo_surface_destroy(surface); }
  NativeSurface(const NativeSurface&) = delete;
  NativeSurface& operator=(const NativeSurface&) = delete;

  cairo_surface_t* surface;
};

}  // namespace zolvex::platform
