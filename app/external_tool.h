#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brambel {

// Runs a desktop tool (found on PATH) with `arguments` and waits for it.
// Answers what it wrote to standard output when it exited with status 0;
// nothing when it is not installed, could not run or failed.
std::optional<std::string> runExternalTool(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace brambel
