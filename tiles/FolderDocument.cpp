#include "tiles/FolderDocument.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "documents/CReaderException.h"
#include "documents/MessageTable.h"
#include "platform/Files.h"
#include "platform/TextValues.h"
#include "documents/DocumentHost.h"

namespace zolvex {

namespace {

std::vector<std::string> ImagesOrThrow(DocumentHost& host, const std::string& folder) {
  std::vector<std::string> images = FolderDocument::ListImages(folder);
  if (images.empty()) throw CReaderException(GetMessageText(401, host.GetBrowserProperty("ErrorMsgXml"), folder));
  return images;
}

}  // namespace

std::vector<std::string> FolderDocument::ListImages(const std::string& folder) {
  std::vector<std::string> images;
  std::error_code error;
  const std::filesystem::path path(platform::NativePath(folder));
  std::filesystem::directory_iterator entries(path, error);
  if (error) return images;
  for (const auto& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (EndsWithNoCase(name, ".ktq") && entry.is_regular_file(error)) images.push_back(entry.path().string());
  }
  std::sort(images.begin(), images.end());
  return images;
}

MosaicLayout FolderDocument::GridOf(const std::vector<std::string>& images) {
  const int count = static_cast<int>(images.size());
  const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count)))));
  std::vector<MosaicLayout::Child> children;
  for (int i = 0; i < count; ++i) {
    MosaicLayout::Child child;
    child.source = images[static_cast<std::size_t>(i)];
    child.column = i % columns;
    child.row = i / columns;
    children.push_back(std::move(child));
  }
  MosaicLayout::Attributes attributes;
  attributes.width = columns;
  return MosaicLayout(attributes, std::move(children));
}

FolderDocument::FolderDocument(DocumentHost& host, const std::string& folder, SourceMakers& makers)
    : FolderDocument(host, folder, ImagesOrThrow(host, folder), makers) {}

FolderDocument::FolderDocument(DocumentHost& host, const std::string& folder, std::vector<std::string> images,
                               SourceMakers& makers)
    : MosaicDocument(host, GridOf(images), folder, makers), images_(std::move(images)) {}

}  // namespace zolvex
