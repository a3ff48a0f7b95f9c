#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace CLI
{
class App;
class Option;
} // namespace CLI

// One option of a program: its names ("i,index": -i and --index; "play": --play), its help
// text, and the name of its value (none for a switch).
struct OptionSpec {
    std::string names;
    std::string description;
    std::string valueName;
};

// The command line of both programs, parsed by CLI11. Short switches may be joined (-rl), a
// value may follow its option in the same word (-t70, --tone=70) or in the next one, the last
// of a repeated option wins, and "--" ends the options. The help lists the options with their
// texts wrapped beside them, as people have read them from the first versions.
class OptionTable
{
public:
    // usage: what follows the program's name on the usage line, e.g. "[options] [--] SEQUENCE".
    OptionTable(std::string program, std::string usage, std::string description);
    ~OptionTable();
    OptionTable(const OptionTable&) = delete;
    OptionTable& operator=(const OptionTable&) = delete;

    void add(const std::vector<OptionSpec>& options);
    // An argument listed under "Arguments:" in the help.
    void addArgumentHelp(std::string name, std::string description);

    // The arguments without the program's name. False on a usage error, worded in
    // errorText(): an unknown option is named with the nearest known one, if one is near.
    bool parse(const std::vector<std::string>& arguments);
    const std::string& errorText() const { return m_error; }

    // By any of its names, without dashes.
    bool has(const std::string& name) const;
    bool isSet(const std::string& name) const;
    std::string value(const std::string& name) const;
    const std::vector<std::string>& positionalArguments() const { return m_positional; }

    std::string helpText() const;

private:
    struct Entry {
        OptionSpec spec;
        std::vector<std::string> names;
        std::string value;
        CLI::Option* option = nullptr;
    };
    const Entry* find(const std::string& name) const;
    std::string nearestLongName(const std::string& typed) const;

    std::string m_program;
    std::string m_usage;
    std::string m_description;
    std::unique_ptr<CLI::App> m_app;
    std::deque<Entry> m_entries; // CLI11 holds pointers to their values
    std::vector<std::pair<std::string, std::string>> m_argumentHelp;
    std::vector<std::string> m_positional;
    std::string m_error;
};
