// brambel-cli: the library, the sources and the toolkit without the desktop.
#include <iostream>

#include "cli/command.h"

int main(int argc, char** argv) {
  brambel::cli::CommandLine commandLine;
  return commandLine.run(argc, argv, std::cout, std::cerr);
}
