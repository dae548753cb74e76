// Where a routine writes its messages (the lines of the listing, in order)
// and how it says that the run must end.
#pragma once

#include <functional>
#include <string_view>
#include <utility>

namespace korva {

class Report {
 public:
  using Sink = std::function<void(std::string_view)>;

  Report() = default;
  explicit Report(Sink sink) : sink_(std::move(sink)) {}

  // One line, at once.
  void line(std::string_view text) const {
    if (sink_) sink_(text);
  }
  // The run ends after the failure that was just written; returns false so
  // that a stage can `return report.stop();`.
  bool stop() {
    stopped_ = true;
    return false;
  }
  bool stopped() const { return stopped_; }

 private:
  Sink sink_;
  bool stopped_ = false;
};

}  // namespace korva
