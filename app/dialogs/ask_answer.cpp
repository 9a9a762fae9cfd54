#include "dialogs/ask_answer.h"

#include <climits>
#include <cwctype>

namespace rest {

int answerValue(const wchar_t* text) {
    if (!text) return 0;
    while (std::iswspace(static_cast<wint_t>(*text))) ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-') negative = *text++ == L'-';
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool isRightAnswer(const wchar_t* text, int factor1, int factor2) {
    return answerValue(text) == factor2 * factor1;
}

}  // namespace rest
