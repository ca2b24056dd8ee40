// The last parse of a machine file, kept with the text and the content stamp it came from: a
// reader neither reads again a file that did not change (one stat tells) nor parses again a text
// it already parsed.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/content_stamp.h"

namespace sim {

template <typename Parsed>
class KeptParse {
 public:
  // The kept parse while the file on disk still shows the stamp it came from, or null.
  std::shared_ptr<const Parsed> WhileCurrent(const std::filesystem::path& file) {
    const auto onDisk = platform::ContentStamp::OnDisk(file);
    std::lock_guard guard(mutex_);
    return stamp_.StillHolds(onDisk) ? parsed_ : nullptr;
  }

  // The kept parse when text, just read with stamp, is the text it came from; otherwise null.
  std::shared_ptr<const Parsed> ForText(const std::string& text,
                                        const platform::ContentStamp& stamp) {
    std::lock_guard guard(mutex_);
    if (!parsed_ || text_ != text) return nullptr;
    stamp_ = stamp;
    return parsed_;
  }

  // Keeps the parse of text read with stamp. A text this process has just written comes without
  // one: the rename gave the file new times, so the next reader reads it once to learn them.
  void Keep(std::string text, std::shared_ptr<const Parsed> parsed,
            const platform::ContentStamp& stamp = {}) {
    std::lock_guard guard(mutex_);
    text_ = std::move(text);
    parsed_ = std::move(parsed);
    stamp_ = stamp;
  }

 private:
  std::mutex mutex_;
  std::string text_;                      // guarded by mutex_
  std::shared_ptr<const Parsed> parsed_;  // guarded by mutex_
  platform::ContentStamp stamp_;          // guarded by mutex_
};

}  // namespace sim
