#pragma once

// The tool's process entry: the option table, the usage text, acting on each
// option as it is parsed, and the pending name or icon applied afterwards.

#include <cstdio>

#include "tool/ToolContext.h"

namespace nestora::tool {

// printUsage
void printUsage(std::FILE* out);

// Parses the command line with getopt_long (operands may stand anywhere,
// long options may be abbreviated, the parser reports unknown options and
// missing arguments on standard error) and performs each option in order.
// Returns 0 whatever the operations reported: callers learn the outcome from
// the messages and the disk. Only a user the tool does not serve (see
// InvokerCheck.h) gets 1, after the one line that refuses them.
int runTool(int argc, char** argv, const ToolContext& context);

}  // namespace nestora::tool
