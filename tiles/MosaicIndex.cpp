#include "tiles/MosaicIndex.h"

#include <map>
#include <vector>

#include "platform/Files.h"
#include "platform/TextValues.h"

namespace zolvex {
namespace {

const std::string kEmpty;

// The sections of an INI text as profile reading sees them: section and key names in any
// case, values trimmed and stripped of one pair of enclosing quotes, the first
// occurrence of a key winning, lines starting with ';' ignored.
using ProfileSection = std::map<std::string, std::string>;
std::map<std::string, ProfileSection> ParseProfile(std::string_view text) {
  std::map<std::string, ProfileSection> sections;
  ProfileSection* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      current = &sections[ToLower(Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)))];
      continue;
    }
    size_t equals = line.find('=');
    if (!current || equals == std::string::npos) continue;
    std::string value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    current->emplace(ToLower(Trim(line.substr(0, equals))), value.substr(0, MosaicIndex::kMaxValueLength));
  }
  return sections;
}

std::string Lookup(const std::map<std::string, ProfileSection>& sections, const std::string& section,
                   const std::string& key) {
  auto s = sections.find(section);
  if (s == sections.end()) return {};
  auto k = s->second.find(ToLower(key));
  return k == s->second.end() ? std::string() : k->second;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The cell number of a key "file" + decimal number without leading zeros (as KeyFor writes
// it, lower-cased); 0 for any other key.
long long CellNumberOf(const std::string& key) {
  const std::string prefix = "file";
  if (key.compare(0, prefix.size(), prefix) != 0 || key.size() == prefix.size() || key.size() > prefix.size() + 9 ||
      key[prefix.size()] == '0') {
    return 0;
  }
  long long number = 0;
  for (size_t i = prefix.size(); i < key.size(); ++i) {
    if (key[i] < '0' || key[i] > '9') return 0;
    number = number * 10 + (key[i] - '0');
  }
  return number;
}

constexpr size_t kMaxIndexBytes = 1 << 20;

}  // namespace

MosaicIndex::MosaicIndex(int columns, int rows) : columns_(columns), rows_(rows) {}

std::optional<MosaicIndex> MosaicIndex::Load(const std::string& path, std::string* problem) {
  auto bytes = platform::ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  if (bytes->size() > kMaxIndexBytes) {
    if (problem) {
      *problem = "The mosaic index " + path + " is too large: " + std::to_string(bytes->size()) +
                 " bytes, at most " + std::to_string(kMaxIndexBytes) + " are read.";
    }
    return std::nullopt;
  }
  return Parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), path, problem);
}

std::optional<MosaicIndex> MosaicIndex::Parse(std::string_view text, const std::string& indexPath,
                                              std::string* problem) {
  auto sections = ParseProfile(text);
  int columns = std::max(ParseInt(Lookup(sections, "info", "Width")), 0);
  int rows = std::max(ParseInt(Lookup(sections, "info", "Height")), 0);
  if (static_cast<long long>(columns) * rows > kMaxCells) {
    if (problem) {
      *problem = "The mosaic " + indexPath + " is too large: " + std::to_string(columns) + " x " +
                 std::to_string(rows) + " cells, at most " + std::to_string(kMaxCells) + " are allowed.";
    }
    return std::nullopt;
  }
  // A grid without columns or without rows has no cells at all (and nothing to walk).
  if (columns == 0 || rows == 0) columns = rows = 0;
  MosaicIndex index(columns, rows);
  std::string folder = FolderOf(indexPath);
  // Only the names present are visited: a large grid with few names stays cheap.
  auto files = sections.find("files");
  if (files == sections.end()) return index;
  for (const auto& [key, name] : files->second) {
    long long cell = CellNumberOf(key);
    if (cell < 1 || cell > static_cast<long long>(columns) * rows || name.empty()) continue;
    index.SetCell(static_cast<int>((cell - 1) % columns), static_cast<int>((cell - 1) / columns), folder + name);
  }
  return index;
}

std::string MosaicIndex::KeyFor(int column, int row, int columns) {
  return "File" + std::to_string(static_cast<long long>(row) * columns + column + 1);
}

const std::string& MosaicIndex::Cell(int column, int row) const {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return kEmpty;
  auto cell = cells_.find(static_cast<long long>(row) * columns_ + column);
  return cell == cells_.end() ? kEmpty : cell->second;
}

void MosaicIndex::SetCell(int column, int row, std::string path) {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return;
  long long cell = static_cast<long long>(row) * columns_ + column;
  if (path.empty()) {
    cells_.erase(cell);
  } else {
    cells_[cell] = std::move(path);
  }
}

void MosaicIndex::ForEachNamedCell(
    const std::function<void(int column, int row, const std::string& path)>& visit) const {
  for (const auto& [cell, path] : cells_) {
    visit(static_cast<int>(cell % columns_), static_cast<int>(cell / columns_), path);
  }
}

std::string MosaicIndex::Serialize() const {
  std::string text = "[Info]\nWidth=" + std::to_string(columns_) + "\nHeight=" + std::to_string(rows_) + "\n\n[Files]\n";
  ForEachNamedCell([&](int column, int row, const std::string& name) {
    text += KeyFor(column, row, columns_) + "=" + name + "\n";
  });
  return text;
}

bool MosaicIndex::Save(const std::string& path) const {
  std::string text = Serialize();
  return platform::WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace zolvex
