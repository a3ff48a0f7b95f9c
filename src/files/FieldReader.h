#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class FieldError {
    None,
    EndOfFile,  // nothing left to read where a field was expected
    NotANumber, // a number field whose text is no decimal number (an empty field included)
    OutOfRange, // a number outside its range: -32768 to 32767, or that of a position
};

// The largest window position, in twips, that the settings file reads back: every whole
// number up to it is exact in single precision, the type the position is written as.
inline constexpr std::int32_t kLargestPosition = (1 << 24) - 1;

// One field as read. `raw` is the field's text (quotes removed), kept for messages.
template <typename T> struct Field {
    T value{};
    FieldError error = FieldError::None;
    std::string raw;
    int line = 0;               // 1-based line on which the field starts
    int lastLine = 0;           // the line on which it ends: later than `line` when a quote ran on
    bool unclosedQuote = false; // the file ended inside the field's quotes

    // A quoted text that ran across a line end: most likely a quote that was never closed.
    bool crossesLines() const { return lastLine > line; }

    explicit operator bool() const { return error == FieldError::None; }
};

// Reads the comma-separated fields of Quorvel's two text files (TONESETS.INI and
// Quorvel.ini) from their bytes. Lines mean nothing beyond ending a field.
//
// The rules:
// - A UTF-8 byte-order mark at the very start is skipped: editors that save "UTF-8 with
//   BOM" put one there, and it must not become part of the first field.
// - A field ends at a comma or at a line end: CR LF, a lone LF or a lone CR. The ending
//   comma or line end is consumed with the field.
// - Blanks (space, tab) before a field are skipped.
// - A field that begins with a double quote runs to the next lone double quote; the quotes
//   are dropped, and commas and line ends between them are part of the text. "" inside the
//   quotes stands for one ". Characters between the closing quote and the next comma or
//   line end are dropped: they cannot be told apart from a stray typing error, and keeping
//   them would make `"a" b` and `"a b"` read the same. A quoted text that runs across a line
//   end is read all the same; the field's `lastLine` tells the caller, who can warn about it.
// - A file that ends inside a quoted text ends the text there: the text keeps what was
//   read, and the next read finds the end of file. The file's last field needs no line end.
// - An unquoted text runs to the next comma or line end, and loses its trailing blanks,
//   which nobody can see in an editor. Its leading blanks were skipped before the field.
// - An empty line where a text is expected reads as an empty text.
// - A number field is read like a text and must then hold an optional sign and decimal
//   digits, optionally with a fraction after ".", which is rounded to the nearest integer
//   with a half going to the even neighbour (the settings writer may write a fraction, and
//   what it writes must read back). The result must lie from -32768 to 32767. An empty
//   field (",,") is not a number.
// - Where a number is expected, empty lines are passed over: a blank line left between the
//   rows of a set must not cost the user the set.
class FieldReader
{
public:
    explicit FieldReader(std::string_view bytes);

    // True when every byte has been read: the end-of-file test before a name field.
    bool atEnd() const { return m_pos >= m_bytes.size(); }

    Field<std::string> readText();
    Field<std::int16_t> readNumber();
    // A window position: a number field by the same rules, from -kLargestPosition to
    // kLargestPosition, so that a window on a second screen (beyond 32767 twips, 2184
    // pixels) keeps its place instead of costing the user the whole record.
    Field<std::int32_t> readPosition();

    int line() const { return m_line; }

private:
    template <typename T> Field<T> readNumberWith(Field<T> (*parse)(std::string_view));
    void skipBlanks();
    bool atLineEnd() const;
    void consumeLineEnd();
    // Reads the field's text from the current position up to and including its ending.
    std::string readFieldText();
    std::string readQuoted();
    std::string readUnquoted();
    void skipToFieldEnd();

    std::string_view m_bytes;
    std::size_t m_pos = 0;
    int m_line = 1;
    int m_lastLine = 1; // where the field being read has got to
    bool m_unclosedQuote = false;
};

// The value of a number field's text by the rules above.
Field<std::int16_t> parseNumberField(std::string_view text);
// The same for a window position.
Field<std::int32_t> parsePositionField(std::string_view text);
