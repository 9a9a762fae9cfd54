#include "framework/resource_string.h"

namespace fw {

std::wstring formatString(const std::wstring& pattern, std::initializer_list<std::wstring> args) {
    std::wstring out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool place = pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] >= L'1' &&
                           pattern[i + 1] <= L'9';
        const std::size_t number = place ? static_cast<std::size_t>(pattern[i + 1] - L'1') : args.size();
        if (number < args.size()) {
            out += *(args.begin() + number);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace fw
