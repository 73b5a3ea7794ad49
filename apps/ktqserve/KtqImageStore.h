#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tiles/ImageDescription.h"
#include "tiles/KtqLocalFile.h"

namespace zolvex {

// The images and files a tile server offers: everything under one root folder, named by
// its path from the root ("/maps/a.ktq"). A name that leads outside the root (by "..",
// or by a link that points elsewhere) names nothing. Opened images are kept and shared
// by every connection until their file changes.
class KtqImageStore {
 public:
  // Attached files larger than this are left to GETFILE.
  static constexpr std::uintmax_t kMaxAttachedFile = 1 << 20;
  // Descriptions must fit an HTTP body the viewer accepts (10,240,000 bytes).
  static constexpr std::uintmax_t kMaxAttachedTotal = 8 << 20;

  // An opened image with the description it is loaded with.
  struct Image {
    std::string name;  // as requested, "/maps/a.ktq"
    KtqLocalFile file;
    std::vector<std::uint8_t> description;  // encoded in the store's protocol version
  };

  KtqImageStore(std::filesystem::path root, int protocolVersion);

  // The image of that name; null when there is none or it cannot be read.
  std::shared_ptr<const Image> OpenImage(const std::string& name);
  // The bytes of a file under the root; none when missing, not a regular file or larger
  // than maxLength.
  std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& name, std::size_t maxLength) const;
  // The raw thumbnail block of another image; none when it has none.
  std::optional<std::vector<std::uint8_t>> ReadThumbnail(const std::string& name) const;

  // The file a request names, or none when it would lead outside the root.
  std::optional<std::filesystem::path> Resolve(const std::string& name) const;
  int ProtocolVersion() const { return protocolVersion_; }

 private:
  struct Entry {
    std::filesystem::file_time_type modified;
    std::uintmax_t size = 0;
    std::shared_ptr<const Image> image;
  };
  static constexpr std::size_t kMaxOpenImages = 64;

  std::shared_ptr<const Image> Load(const std::string& name, const std::filesystem::path& path) const;
  // The files beside an image, named as a client would ask for them.
  void AttachFilesBeside(const std::string& name, const std::filesystem::path& path, ImageDescription& description) const;

  std::filesystem::path root_;
  int protocolVersion_;
  std::mutex mutex_;
  std::map<std::filesystem::path, Entry> images_;
};

}  // namespace zolvex
