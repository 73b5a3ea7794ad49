// ".mon" mosaic indexes. A parsed index written out and read again keeps its grid and cells.
#include "fuzz/FuzzSupport.h"
#include "tiles/MosaicIndex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto index = zolvex::MosaicIndex::Parse(zolvex::fuzz::AsText(data, size), "");
  if (!index) return 0;
  zolvex::fuzz::Require(index->Columns() >= 0 && index->Rows() >= 0 &&
                            static_cast<long long>(index->Columns()) * index->Rows() <= zolvex::MosaicIndex::kMaxCells,
                        "grid within limits");
  // Large grids are legal but slow to compare; the write and read back is checked on small ones.
  if (static_cast<long long>(index->Columns()) * index->Rows() > 4096) return 0;
  auto again = zolvex::MosaicIndex::Parse(index->Serialize(), "");
  zolvex::fuzz::Require(again && again->Columns() == index->Columns() && again->Rows() == index->Rows(),
                        "a written index keeps its grid");
  for (int row = 0; row < index->Rows(); ++row) {
    for (int column = 0; column < index->Columns(); ++column) {
      // Names with outer blanks or quotes were quoted in the text: written bare, they read back trimmed.
      const std::string& name = index->Cell(column, row);
      if (!name.empty() && (name.find_first_of(" \t\r\v\f\"'") != std::string::npos)) continue;
      zolvex::fuzz::Require(again->Cell(column, row) == name, "a written index keeps its cells", name);
    }
  }
  return 0;
}
