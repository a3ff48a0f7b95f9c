#include "RepeatTone.h"

std::string applyRepeatTone(std::string sequence)
{
    for (std::size_t i = 1; i < sequence.size(); ++i) {
        if (sequence[i] != ' ' && sequence[i - 1] == sequence[i])
            sequence[i] = 'E';
    }
    return sequence;
}
