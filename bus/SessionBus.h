#pragma once

#include <QObject>
#include <memory>

class AppRules;
class CloseChoice;
class CommandServer;
class ReceiverModel;
class RuleEngine;

// The running instance on the user's session bus, where the desktop offers one:
// io.github.voxbench.VoxBench with one object whose interface is
// io.github.voxbench.VoxBench1. Its calls are the command line's requests, run
// by the same server; its properties follow the model's signals.
namespace SessionBus {

constexpr const char *kService = "io.github.voxbench.VoxBench";
constexpr const char *kPath = "/io/github/voxbench/VoxBench";
constexpr const char *kInterface = "io.github.voxbench.VoxBench1";
// A failure's name is this with the command line's code in CamelCase
// ("no-receiver": io.github.voxbench.VoxBench1.Error.NoReceiver); its message is the command line's text.
constexpr const char *kErrorPrefix = "io.github.voxbench.VoxBench1.Error.";

// Serves the instance on the session bus; null where there is none (no bus,
// or a system without D-Bus). The name goes with the returned object.
std::unique_ptr<QObject> serve(CommandServer &server, ReceiverModel &model, AppRules &rules,
                               RuleEngine &engine);

// Asks the desktop's background portal whenever the user keeps VoxBench running
// without its window; null where there is no session bus.
std::unique_ptr<QObject> followBackgroundChoice(CloseChoice &choice);

} // namespace SessionBus
