#pragma once
// Platform-internal: the cairo image surface behind a Surface. Only platform/*.cpp include this.
#include <cairo.h>

#include <cstddef>
#include <new>

namespace zolvex::platform {

class NativeSurface {
 public:
  // The pixels are left as they come from the allocator: the Surface either clears them
  // or writes every one itself, so cairo's own zeroing would be a wasted pass. The memory
  // belongs to the cairo surface (freed with its last reference), so a canvas or a window
  // still holding the surface never draws into freed memory.
  NativeSurface(int width, int height) {
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    auto* pixels = stride > 0 ? new (std::nothrow) unsigned char[static_cast<std::size_t>(stride) * height] : nullptr;
    if (!pixels) {
      surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
      return;
    }
    surface = cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, stride);
    if (cairo_surface_set_user_data(surface, &kPixelsKey, pixels, FreePixels) != CAIRO_STATUS_SUCCESS) {
      FreePixels(pixels);
      cairo_surface_destroy(surface);
      surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    }
  }
  ~NativeSurface() { cairo_surface_destroy(surface); }
  NativeSurface(const NativeSurface&) = delete;
  NativeSurface& operator=(const NativeSurface&) = delete;

  cairo_surface_t* surface;

 private:
  static void FreePixels(void* pixels) { delete[] static_cast<unsigned char*>(pixels); }
  static inline const cairo_user_data_key_t kPixelsKey{};
};

}  // namespace zolvex::platform
