#pragma once

#include <utility>

// Runs its function when the scope ends, however it ends: a return or any exception.
template <typename F> class ScopeExit
{
public:
    explicit ScopeExit(F f) : m_f(std::move(f)) {}
    ~ScopeExit() { m_f(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F m_f;
};
