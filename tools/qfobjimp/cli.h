// The command-line tool: the importer's passes run headless, one verb per job.
#pragma once
#include <ostream>
#include <string>

namespace qf {

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The tool's own file name, used to keep the options file beside it.
std::string executablePath(const char* argv0);

}  // namespace qf
