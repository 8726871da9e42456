#pragma once

// `voxbench COMMAND ...`: hands the command to the running VoxBench over its
// instance socket, starting VoxBench hidden (as at log-on) when none runs,
// and prints the answer. Returns the command's exit code (CommandLine::ExitCode).
namespace CommandClient {

int run(int argc, char *argv[]);

// How long a start may take before the command gives up, and how long a command
// waits for its answer (the running VoxBench may have others before it).
constexpr int kStartWaitMs = 5000;
constexpr int kAnswerWaitMs = 20000;

} // namespace CommandClient
