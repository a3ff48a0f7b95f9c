#pragma once

#include <cstdint>
#include <memory>
#include <span>

// The rendered sequence: 16-bit signed mono samples. Element l of the sequence
// (counted from 1) is samples()[l - 1]. The memory does not move until the next
// reallocate(), because the device plays straight out of it.
class PcmBuffer
{
public:
    // Replaces the buffer by n zero samples; the previous memory is released first.
    // Throws OutOfMemoryError when n is not positive or the memory cannot be had.
    void reallocate(std::int32_t n);

    std::int16_t* data() { return m_samples.get(); }
    const std::int16_t* data() const { return m_samples.get(); }
    std::int32_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::span<std::int16_t> samples()
    {
        return {m_samples.get(), static_cast<std::size_t>(m_size)};
    }
    std::span<const std::int16_t> samples() const
    {
        return {m_samples.get(), static_cast<std::size_t>(m_size)};
    }

private:
    struct FreeSamples {
        void operator()(std::int16_t* samples) const noexcept;
    };

    std::unique_ptr<std::int16_t[], FreeSamples> m_samples;
    std::int32_t m_size = 0;
};
