#include "ProcessLimits.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// A limit is the process's: each case lowers it in a child of its own, which reports through
// its exit status. A thread's limit (ulimit -u) does not bind root, so it is met by the
// acceptance scripts, as another user.
TEST(ProcessLimits, TooFewDescriptorsAreNamedWithTheLimitAndEnoughAreNot)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::close_range(3, ~0U, 0); // whatever the test runner left open
        const rlimit low{10, 10};
        if (::setrlimit(RLIMIT_NOFILE, &low) != 0)
            ::_exit(10);
        const std::string few = ProcessLimits::descriptorShortage(16);
        if (few != "cannot open enough files: this process may have 10 open (ulimit -n), too "
                   "few to play")
            ::_exit(11);
        // What is open already counts: 3 standard streams leave room for 7.
        if (!ProcessLimits::descriptorShortage(7).empty() ||
            ProcessLimits::descriptorShortage(8).empty())
            ::_exit(12);
        // The trial closes all it made.
        if (!ProcessLimits::descriptorShortage(7).empty())
            ::_exit(13);
        ::_exit(ProcessLimits::shortage(16) == few ? 0 : 14);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ProcessLimits::shortage(), "");
}

TEST(ProcessLimits, WhatRanOutIsSaidInWords)
{
    EXPECT_EQ(ProcessLimits::words(EAGAIN).rfind("this user may run no more processes and threads "
                                                 "(ulimit -u",
                                                 0),
              0u);
    EXPECT_EQ(
        ProcessLimits::words(EMFILE).rfind("this process may open no more files (ulimit -n", 0),
        0u);
    EXPECT_EQ(ProcessLimits::words(ENFILE), "the system may open no more files");
    EXPECT_EQ(ProcessLimits::words(ENOENT), "No such file or directory");
}
