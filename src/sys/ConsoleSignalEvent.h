#pragma once

// Windows: the event object that the console's control handler sets when a routed Ctrl+C,
// Ctrl+Break or close of the console waits for ProcessSignals::dispatchPending(). The event
// loop waits on it where POSIX's watches ProcessSignals::descriptor(). Null before install().
void* consoleSignalEvent();
