#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sources/parameter_map.h"

namespace brambel {

// The tokens of a startup command line: split at blanks (spaces and tabs),
// where a double quote opens or closes a group that keeps its blanks inside
// the token (name="two words" is the one token name=two words). The quotes
// themselves are dropped; an unclosed group runs to the end of the line.
std::vector<std::u16string> tokenizeCommandLine(const std::u16string& line);

// A source named by a command with the parameters it is run with.
struct SourceCommand {
  std::u16string source;  // the instance id looked up in the source table
  ParameterMap parameters;
};

// The source and parameters of the tokens after "//source": the first token
// names the source; every later name=value token is a parameter (a name given
// twice gets the later value after a blank); other tokens are ignored.
// Nothing when no token names a source.
std::optional<SourceCommand> parseSourceCommand(const std::vector<std::u16string>& tokens);

}  // namespace brambel
