#pragma once
#include <string>
#include <vector>

namespace zolvex {

// The content URLs the view has shown, oldest first. An entry is the URL alone while the
// view shows it and gets the position the view had ("url,x,y,level") once the view leaves.
class History {
 public:
  void Clear() { entries_.clear(); }
  bool Empty() const { return entries_.empty(); }
  const std::vector<std::string>& Entries() const { return entries_; }

  // Appends the position to the last entry unless it carries one already. levelIndex is
  // 0-based; the entry holds it 1-based.
  void RecordPosition(int x, int y, int levelIndex);
  // Appends url unless it begins with the last entry's URL (compared in any case).
  void Add(const std::string& url);
  // Removes and answers the last entry ("" when empty).
  std::string PopLast();

 private:
  std::vector<std::string> entries_;
};

}  // namespace zolvex
