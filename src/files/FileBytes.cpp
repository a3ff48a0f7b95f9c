#include "FileBytes.h"

#include "SafeFileWriter.h"

std::string tooLargeReason(std::uint64_t bytes)
{
    const auto sizeText = [](std::uint64_t n) {
        return std::to_string(n) + " bytes (" + std::to_string(n >> 20) + " MiB)";
    };
    return "The file is too large: " + sizeText(bytes) + ", more than the " +
           std::to_string(kLargestFileBytes >> 20) + " MiB a file may have";
}

std::string writeFileBytes(const std::filesystem::path& path, std::string_view bytes)
{
    SafeFileWriter file(path);
    if (std::string reason = file.open(); !reason.empty())
        return reason;
    if (std::string reason = writeAllBytes(file.descriptor(), bytes); !reason.empty())
        return reason;
    return file.commit();
}
