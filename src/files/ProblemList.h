#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The problems a file load found, for one information box or a few lines on standard error.
// Only the first kShownProblems are kept; the rest are counted. A hostile file can hold
// hundreds of thousands of problems, and listing them all made a box taller than any screen
// and took minutes to lay out.
class ProblemList
{
public:
    static constexpr std::size_t kShownProblems = 15;

    void add(std::string problem);
    // Adds the text that `make` returns, calling it only when the text will be kept: a
    // problem beyond the kept ones costs a count, not a message.
    template <typename MakeText> void addWith(MakeText make)
    {
        if (m_shown.size() < kShownProblems)
            m_shown.push_back(make());
        ++m_count;
    }

    bool empty() const { return m_count == 0; }
    std::size_t count() const { return m_count; }
    // The problems kept, then, when some were not kept, "… and N more problems".
    std::vector<std::string> lines() const;
    // The lines joined with line feeds.
    std::string text() const;

private:
    std::vector<std::string> m_shown;
    std::size_t m_count = 0;
};
