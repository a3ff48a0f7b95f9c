#pragma once

#include <string>

// Whether the process can still make what a play needs: a thread, descriptors, a process.
// A run that meets the limits of its user (ulimit -u, ulimit -n) says so in these words,
// rather than letting a library's failure read as a missing sound card or a silent hang.
class ProcessLimits
{
public:
    // What a play may open besides what is open when it starts: the sound server's socket,
    // its wake-up pipes and shared memory, a line, its lock, the watchdog's socket and
    // hamlib's connection, with room to spare.
    static constexpr int kPlayDescriptors = 16;
    // The window's toolkit (its display connection, wake-up pipes, fonts) and a play.
    static constexpr int kWindowDescriptors = 32;

    // Empty when a thread starts; otherwise why not.
    static std::string threadShortage();
    // Empty when `needed` more descriptors can be open at once; otherwise why not.
    static std::string descriptorShortage(int needed = kPlayDescriptors);
    // Both, the thread first: empty when a play can start.
    static std::string shortage(int descriptors = kPlayDescriptors);
    // A failed thread, descriptor or process start (its errno) in words: what ran out.
    static std::string words(int error);
};
