#include "FieldReader.h"

#include <algorithm>

namespace
{

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

FieldReader::FieldReader(std::string_view bytes) : m_bytes(bytes)
{
    if (m_bytes.starts_with(kByteOrderMark))
        m_pos = kByteOrderMark.size();
}

Field<std::string> FieldReader::readText()
{
    Field<std::string> field;
    if (atEnd()) {
        field.error = FieldError::EndOfFile;
        field.line = m_line;
        return field;
    }
    skipBlanks();
    field.line = m_line;
    field.value = readFieldText();
    field.raw = field.value;
    field.lastLine = m_lastLine;
    field.unclosedQuote = m_unclosedQuote;
    return field;
}

Field<std::int16_t> FieldReader::readNumber()
{
    return readNumberWith(parseNumberField);
}

Field<std::int32_t> FieldReader::readPosition()
{
    return readNumberWith(parsePositionField);
}

template <typename T> Field<T> FieldReader::readNumberWith(Field<T> (*parse)(std::string_view))
{
    for (;;) {
        skipBlanks();
        if (atEnd() || !atLineEnd())
            break;
        consumeLineEnd();
    }
    if (atEnd()) {
        Field<T> field;
        field.error = FieldError::EndOfFile;
        field.line = m_line;
        return field;
    }
    const int line = m_line;
    Field<T> field = parse(readFieldText());
    field.line = line;
    field.lastLine = m_lastLine;
    field.unclosedQuote = m_unclosedQuote;
    return field;
}

void FieldReader::skipBlanks()
{
    while (!atEnd() && isBlank(m_bytes[m_pos]))
        ++m_pos;
}

bool FieldReader::atLineEnd() const
{
    return !atEnd() && (m_bytes[m_pos] == '\r' || m_bytes[m_pos] == '\n');
}

void FieldReader::consumeLineEnd()
{
    if (m_bytes[m_pos] == '\r' && m_pos + 1 < m_bytes.size() && m_bytes[m_pos + 1] == '\n')
        ++m_pos;
    ++m_pos;
    ++m_line;
}

std::string FieldReader::readFieldText()
{
    m_lastLine = m_line;
    m_unclosedQuote = false;
    if (!atEnd() && m_bytes[m_pos] == '"') {
        std::string text = readQuoted();
        skipToFieldEnd();
        return text;
    }
    return readUnquoted();
}

std::string FieldReader::readQuoted()
{
    std::string text;
    ++m_pos; // the opening quote
    m_unclosedQuote = true;
    while (!atEnd()) {
        const char c = m_bytes[m_pos];
        if (c == '"') {
            if (m_pos + 1 < m_bytes.size() && m_bytes[m_pos + 1] == '"') {
                text += '"';
                m_pos += 2;
                continue;
            }
            ++m_pos; // the closing quote
            m_unclosedQuote = false;
            break;
        }
        if (atLineEnd()) {
            const std::size_t start = m_pos;
            consumeLineEnd();
            m_lastLine = m_line;
            text.append(m_bytes.substr(start, m_pos - start));
            continue;
        }
        text += c;
        ++m_pos;
    }
    return text;
}

std::string FieldReader::readUnquoted()
{
    const std::size_t start = m_pos;
    while (!atEnd() && m_bytes[m_pos] != ',' && !atLineEnd())
        ++m_pos;
    std::string_view text = m_bytes.substr(start, m_pos - start);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    skipToFieldEnd();
    return std::string(text);
}

void FieldReader::skipToFieldEnd()
{
    while (!atEnd() && m_bytes[m_pos] != ',' && !atLineEnd())
        ++m_pos;
    if (atEnd())
        return;
    if (m_bytes[m_pos] == ',')
        ++m_pos;
    else
        consumeLineEnd();
}

namespace
{

// A decimal number field's value by the rules in the header, within lowest to highest.
Field<long> parseDecimalField(std::string_view text, long lowest, long highest)
{
    Field<long> field;
    field.raw = std::string(text);
    std::string_view s = trimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // The magnitude saturates well above the range, so long digit strings cannot overflow.
    constexpr long kSaturated = 1'000'000'000;
    long whole = 0;
    std::size_t digits = 0;
    while (!s.empty() && isDigit(s.front())) {
        whole = std::min(kSaturated, whole * 10 + (s.front() - '0'));
        s.remove_prefix(1);
        ++digits;
    }
    int firstFraction = 0;    // the first digit after the point
    bool restNonZero = false; // any non-zero digit after the first
    if (!s.empty() && s.front() == '.') {
        s.remove_prefix(1);
        for (std::size_t i = 0; !s.empty() && isDigit(s.front()); ++i, ++digits) {
            if (i == 0)
                firstFraction = s.front() - '0';
            else if (s.front() != '0')
                restNonZero = true;
            s.remove_prefix(1);
        }
    }
    if (digits == 0 || !s.empty()) {
        field.error = FieldError::NotANumber;
        return field;
    }
    // Nearest integer, a half going to the even neighbour.
    if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1)))
        ++whole;
    const long value = negative ? -whole : whole;
    if (value < lowest || value > highest) {
        field.error = FieldError::OutOfRange;
        return field;
    }
    field.value = value;
    return field;
}

template <typename T> Field<T> narrowed(Field<long> wide)
{
    return {static_cast<T>(wide.value), wide.error, std::move(wide.raw), wide.line};
}

} // namespace

Field<std::int16_t> parseNumberField(std::string_view text)
{
    return narrowed<std::int16_t>(parseDecimalField(text, -32768, 32767));
}

Field<std::int32_t> parsePositionField(std::string_view text)
{
    return narrowed<std::int32_t>(parseDecimalField(text, -kLargestPosition, kLargestPosition));
}
