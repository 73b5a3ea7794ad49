#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zolvex {

// A ".mon" index: an INI-style text that arranges KTQ images in a grid. Section "Info"
// gives "Width" (grid columns) and "Height" (grid rows); section "Files" names the image
// of column c and row r under the key "File" + (r x columns + c + 1). Values are paths
// relative to the index file's folder; a missing or empty value leaves its cell empty.
class MosaicIndex {
 public:
  static constexpr size_t kMaxValueLength = 200;
  static constexpr long long kMaxCells = 1 << 20;

  MosaicIndex() = default;
  MosaicIndex(int columns, int rows);

  // Reads the index at path; none when it cannot be read or it is too large (then, with
  // problem given, *problem says what is too large and what the limit is).
  static std::optional<MosaicIndex> Load(const std::string& path, std::string* problem = nullptr);
  // Reads index text; relative names are joined to the folder of indexPath (its text up
  // to and including the last '/' or '\'). None for a grid of more than kMaxCells cells.
  static std::optional<MosaicIndex> Parse(std::string_view text, const std::string& indexPath,
                                          std::string* problem = nullptr);
  // "File" + the 1-based cell number.
  static std::string KeyFor(int column, int row, int columns);

  int Columns() const { return columns_; }
  int Rows() const { return rows_; }
  // The cell's path (joined to the index folder when read from a file); empty when the
  // cell is empty or outside the grid.
  const std::string& Cell(int column, int row) const;
  void SetCell(int column, int row, std::string path);
  // Visits the cells that name an image, row by row, each row left to right.
  void ForEachNamedCell(const std::function<void(int column, int row, const std::string& path)>& visit) const;

  // The index text with the cells' names as set (relative names stay relative).
  std::string Serialize() const;
  bool Save(const std::string& path) const;

 private:
  int columns_ = 0;
  int rows_ = 0;
  // Named cells only, by row-major cell number: a large grid with few names stays small.
  std::map<long long, std::string> cells_;
};

}  // namespace zolvex
