#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zolvex {

// The host's store of the control's persisted state: named string values. The control
// reads and writes them in one fixed order, with the exchange version first.
class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  // The value of a name, or none when the bag does not hold it.
  virtual std::optional<std::string> Read(const std::string& name) const = 0;
  virtual void Write(const std::string& name, const std::string& value) = 0;
};

// A bag in memory that keeps its values in the order they were first written. Names
// compare without regard to case, as a page's PARAM names do.
class MemoryPropertyBag : public PropertyBag {
 public:
  std::optional<std::string> Read(const std::string& name) const override;
  void Write(const std::string& name, const std::string& value) override;
  const std::vector<std::pair<std::string, std::string>>& Values() const { return values_; }

 private:
  std::vector<std::pair<std::string, std::string>> values_;
};

}  // namespace zolvex
