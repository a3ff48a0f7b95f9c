#include "OptionTable.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>

namespace
{

std::vector<std::string> splitNames(const std::string& names)
{
    std::vector<std::string> list;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = names.find(',', start);
        list.push_back(names.substr(start, comma - start));
        if (comma == std::string::npos)
            return list;
        start = comma + 1;
    }
}

std::string dashed(const std::string& name)
{
    return (name.size() == 1 ? "-" : "--") + name;
}

std::string padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

// A description in a column beside the names, its lines broken at blanks so that none passes
// column 79; a word longer than the column is cut.
std::string wrapped(const std::string& names, std::size_t nameWidth, const std::string& text)
{
    const std::string indent = "  ";
    const std::size_t max = 79 - (indent.size() + nameWidth + 1);
    std::string out;
    std::string nameColumn = names;
    std::size_t lineStart = 0, x = 0;
    long lastBreakable = -1;
    const std::size_t len = text.size();
    for (std::size_t i = 0; i < len; ++i) {
        ++x;
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c)))
            lastBreakable = static_cast<long>(i);
        long breakAt = -1;
        std::size_t nextLineStart = 0;
        if (x > max && lastBreakable != -1) {
            breakAt = lastBreakable;
            nextLineStart = static_cast<std::size_t>(lastBreakable) + 1;
        } else if ((x > max - 1 && lastBreakable == -1) || i == len - 1) {
            breakAt = static_cast<long>(i) + 1;
            nextLineStart = i + 1;
        } else if (c == '\n') {
            breakAt = static_cast<long>(i);
            nextLineStart = i + 1;
        }
        if (breakAt != -1) {
            out += indent + padded(nameColumn, nameWidth) + ' ';
            out += text.substr(lineStart, static_cast<std::size_t>(breakAt) - lineStart) + '\n';
            nameColumn.clear();
            x = 0;
            lastBreakable = -1;
            lineStart = nextLineStart;
            if (lineStart < len && std::isspace(static_cast<unsigned char>(text[lineStart])))
                ++lineStart; // no line starts with a blank
            i = lineStart;
        }
    }
    if (!nameColumn.empty())
        out += indent + nameColumn + '\n';
    return out;
}

// Edits from one name to the other, a swap of two neighbours counting as one: the commonest
// slip of a typist.
std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min(
                {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

OptionTable::OptionTable(std::string program, std::string usage, std::string description)
    : m_program(std::move(program)), m_usage(std::move(usage)),
      m_description(std::move(description)), m_app(std::make_unique<CLI::App>())
{
    m_app->set_help_flag();    // --help is an option of the table like any other
    m_app->allow_extras(true); // arguments and unknown options are sorted out after the parse
}

OptionTable::~OptionTable() = default;

void OptionTable::add(const std::vector<OptionSpec>& options)
{
    for (const OptionSpec& spec : options) {
        Entry& entry = m_entries.emplace_back();
        entry.spec = spec;
        entry.names = splitNames(spec.names);
        std::string cliNames;
        for (const std::string& name : entry.names)
            cliNames += (cliNames.empty() ? "" : ",") + dashed(name);
        if (spec.valueName.empty()) {
            entry.option = m_app->add_flag(cliNames);
        } else {
            entry.option = m_app->add_option(cliNames, entry.value)
                               ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        }
    }
}

void OptionTable::addArgumentHelp(std::string name, std::string description)
{
    m_argumentHelp.emplace_back(std::move(name), std::move(description));
}

bool OptionTable::parse(const std::vector<std::string>& arguments)
{
    m_error.clear();
    m_positional.clear();
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        m_app->parse(reversed);
    } catch (const CLI::ArgumentMismatch& e) {
        // "--tone: 1 required TEXT missing": the option's name comes first.
        const std::string what = e.what();
        m_error = "Missing value after '" + what.substr(0, what.find(':')) + "'.";
        return false;
    } catch (const CLI::ParseError& e) {
        m_error = e.what();
        return false;
    }
    bool optionsEnded = false;
    for (const std::string& argument : m_app->remaining()) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            m_positional.push_back(argument);
        } else if (m_error.empty()) {
            const bool isLong = argument[1] == '-';
            std::string name =
                isLong ? argument.substr(2, argument.find('=') - 2) : argument.substr(1, 1);
            m_error = "Unknown option '" + name + "'.";
            if (const std::string nearest = isLong ? nearestLongName(name) : std::string();
                !nearest.empty())
                m_error += " Did you mean '--" + nearest + "'?";
        }
    }
    return m_error.empty();
}

std::string OptionTable::nearestLongName(const std::string& typed) const
{
    std::string best;
    std::size_t bestDistance = 3; // more than two edits away is another word
    for (const Entry& entry : m_entries) {
        for (const std::string& name : entry.names) {
            if (name.size() < 2)
                continue;
            const std::size_t distance = editDistance(typed, name);
            if (distance < bestDistance && distance * 2 < name.size())
                bestDistance = distance, best = name;
        }
    }
    return best;
}

const OptionTable::Entry* OptionTable::find(const std::string& name) const
{
    for (const Entry& entry : m_entries)
        if (std::find(entry.names.begin(), entry.names.end(), name) != entry.names.end())
            return &entry;
    return nullptr;
}

bool OptionTable::has(const std::string& name) const
{
    return find(name) != nullptr;
}

bool OptionTable::isSet(const std::string& name) const
{
    const Entry* entry = find(name);
    return entry && entry->option->count() > 0;
}

std::string OptionTable::value(const std::string& name) const
{
    const Entry* entry = find(name);
    return entry && entry->option->count() > 0 ? entry->value : std::string();
}

std::string OptionTable::helpText() const
{
    std::vector<std::string> columns;
    std::size_t width = 0;
    for (const Entry& entry : m_entries) {
        std::string column;
        for (const std::string& name : entry.names)
            column += (column.empty() ? "" : ", ") + dashed(name);
        if (!entry.spec.valueName.empty())
            column += " <" + entry.spec.valueName + ">";
        width = std::max(width, column.size());
        columns.push_back(std::move(column));
    }
    width = std::min<std::size_t>(width + 1, 50);
    std::string text = "Usage: " + m_program + ' ' + m_usage + '\n';
    if (!m_description.empty())
        text += m_description + '\n';
    text += '\n';
    if (!m_entries.empty())
        text += "Options:\n";
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        text += wrapped(columns[i], width, m_entries[i].spec.description);
    if (!m_argumentHelp.empty()) {
        text += m_entries.empty() ? "" : "\n";
        text += "Arguments:\n";
        for (const auto& [name, description] : m_argumentHelp)
            text += wrapped(name, width, description);
    }
    return text;
}
