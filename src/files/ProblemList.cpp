#include "ProblemList.h"

void ProblemList::add(std::string problem)
{
    if (m_shown.size() < kShownProblems)
        m_shown.push_back(std::move(problem));
    ++m_count;
}

std::vector<std::string> ProblemList::lines() const
{
    std::vector<std::string> all = m_shown;
    const std::size_t more = m_count - m_shown.size();
    if (more > 0)
        all.push_back("\u2026 and " + std::to_string(more) + " more problem" +
                      (more == 1 ? "" : "s"));
    return all;
}

std::string ProblemList::text() const
{
    std::string joined;
    for (const std::string& line : lines()) {
        if (!joined.empty())
            joined += '\n';
        joined += line;
    }
    return joined;
}
