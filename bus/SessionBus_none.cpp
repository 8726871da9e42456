#include "bus/SessionBus.h"

// Windows has no session bus: the command line is the only way in.
std::unique_ptr<QObject> SessionBus::serve(CommandServer &, ReceiverModel &, AppRules &, RuleEngine &)
{
    return nullptr;
}

std::unique_ptr<QObject> SessionBus::followBackgroundChoice(CloseChoice &)
{
    return nullptr;
}
