#pragma once

#include <string>

// Makes %APPDATA%\Quorvel (created when missing) the working folder, where the window reads
// TONESETS.INI and keeps Quorvel.ini. The TONESETS.INI beside the program is copied there when
// the folder has none; a file already there is the user's own and is never overwritten.
// Returns an empty text, or why it could not be done.
std::string enterUserFolder();
