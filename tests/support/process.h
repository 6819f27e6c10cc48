#pragma once

#include <string>
#include <vector>

namespace brambel::testing {

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Runs `program` with `args`, feeding `input` on standard input, and collects
// both output streams. `environment` entries ("NAME=VALUE") are added to the
// current environment.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "",
                         const std::vector<std::string>& environment = {});

// Runs the brambel-cli built with the tests.
ProcessResult runCli(const std::vector<std::string>& args, const std::string& input = "",
                     const std::vector<std::string>& environment = {});

}  // namespace brambel::testing
