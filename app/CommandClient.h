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
// How long `quit`, once answered, waits for VoxBench to end: its watchers told,
// the receiver's farewell sent, then out. Returned at once when it ends; the
// bound is only for a machine too busy to schedule it (fifty watchers that end
// with it, say), where giving up sooner reports a quit that happens as failed.
constexpr int kEndWaitMs = 20000;

// A mode file is a few kilobytes, written at once: one from a FIFO or a pipe
// that has not ended after 10 s (a person typing one in included) has a writer
// that is stuck or never closes, and the import gives up rather than wait for
// good; after 1 s it says what it waits for.
constexpr int kModeFileWaitMs = 10000;
constexpr int kModeFileNoticeMs = 1000;

// Set in the environment of a VoxBench a command starts: its window stays
// hidden until asked for, also when a receiver turns up.
constexpr char kStartedByCommand[] = "VOXBENCH_STARTED_BY_COMMAND";

} // namespace CommandClient
