#pragma once

#include <chrono>

// True when a PulseAudio server (or PipeWire's PulseAudio service) takes a client within the
// deadline. Never starts a server: a machine without one stays without one. A server that
// accepts the connection and then stays silent, or is frozen, counts as absent.
bool soundServerAnswers(std::chrono::milliseconds deadline);
