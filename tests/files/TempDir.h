#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir
{
public:
    TempDir() { std::filesystem::create_directories(m_path); }
    ~TempDir() { std::filesystem::remove_all(m_path, m_removeError); }

    std::filesystem::path file(const std::string& name) const { return m_path / name; }
    std::filesystem::path write(const std::string& name, std::string_view bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

private:
    std::filesystem::path m_path = std::filesystem::temp_directory_path() /
                                   ("quorvel-files-" + std::to_string(std::random_device()()));
    std::error_code m_removeError; // a test's leftovers must not fail it
};
