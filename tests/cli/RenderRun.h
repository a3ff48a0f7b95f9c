#pragma once

#include "RenderCommand.h"

#include <QStringList>
#include <sstream>
#include <string>

// One run of quorvel-render in this process: its exit status and what it printed.
struct Outcome {
    int status = 0;
    std::string out;
    std::string err;
};

inline Outcome render(QStringList arguments)
{
    arguments.prepend("quorvel-render");
    std::ostringstream out;
    std::ostringstream err;
    Outcome run;
    run.status = runRenderCommand(arguments, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}
