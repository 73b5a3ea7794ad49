// Cursors chosen by the page: a cursor file named by the "Cursor" property.
#include <filesystem>
#include <string>
#include <system_error>

#include "net/FetchUrl.h"
#include "net/Url.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

// The file's extension (with its dot) tells the toolkit how to read the cursor.
std::string ExtensionOf(const std::string& url) {
  const std::size_t slash = url.find_last_of("/\\");
  const std::size_t dot = url.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ".cur";
  const std::string extension = url.substr(dot);
  return extension.size() <= 5 ? extension : ".cur";
}

}  // namespace

bool MapView::LoadCursorFile(const std::string& url) {
  const std::string resolved = NormaliseUrl(url, baseUrl_);
  FetchResult fetched = FetchUrl(resolved);
  if (!fetched.Ok() || fetched.bytes->empty()) return false;
  // Kept in the temporary folder for the toolkit to load; it stays while the cursor shows.
  const std::string file = platform::MakeTempFile(ExtensionOf(resolved));
  if (file.empty() || !platform::WriteFileBytes(file, *fetched.bytes)) return false;
  platform_.Window().SetCursor(file);
  if (platform_.Window().CurrentCursor() != file) {
    RemoveCursorFile(file);
    return false;
  }
  RemoveCursorFile(cursorFile_);
  cursorFile_ = file;
  return true;
}

void MapView::RemoveCursorFile(const std::string& file) {
  std::error_code ignored;
  if (!file.empty()) std::filesystem::remove(file, ignored);
}

}  // namespace zolvex
