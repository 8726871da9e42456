#include "platform/SleepWatcher.h"

// Windows brings the receiver back through a new arrival after a resume.
SleepWatcher::SleepWatcher(QObject *parent) : QObject(parent) {}
