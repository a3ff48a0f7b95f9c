#include "ProcessExit.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

void exitWithoutLibraryTeardown(int status)
{
    std::cout.flush();
    std::cerr.flush();
    std::clog.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}
