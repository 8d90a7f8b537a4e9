#pragma once

#include <string>
#include <vector>

// Starts `program` (a full path) with `arguments` in a session of its own, in `workingFolder`,
// with standard input, output and error on /dev/null and none of this process's other files open,
// so that it outlives this process and holds nothing of it. Returns 0, or the errno value that
// stopped it from starting. The child is reaped in the background when it ends.
int StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingFolder);
