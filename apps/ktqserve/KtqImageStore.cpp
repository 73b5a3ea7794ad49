#include "apps/ktqserve/KtqImageStore.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "tiles/TileRequest.h"

namespace zolvex {

namespace fs = std::filesystem;

namespace {

bool HasExtension(const fs::path& path, const std::string& extension) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == extension;
}

// True when path lies inside root (both canonical).
bool IsInside(const fs::path& path, const fs::path& root) {
  auto [rootEnd, pathAt] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return rootEnd == root.end();
}

}  // namespace

KtqImageStore::KtqImageStore(fs::path root, int protocolVersion)
    : root_(fs::weakly_canonical(root)), protocolVersion_(protocolVersion) {
  if (root_.filename().empty()) root_ = root_.parent_path();  // "/srv/maps/" names "/srv/maps"
}

std::optional<fs::path> KtqImageStore::Resolve(const std::string& name) const {
  std::string relative = PercentUnescape(name);
  std::replace(relative.begin(), relative.end(), '\\', '/');
  if (relative.find('\0') != std::string::npos) return std::nullopt;
  relative.erase(0, relative.find_first_not_of('/'));
  if (relative.empty()) return std::nullopt;
  fs::path requested = fs::path(relative).lexically_normal();
  for (const auto& part : requested) {
    if (part == "..") return std::nullopt;
  }
  std::error_code error;
  fs::path path = fs::weakly_canonical(root_ / requested, error);
  if (error || !IsInside(path, root_)) return std::nullopt;
  return path;
}

std::shared_ptr<const KtqImageStore::Image> KtqImageStore::OpenImage(const std::string& name) {
  auto path = Resolve(name);
  std::error_code error;
  if (!path || !fs::is_regular_file(*path, error)) return nullptr;
  auto modified = fs::last_write_time(*path, error);
  auto size = fs::file_size(*path, error);
  if (error) return nullptr;
  {
    std::lock_guard lock(mutex_);
    auto it = images_.find(*path);
    if (it != images_.end() && it->second.modified == modified && it->second.size == size &&
        it->second.image->name == name)
      return it->second.image;
  }
  auto image = Load(name, *path);
  if (!image) return nullptr;
  std::lock_guard lock(mutex_);
  if (images_.size() >= kMaxOpenImages) images_.clear();  // connections keep theirs alive
  images_[*path] = Entry{modified, size, image};
  return image;
}

std::shared_ptr<const KtqImageStore::Image> KtqImageStore::Load(const std::string& name, const fs::path& path) const {
  auto image = std::make_shared<Image>();
  image->name = name;
  if (!image->file.Open(path.string())) return nullptr;
  ImageDescription description;
  description.levels = image->file.Levels();
  description.version = protocolVersion_;
  auto thumbnail = KtqLocalFile::ReadThumbnailBlock(path.string());
  if (thumbnail.size() <= static_cast<std::size_t>(ImageDescription::kMaxThumbnailLength))
    description.thumbnail = std::move(thumbnail);
  if (protocolVersion_ == 11) AttachFilesBeside(name, path, description);
  image->description = description.Encode();
  return image;
}

void KtqImageStore::AttachFilesBeside(const std::string& name, const fs::path& path,
                                      ImageDescription& description) const {
  std::string folder = name.substr(0, name.find_last_of("/\\") + 1);
  std::vector<fs::path> candidates;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(path.parent_path(), error)) {
    const fs::path& file = entry.path();
    std::error_code statError;
    if (!entry.is_regular_file(statError) || HasExtension(file, ".ktq")) continue;
    if (file.filename().string().starts_with(".")) continue;
    candidates.push_back(file);
  }
  std::sort(candidates.begin(), candidates.end());
  std::uintmax_t total = 0;
  for (const auto& file : candidates) {
    std::string attachedName = folder + file.filename().string();
    std::uintmax_t size = fs::file_size(file, error);
    if (error || size > kMaxAttachedFile || total + size > kMaxAttachedTotal) continue;
    if (attachedName.size() > static_cast<std::size_t>(ImageDescription::kMaxNameLength)) continue;
    if (description.files.size() >= static_cast<std::size_t>(ImageDescription::kMaxFileCount)) break;
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) continue;
    total += data.size();
    description.files.push_back({attachedName, std::move(data)});
  }
}

std::optional<std::vector<std::uint8_t>> KtqImageStore::ReadFile(const std::string& name, std::size_t maxLength) const {
  auto path = Resolve(name);
  std::error_code error;
  if (!path || !fs::is_regular_file(*path, error)) return std::nullopt;
  auto size = fs::file_size(*path, error);
  if (error || size > maxLength) return std::nullopt;
  std::ifstream in(*path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::optional<std::vector<std::uint8_t>> KtqImageStore::ReadThumbnail(const std::string& name) const {
  auto path = Resolve(name);
  std::error_code error;
  if (!path || !fs::is_regular_file(*path, error)) return std::nullopt;
  auto block = KtqLocalFile::ReadThumbnailBlock(path->string());
  if (block.empty()) return std::nullopt;
  return block;
}

}  // namespace zolvex
