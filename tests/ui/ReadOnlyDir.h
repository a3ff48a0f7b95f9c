#pragma once

#include <filesystem>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Makes a directory read-only for this thread while it lives. Root passes over permission
// bits, so for root the thread also gives up the capabilities that do so, from its effective
// set only: it takes them back at the end.
class ReadOnlyDir
{
public:
    explicit ReadOnlyDir(const std::filesystem::path& dir) : m_dir(dir)
    {
        namespace fs = std::filesystem;
        fs::permissions(m_dir,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~ReadOnlyDir()
    {
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
    ReadOnlyDir(const ReadOnlyDir&) = delete;
    ReadOnlyDir& operator=(const ReadOnlyDir&) = delete;

private:
    std::filesystem::path m_dir;
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};
