#pragma once

namespace brambel {

// Runs the process at idle priority while the program is in the background
// and at its starting priority while it is active. An unprivileged process
// may lower its priority but not raise it again, so it is lowered only when
// raising it back is permitted.
void setBackgroundPriority(bool background);

}  // namespace brambel
