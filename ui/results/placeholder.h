#pragma once

#include <QString>
#include <string>

namespace brambel {

class ContentPipeline;

// What the content pipeline knows of a result that has no picture to draw.
struct PlaceholderFacts {
  bool loadingOrSaving = false;  // queued or in progress in the load or save pool
  bool rendering = false;        // queued or in progress in the render pool
  bool renderFailed = false;     // rendered recently, no picture left
  bool crashMarking = false;     // the view shows the possible-crash caption
  bool possibleCrash = false;    // the record carries the possible-crash flag
  bool minibrowserCan = false;   // the library holds a page the mini-browser shows
  bool loadFailed = false;       // loaded recently, no content left
  bool unsupportedType = false;  // the load step refused its content type
};

enum class PlaceholderIcon { Loading, Rendering, Failed, Minibrowser, Load };

struct Placeholder {
  PlaceholderIcon icon = PlaceholderIcon::Load;
  QString caption;  // empty: none
};

// The icon and caption shown instead of a picture, the first case that holds
// in this order: loading, rendering, render failed, possible crash, mini-
// browser, load failed, unsupported type, click to load.
Placeholder choosePlaceholder(const PlaceholderFacts& facts);

// The pipeline's part of the facts about `url`: the queues and in-progress
// sets of its pools (the thumbnail pool counts as rendering: the picture is
// on its way), what they handled recently and the refused content types.
// The caller adds what the library knows (minibrowserCan, possibleCrash).
PlaceholderFacts pipelineFacts(ContentPipeline& pipeline, const std::u16string& url);

}  // namespace brambel
