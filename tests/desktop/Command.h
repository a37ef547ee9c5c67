#pragma once

#include <string>
#include <vector>

namespace desktop {

// Runs a program of the system (found on PATH) to its end; its exit status,
// or -1 when it could not start or was killed.
int runCommand(const std::vector<std::string>& arguments);

}  // namespace desktop
