#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace navoket::test {

// Plumbing for child processes that tests speak to line by line over pipes.
// The caller owns the descriptors and the child: these functions only start,
// write and read, every wait bounded.

struct ChildPipes {
    pid_t pid = -1;   // -1 when the child did not start
    int input = -1;   // write end of the child's stdin
    int output = -1;  // read end of the child's stdout
};

// Starts arguments[0] (a path, not looked up in PATH) with stdin and stdout on
// pipes; with ownGroup the child leads a process group of its own. When the
// child does not start, no descriptor stays open.
ChildPipes spawnWithPipes(const std::vector<std::string>& arguments, bool ownGroup);

// Closes fd when it is open and marks it closed.
void closeFd(int& fd);

// Writes all of data, going on after interruptions; false when fd is closed or
// the pipe refuses.
bool writeAll(int fd, const std::string& data);

// The next line without its "\n", from buffer and what arrives on fd within
// bound; nothing at the bound or at end of output (fd is then closed).
std::optional<std::string> readLineFrom(int& fd, std::string& buffer,
                                        std::chrono::milliseconds bound);

}  // namespace navoket::test
