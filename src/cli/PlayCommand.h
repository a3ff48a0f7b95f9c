#pragma once

#include <iosfwd>
#include <string>

struct modTone;
struct PlayServices;
struct RadioOptions;
class WaveOut;

// Plays the sequence through the playback cycle, keying the transmitter around it when a
// PTT line is given (see KeyedCall): lock, open the line, watchdog, open the device, render,
// key, lead, play, wait for the device's end, tail, release. From the key on, every signal
// that would end or suspend the process stops the sound at once and releases the line first.
// ComputeTimings must have run and the framed length must have been checked. Returns the exit
// status: 0, 1 for a failure, or 128 + the signal's number after a stop.
int runPlay(modTone& m, const std::string& sequence, int toneSetIndex, const RadioOptions& radio,
            const PlayServices& services, std::ostream& out, std::ostream& err);
