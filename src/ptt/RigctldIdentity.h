#pragma once

#include <chrono>
#include <string>

class LineWait;

// Which rigctld a host and port reach, as one name however the host is written: "local-PORT"
// for this machine (localhost, 127.0.0.1, ::1, the machine's own names and addresses),
// otherwise the lowest address the host resolves to and the port. A host that does not
// resolve within limit keeps its own spelling: a rigctld there cannot be reached either.
// wait: how the caller waits for the look-up (HamlibThread::run).
std::string rigctldIdentity(const std::string& host, int port, std::chrono::milliseconds limit,
                            LineWait* wait = nullptr);
