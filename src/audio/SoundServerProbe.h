#pragma once

#include <chrono>

// What a PulseAudio server (or PipeWire's PulseAudio service) is to a new client.
enum class SoundServer {
    Answers, // took the client within the deadline
    Silent,  // took the connection (or has a full queue of them) and said nothing in time:
             // there, but stuck or frozen
    Absent,  // nothing listens where libpulse looks
};

// Asks the server that libpulse would use. Waits only until the connection is taken: a server
// that then says nothing is there, and the backend's own deadline reports it. Never starts a
// server: a machine without one stays without one.
SoundServer probeSoundServer(std::chrono::milliseconds deadline);

// True when a local server's socket refuses a connection with EAGAIN: its queue of
// connections that it has not accepted is full, so the server is there but frozen. libpulse
// reports that as a refused connection, like a socket that nobody listens on.
bool soundServerQueueFull();
