#pragma once

#include <iosfwd>
#include <string>

class WaveOut;

// Prints the outputs as name TAB description, the default's line ending in TAB "default".
// Returns false when the backend cannot tell its outputs.
bool listOutputs(WaveOut& device, std::ostream& out);

// Points the device at the named output when it can be opened, listed or not. Otherwise
// returns a usage error with the name, the reason and the outputs there are.
std::string chooseOutput(WaveOut& device, const std::string& name);

// The same error for an output that is not there now, empty when it is.
std::string outputProblem(WaveOut& device, const std::string& name);
