#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace zolvex {

// Answers already fetched, by request, kept within a byte budget so that asking again
// costs no request; the least recently used go first. Safe to use from any thread.
class KeptAnswers {
 public:
  using Answer = std::shared_ptr<const std::vector<std::uint8_t>>;

  // budget 0 keeps nothing.
  explicit KeptAnswers(std::size_t budget = 0) : budget_(budget) {}

  // Null when the answer is not kept.
  Answer Find(const std::string& key);
  // An answer larger than the whole budget is not kept.
  void Keep(const std::string& key, Answer answer);
  void Forget(const std::string& key);
  void Clear();
  void SetBudget(std::size_t budget);
  std::size_t Budget() const;
  std::size_t KeptBytes() const;

 private:
  struct Entry {
    std::string key;
    Answer answer;
  };
  void Remove(std::list<Entry>::iterator entry);
  void TrimTo(std::size_t budget);

  mutable std::mutex mutex_;
  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::list<Entry> recent_;  // most recently used first
  std::unordered_map<std::string, std::list<Entry>::iterator> byKey_;
};

}  // namespace zolvex
