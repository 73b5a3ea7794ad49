#include "net/KeptAnswers.h"

namespace zolvex {

KeptAnswers::Answer KeptAnswers::Find(const std::string& key) {
  std::lock_guard lock(mutex_);
  auto found = byKey_.find(key);
  if (found == byKey_.end()) return nullptr;
  recent_.splice(recent_.begin(), recent_, found->second);
  return found->second->answer;
}

void KeptAnswers::Keep(const std::string& key, Answer answer) {
  std::lock_guard lock(mutex_);
  if (!answer || answer->size() > budget_) return;
  if (auto found = byKey_.find(key); found != byKey_.end()) Remove(found->second);
  TrimTo(budget_ - answer->size());
  bytes_ += answer->size();
  recent_.push_front({key, std::move(answer)});
  byKey_[key] = recent_.begin();
}

void KeptAnswers::Forget(const std::string& key) {
  std::lock_guard lock(mutex_);
  if (auto found = byKey_.find(key); found != byKey_.end()) Remove(found->second);
}

void KeptAnswers::Clear() {
  std::lock_guard lock(mutex_);
  TrimTo(0);
}

void KeptAnswers::SetBudget(std::size_t budget) {
  std::lock_guard lock(mutex_);
  budget_ = budget;
  TrimTo(budget_);
}

std::size_t KeptAnswers::Budget() const {
  std::lock_guard lock(mutex_);
  return budget_;
}

std::size_t KeptAnswers::KeptBytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

void KeptAnswers::Remove(std::list<Entry>::iterator entry) {
  bytes_ -= entry->answer->size();
  byKey_.erase(entry->key);
  recent_.erase(entry);
}

void KeptAnswers::TrimTo(std::size_t budget) {
  while (bytes_ > budget && !recent_.empty()) Remove(std::prev(recent_.end()));
}

}  // namespace zolvex
