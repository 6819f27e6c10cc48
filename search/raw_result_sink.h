#pragma once

#include "store/source_result.h"

namespace brambel {

// Where a batch search records every converted result as it arrives (the
// library's raw result file). Called from several source threads at once.
class RawResultSink {
 public:
  virtual ~RawResultSink() = default;
  // Forgets the results recorded by an earlier batch.
  virtual void Clear() = 0;
  virtual void Append(const SourceResult& result) = 0;
};

}  // namespace brambel
