// kiv::Token: splits a text at a separator, skipping empty pieces.
#include "kiv/token_kiv.h"

#include "stringblock_kiv.h"

namespace kiv {

// The separator is searched for as wide units (String::find).
Token::Token(const String& source, const String& separator)
    : source_(source), separator_(widened(separator)), position_(0) {}

Token::~Token() = default;

String Token::next() {
    if (source_.isEmpty() || position_ < 0) return String();
    const int length = static_cast<int>(source_.length());
    const int step = static_cast<int>(separator_.length());
    auto search = [&](int from) {
        if (step == 0 || from >= length) return -1;
        return source_.find(separator_.wstr(), from);
    };
    int found = search(position_);
    while (found >= 0 && found == position_) {
        position_ += step;
        found = search(position_);
    }
    if (found < 0) {
        String rest = position_ < length ? source_.mid(position_) : String();
        position_ = -1;
        return rest;
    }
    String piece = source_.mid(position_, found - position_);
    position_ = found;
    return piece;
}

}  // namespace kiv
