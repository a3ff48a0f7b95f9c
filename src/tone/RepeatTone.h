#pragma once

#include <string>

// Replaces every non-blank character that equals the character before it by 'E'.
// The comparison sees the 'E' just written, so 1111 becomes 1E1E; a blank breaks a run.
std::string applyRepeatTone(std::string sequence);
