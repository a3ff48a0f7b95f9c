#include "SequenceText.h"

namespace
{

// Silent stand-ins: no symbol, no blank. Three are enough to differ from both neighbours.
constexpr char kStandIns[] = {'?', '!', '#'};

char latin1(char32_t c)
{
    return static_cast<char>(static_cast<unsigned char>(c));
}

} // namespace

std::string narrowSequence(std::u32string_view typed)
{
    std::string narrowed;
    narrowed.reserve(typed.size());
    std::size_t i = 0;
    while (i < typed.size()) {
        const char32_t c = typed[i];
        if (c <= 0xFF) {
            narrowed += latin1(c);
            ++i;
            continue;
        }
        // A run of the same character takes one stand-in, different from the byte before the
        // run and from the character after it when that one keeps its own byte. A character
        // after it that is not Latin-1 picks its own stand-in, avoiding this one in turn.
        std::size_t end = i;
        while (end < typed.size() && typed[end] == c)
            ++end;
        const char before = narrowed.empty() ? '\0' : narrowed.back();
        const char after = end < typed.size() && typed[end] <= 0xFF ? latin1(typed[end]) : '\0';
        for (const char standIn : kStandIns) {
            if (standIn != before && standIn != after) {
                narrowed.append(end - i, standIn);
                break;
            }
        }
        i = end;
    }
    return narrowed;
}
