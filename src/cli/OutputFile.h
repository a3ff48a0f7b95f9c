#pragma once

#include "SafeFileWriter.h"

#include <string>

// An output file that appears under its name only when it has been written in full, through
// a SafeFileWriter. open() creates the new file in the target's folder, so that a folder that
// cannot be written is found before any rendering. A file never committed is removed, and an
// existing target stays untouched: a script that misses the exit status must not find a
// shorter call that reads as complete.
//
// A target that exists and is no regular file (a device, a FIFO) is written in place, as
// there is nothing to rename over it.
//
// A signal that ends the process removes the temporary file while one exists. One OutputFile at a
// time: the command line writes one output.
class OutputFile
{
public:
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Each returns an error text naming the file, empty on success.
    std::string open();
    std::string commit();

    // Where the content goes between open() and commit().
    int descriptor() const { return m_writer.descriptor(); }
    // "cannot write 'PATH': " followed by the reason.
    std::string failure(const std::string& reason) const;

private:
    void discard();

    std::string m_path; // as the user gave it, for messages
    SafeFileWriter m_writer;
};
