#pragma once

#include <iosfwd>
#include <string>

struct modTone;
struct PlayServices;
struct RadioOptions;
class WaveOut;

// Plays the sequence through the playback cycle, keying the transmitter around it when a
// PTT line is given: key, lead, play, wait for the device's end, tail, release. A SIGINT,
// SIGTERM or SIGHUP stops the sound at once and releases the line. ComputeTimings must have
// run and the framed length must have been checked. Returns the exit status: 0, 1 for a
// failure, or 128 + the signal's number after a stop.
int runPlay(modTone& m, const std::string& sequence, int toneSetIndex, const RadioOptions& radio,
            const PlayServices& services, std::ostream& out, std::ostream& err);
