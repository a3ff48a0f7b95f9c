#pragma once

#include <string>

struct s_rig;

// The hamlib calls that a line makes, each whole: for HamlibThread only, which runs every
// hamlib call of the process one after the other.
namespace HamlibCalls
{

struct Rig {
    int model = 0;
    std::string address; // HOST:PORT for rigctld, the CAT device otherwise
    int baud = 0;        // 0: the model's own rate
    bool network = false;
    bool verbose = false; // hamlib's own messages to standard error
};

struct Opened {
    s_rig* rig = nullptr; // null for a model hamlib does not know
    int status = 0;       // RIG_OK or hamlib's error
    std::string error;    // hamlib's words for an error
    int fd = -1;          // the connection's socket or port
};

// True when hamlib knows the model.
bool knowsModel(int model, bool verbose);
// Makes the rig and opens it; on failure nothing is left to free.
Opened open(const Rig& rig);
// Empty on success, otherwise hamlib's words.
std::string setPtt(s_rig* rig, bool keyed);
void close(s_rig* rig);

} // namespace HamlibCalls
