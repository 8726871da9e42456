#pragma once

// `voxbench COMMAND ...`: hands the command to the running VoxBench over its
// instance socket, starting VoxBench hidden (as at log-on) when none runs,
// and prints the answer. Returns the command's exit code (CommandLine::ExitCode).
namespace CommandClient {

int run(int argc, char *argv[]);

// How long a start may take before the command gives up; how long the running
// VoxBench may take to take a command (short: a stopped one must not hold up a key
// binding); and how long a command taken waits for its answer (VoxBench may have
// others before it, each waiting for the receiver).
constexpr int kStartWaitMs = 5000;
constexpr int kAcceptWaitMs = 3000;
constexpr int kAnswerWaitMs = 20000;

// Set in the environment of a VoxBench a command starts: its window stays
// hidden until asked for, also when a receiver turns up.
constexpr char kStartedByCommand[] = "VOXBENCH_STARTED_BY_COMMAND";

} // namespace CommandClient
