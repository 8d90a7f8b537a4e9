#pragma once
// The built program started as a separate process, the way a player or a host starts it, with its
// standard output and standard error read through pipes. Every wait is bounded; a program still
// running when a wait runs out, or when the record goes away, is killed.
#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

double MonotonicSeconds();

class ChildProgram {
public:
    ChildProgram() = default;
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    ~ChildProgram();

    // `environment` changes the inherited one: "NAME=value" sets a variable, "NAME" alone removes it.
    // The program starts in `workingDirectory`, or in this process's one when it is empty.
    bool Launch(const std::string& program, const std::vector<std::string>& arguments,
                const std::vector<std::string>& environment = {}, const std::string& workingDirectory = {});

    // Reads until `needle` is in standard output, the program closes its output or the time runs
    // out.
    bool WaitForOutput(const std::string& needle, double seconds);

    // The exit code; -1 when the program died of a signal or did not end in time (it is then
    // killed).
    int WaitForExit(double seconds);

    bool Signal(int signalNumber);
    pid_t Pid() const { return pid_; }

    const std::string& Out() const { return out_text_; }
    const std::string& Err() const { return err_text_; }

private:
    static void CloseReader(int& fd);
    // Waits up to `milliseconds` for output and appends whatever arrived; a pipe at its end is
    // closed.
    void Pump(int milliseconds);

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string out_text_;
    std::string err_text_;
};

// The environment of this process with `changes` applied, as "NAME=value" strings.
std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& changes);

}  // namespace testsupport
