#include "SampleBufferDevice.h"

#include <algorithm>
#include <cstring>

SampleBufferDevice::SampleBufferDevice(QObject* parent) : QIODevice(parent)
{
}

void SampleBufferDevice::setBuffer(const std::int16_t* data, std::uint32_t bytes)
{
    m_data = reinterpret_cast<const char*>(data);
    m_bytes = bytes;
}

qint64 SampleBufferDevice::readData(char* data, qint64 maxSize)
{
    const qint64 count = std::min(maxSize, size() - pos());
    if (count <= 0)
        return 0;
    std::memcpy(data, m_data + pos(), static_cast<std::size_t>(count));
    return count;
}

qint64 SampleBufferDevice::writeData(const char*, qint64)
{
    return -1;
}
