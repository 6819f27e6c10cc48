#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "toolkit/fetch_page.h"

namespace brambel {

// The program and library settings the content pipeline reads, copied in by
// whoever opens the library. Defaults are the settings' own.
struct PipelineSettings {
  // Threads of the five pools.
  int contextThreads = 5;
  int imageThreads = 2;
  int indexThreads = 1;
  int saveThreads = 1;
  int thumbThreads = 2;
  uint32_t indexQueueSize = 25;

  // The load step.
  std::string browserId = kDefaultBrowserId;
  bool prefetchHeader = true;
  bool sendReferer = true;
  bool noExpire = true;
  uint32_t maxContentLength = 262144;
  uint32_t maxImageLength = 524288;

  // The save step.
  bool previewScripts = false;
  bool miniScripts = false;
  bool autogenPreview = true;
  bool generateAllPreviews = false;

  // The index step.
  bool noMainIndexing = false;
  bool noURLIndexing = false;
  bool noMemoryIndexing = false;
  std::chrono::milliseconds globalIndexSleepInterval{100};

  // Store limits.
  uint32_t contentCacheSize = 200;    // MB of content files before the oldest go
  uint32_t minSpaceThreshold = 1024;  // MB of free disk below which nothing is saved
};

}  // namespace brambel
