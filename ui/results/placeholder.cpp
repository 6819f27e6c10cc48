#include "ui/results/placeholder.h"

#include "pipeline/content_pipeline.h"

namespace brambel {

Placeholder choosePlaceholder(const PlaceholderFacts& facts) {
  const QString minibrowser = QStringLiteral("Click for Minibrowser");
  if (facts.loadingOrSaving || facts.rendering)
    return {facts.loadingOrSaving ? PlaceholderIcon::Loading : PlaceholderIcon::Rendering,
            facts.minibrowserCan ? minibrowser : QString()};
  if (facts.renderFailed) return {PlaceholderIcon::Failed, QStringLiteral("Preview Creation Failed")};
  if (facts.crashMarking && facts.possibleCrash)
    return {PlaceholderIcon::Failed, QStringLiteral("Preview Possibly Caused Crash")};
  if (facts.minibrowserCan) return {PlaceholderIcon::Minibrowser, minibrowser};
  if (facts.loadFailed) return {PlaceholderIcon::Failed, QStringLiteral("Could not Retrieve Content")};
  if (facts.unsupportedType) return {PlaceholderIcon::Failed, QStringLiteral("Unsupported Content Type")};
  return {PlaceholderIcon::Load, QStringLiteral("Click to Load")};
}

PlaceholderFacts pipelineFacts(ContentPipeline& pipeline, const std::u16string& url) {
  auto busy = [&url](const auto& pool) { return pool.isQueued(url) || pool.isInProgress(url); };
  PlaceholderFacts facts;
  facts.loadingOrSaving = busy(pipeline.loadPool()) || busy(pipeline.savePool());
  facts.rendering = busy(pipeline.renderPool()) || busy(pipeline.thumbPool());
  facts.renderFailed = pipeline.renderPool().wasHandled(url);
  facts.loadFailed = pipeline.loadPool().wasHandled(url);
  facts.unsupportedType = pipeline.isUnsupported(url);
  return facts;
}

}  // namespace brambel
