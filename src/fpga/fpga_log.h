#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace korva {

// The log list of the FPGA programming: the last 80 messages, oldest first,
// without time stamps. A dialog mirrors it through the listener; a console
// prints each line as it comes.
class FpgaLog {
 public:
  static constexpr std::size_t kMaxLines = 80;

  struct Listener {
    virtual ~Listener() = default;
    virtual void OnLineAdded(const std::string& line) = 0;
    // The oldest line went, after the 81st was added.
    virtual void OnFirstLineRemoved() = 0;
  };

  void Add(std::string_view line);
  const std::deque<std::string>& Lines() const { return lines_; }
  void SetListener(Listener* listener) { listener_ = listener; }

 private:
  std::deque<std::string> lines_;
  Listener* listener_ = nullptr;
};

}  // namespace korva
