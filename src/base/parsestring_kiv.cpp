// The line scanner: one token per call, chosen by the class of its first character.
#include "kiv/parsestring_kiv.h"

namespace kiv {

struct ParseString::Impl {
    String text;
    int32_t line;
    int32_t column;  // 1-based index of the next character to scan
    // Most markup tokens are one ASCII character ("<", ">", "=", " "): they share these
    // strings instead of allocating one each.
    String ascii[128];

    String slice(const char16_t* units, unsigned start, unsigned end) {
        const char16_t c = units[start];
        if (end - start != 1 || c >= 128) return String(units + start, static_cast<int>(end - start));
        if (ascii[c].isEmpty()) ascii[c] = String(&c, 1);
        return ascii[c];
    }
};

ParseString::ParseString(const String& text, int32_t line) : impl_(new Impl{text, line, 1, {}}) {}

ParseString::~ParseString() { delete impl_; }

bool ParseString::isWordChar(char16_t c, const char16_t*, unsigned) const {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool ParseString::isSpaceChar(char16_t c, const char16_t*, unsigned) const {
    return c == u' ' || c == 9 || c == 10 || c == 13;
}

bool ParseString::isRunChar(char16_t, const char16_t*, unsigned) const { return false; }

void ParseString::setText(const String& text, int32_t line) {
    impl_->text = text;
    impl_->line = line;
    impl_->column = 1;
}

ParseToken ParseString::firstToken() {
    impl_->column = 1;
    return nextToken();
}

ParseToken ParseString::nextToken() {
    ParseToken token;
    const unsigned length = impl_->text.length();
    const unsigned start = static_cast<unsigned>(impl_->column - 1);
    if (start >= length) return token;

    const char16_t* units = impl_->text.wstr();
    const char16_t first = units[start];
    if (first == u'\'') {
        token.kind = ParseToken::SingleQuoted;
        token.closed = false;
    } else if (first == u'"') {
        token.kind = ParseToken::DoubleQuoted;
        token.closed = false;
    } else if (isWordChar(first, units + start, 0)) {
        token.kind = ParseToken::Word;
    } else if (isSpaceChar(first, units + start, 0)) {
        token.kind = ParseToken::Space;
    } else {
        token.kind = ParseToken::Other;
    }
    token.line = impl_->line;
    token.pos = impl_->column;

    unsigned end = start + 1;
    if (token.kind == ParseToken::SingleQuoted || token.kind == ParseToken::DoubleQuoted) {
        // To the partner quote or to the line's end.
        while (end < length && units[end] != first) ++end;
        if (end < length) {
            ++end;
            token.closed = true;
        }
    } else {
        for (; end < length; ++end) {
            const char16_t c = units[end];
            const unsigned taken = end - start;
            bool takes = false;
            switch (token.kind) {
            case ParseToken::Word: takes = isWordChar(c, units + start, taken); break;
            case ParseToken::Space: takes = isSpaceChar(c, units + start, taken); break;
            default: takes = isRunChar(c, units + start, taken); break;
            }
            if (!takes) break;
        }
    }
    // The token is one slice of the line.
    token.text = impl_->slice(units, start, end);
    impl_->column = static_cast<int32_t>(end) + 1;
    return token;
}

String ParseString::takeUntil(char16_t stop) {
    const unsigned length = impl_->text.length();
    const unsigned start = static_cast<unsigned>(impl_->column - 1);
    if (start >= length) return String();
    const char16_t* units = impl_->text.wstr();
    unsigned end = start;
    while (end < length && units[end] != stop) {
        const char16_t c = units[end++];
        if (c == u'\'' || c == u'"') {
            // A quoted token runs to its partner or to the line's end.
            while (end < length && units[end] != c) ++end;
            if (end < length) ++end;
        }
    }
    impl_->column = static_cast<int32_t>(end) + 1;
    return String(units + start, static_cast<int>(end - start));
}

String ParseString::quotedValue(const ParseToken& token) {
    if (!token.closed) return String();
    if (token.kind != ParseToken::SingleQuoted && token.kind != ParseToken::DoubleQuoted)
        return String();
    const unsigned length = token.text.length();
    if (length < 2) return String();
    return String(token.text.wstr() + 1, static_cast<int>(length - 2));
}

}  // namespace kiv
