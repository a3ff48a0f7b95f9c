#include "ToneLookup.h"

#include "ToneErrors.h"

#include <string>

namespace
{

char firstCharacter(std::string_view symbolText)
{
    if (symbolText.empty())
        throw InvalidArgumentError("A tone lookup needs a symbol character, not an empty text.");
    return symbolText.front();
}

} // namespace

double FirstToneFreq(const ToneTable& Tones, int toneSetIndex, std::string_view symbolText)
{
    const int k = toneSetIndex == 1 ? 0 : toneSetIndex;
    const auto column = symbolColumn(firstCharacter(symbolText));
    if (!column)
        return 0.0;
    if (k < 0 || k >= kToneRows)
        throw SubscriptOutOfRangeError("Subscript out of range: no tone set is selected (index " +
                                       std::to_string(toneSetIndex) + ").");
    return Tones[k][*column];
}

double SecondToneFreq(const ToneTable& Tones, int toneSetIndex, std::string_view symbolText)
{
    if (toneSetIndex > 1)
        return 0.0;
    const auto column = symbolColumn(firstCharacter(symbolText));
    return column ? Tones[1][*column] : 0.0;
}
