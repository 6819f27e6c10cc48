#pragma once

#include <cstdint>
#include <string>

namespace brambel {

enum class PoolKind { kLoad, kRender, kIndex, kSave, kThumb };

// What the content pipeline tells the program. Calls come from worker
// threads; a window hands each over to its own thread. Every operation does
// nothing unless overridden.
class PipelineListener {
 public:
  virtual ~PipelineListener() = default;

  // A load or save step finished with the URL (its result may look different).
  virtual void ResultUpdated(const std::u16string& url) {}
  // The index step added the URL's text to the main index.
  virtual void ItemIndexed(const std::u16string& url) {}
  // A load or index worker finished an item and found its queue empty.
  virtual void QueueDrained(PoolKind pool) {}
  // The library disk has less free space than the threshold (first time only).
  virtual void LowDiskSpace(uint32_t thresholdMb) {}
  // A message for the user (the removal log's errors).
  virtual void Message(const std::u16string& text) {}
  // A line for the log ("zero length content!", "failed to write content index!").
  virtual void Log(const std::string& line) {}
};

}  // namespace brambel
