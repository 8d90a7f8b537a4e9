#pragma once

// The loaders report every refused file with a line, as the game should; a fuzzer feeding them
// thousands of inputs a second would fill its log with those lines instead. Called from
// LLVMFuzzerInitialize, which runs before libFuzzer reads its flags, this puts -close_fd_mask=3 in
// front of them: libFuzzer then moves its own output and the sanitizers' reports to a copy of
// standard error and discards what the target prints. A -close_fd_mask given on the command line
// comes later and still wins (use -close_fd_mask=0 to see the lines while reproducing a crash).

#include <vector>

namespace fuzzsupport {

inline void SilenceTargetOutput(int* argc, char*** argv) {
    static char flag[] = "-close_fd_mask=3";
    static std::vector<char*> args;
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + (args.empty() ? 0 : 1), flag);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
}

}  // namespace fuzzsupport
