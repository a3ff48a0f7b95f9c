#pragma once

#include <chrono>

// What a PulseAudio server (or PipeWire's PulseAudio service) says to a new client.
enum class SoundServer {
    Answers, // took the client within the deadline
    Silent,  // took the connection, then said nothing in time: there, but stuck or frozen
    Absent,  // nothing listens where libpulse looks
};

// Asks the server that libpulse would use. Never starts a server: a machine without one stays
// without one.
SoundServer probeSoundServer(std::chrono::milliseconds deadline);
