#pragma once

// Ends the process with this status once main's own objects are gone: flushes the C and C++
// standard streams and skips the static destructors of the libraries.
//
// Qt Multimedia keeps its PulseAudio connection in a library-wide object. Its destructor runs
// after main returns and tears the connection down while the connection's own thread may
// still be handling a server event, which now and then aborts the process in libpulse after
// all its work is done. Every device has been closed and every file written by then, so
// nothing is lost by leaving out that teardown.
[[noreturn]] void exitWithoutLibraryTeardown(int status);
