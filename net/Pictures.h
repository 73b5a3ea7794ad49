#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "image/ViewImage.h"

namespace zolvex {

// The format a picture's name implies, by its last four characters (any case): ".gif",
// ".tga" and ".bmp" name their formats; every other name is read as JPEG.
int FormatFromExtension(const std::string& name);

// Decodes a picture held in memory (page 0, natural size); formatId -1 picks the format by
// signature. None for no bytes, length 0 or data the decoder refuses.
std::unique_ptr<ViewImage> DecodePicture(const std::uint8_t* bytes, std::size_t length, int formatId);

// Fetches a picture by URL (FetchUrl) and decodes it by the URL's extension.
std::unique_ptr<ViewImage> LoadPictureFromUrl(const std::string& url);

// Loads a picture file, the decoder chosen by its extension.
std::unique_ptr<ViewImage> LoadPictureFromFile(const std::string& path);

// A JPEG picture built into the library under name (its first 99 characters).
std::unique_ptr<ViewImage> LoadPictureResource(const std::string& name);

// The resources of a loaded module: the data of the resource of a name, or none.
using ResourceLookup = std::function<std::optional<std::span<const unsigned char>>(const std::string& name)>;

// A bitmap resource (its name's first 99 characters), looked up in module and, when no
// module is given or it lacks the resource, among the library's own. The colour of the
// top-left pixel becomes the picture's transparent colour.
std::unique_ptr<ViewImage> LoadBitmapResource(const std::string& name, const ResourceLookup& module = {});

}  // namespace zolvex
