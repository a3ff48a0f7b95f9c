#pragma once

#include <QStringList>

#include <ostream>

// The whole of quorvel-render: parses the arguments, renders and writes the samples.
// Returns the exit status: 0 success, 1 runtime error, 2 usage error.
int runRenderCommand(const QStringList& arguments, std::ostream& out, std::ostream& err);
