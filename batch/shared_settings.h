// The current options as the user interface and a running batch both see
// them. The interface thread changes them; a batch takes copies under the
// lock, so a cancelled batch still finishing never reads a half-changed
// record.
#pragma once

#include <mutex>

#include "settings/output_settings.h"

namespace korvane {

class SharedSettings {
 public:
  SharedSettings() = default;
  explicit SharedSettings(const OutputSettings& initial) : value_(initial) {}
  SharedSettings(const SharedSettings&) = delete;
  SharedSettings& operator=(const SharedSettings&) = delete;

  OutputSettings Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return value_;
  }
  void Set(const OutputSettings& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    value_ = value;
  }
  // Changes the record in place under the lock: `change(OutputSettings&)`.
  template <typename Change>
  void Update(Change&& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change(value_);
  }

 private:
  mutable std::mutex mutex_;
  OutputSettings value_;
};

}  // namespace korvane
