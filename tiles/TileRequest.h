#pragma once
#include <cstdint>
#include <string>

namespace zolvex {

// One outstanding request to a tile server: a tile, a named file, or the cancellation of
// a tile. Records are copied between threads; they own nothing but their name.
struct TileRequest {
  enum class Kind : std::uint8_t { Tile = 1, File = 2 };

  bool cancel = false;
  bool sticky = false;  // kept when a new needed set arrives
  Kind kind = Kind::Tile;
  std::string name;     // 8-bit text: the file's name for Kind::File; empty for tiles
  int level = 0;
  std::int32_t id = 0;  // request number, given when the line is written
  int priority = 1;     // 1: needed now, 0: requested ahead
  int column = 0;
  int row = 0;

  // A request for a tile. Priority 3 (preloading) is sent as 0 and marked sticky.
  static TileRequest ForTile(int level, int column, int row, int priority);
  static TileRequest ForFile(std::string name);
  // The cancellation line that withdraws this tile request.
  TileRequest Cancellation() const;

  bool IsTile() const { return kind == Kind::Tile; }
  bool IsFile() const { return kind == Kind::File; }
  bool SameTile(const TileRequest& other) const;
  bool SameFile(const TileRequest& other) const;
  // The same target: the same tile address, or the same file name.
  bool SameTarget(const TileRequest& other) const;

  // The line that carries this request, "\r\n" included: "2 GETTILE 3 5 7 1",
  // "9 CANCELTILE 3 5 7", "4 GETFILE /maps/a.xml" or "4 GETTHUMB /maps/b.ktq".
  std::string Line() const;
  // True when a file of this name is asked for as another image's thumbnail: longer than
  // four characters and ending in ".ktq" or ".xif" (any case).
  static bool IsThumbnailName(const std::string& name);
};

// "1 LOAD \"/maps/a.ktq\" 1" with, for a non-empty authentication string, a space and the
// string percent-escaped; "\r\n" included.
std::string LoadLine(std::int32_t id, const std::string& imagePath, const std::string& authString);
// Every byte of 32 or less, above 122, or one of "<>%\^[]`+$,@:;/!#?=& and the double quote
// becomes "%" and two upper-case hexadecimal digits.
std::string PercentEscape(const std::string& text);
// The reverse of PercentEscape; a "%" without two hexadecimal digits stays as it is.
std::string PercentUnescape(const std::string& text);

}  // namespace zolvex
