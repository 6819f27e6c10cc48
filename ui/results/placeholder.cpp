#include "ui/results/placeholder.h"

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

}  // namespace brambel
