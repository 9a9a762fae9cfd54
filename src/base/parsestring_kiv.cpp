// The line scanner: one token per call, chosen by the class of its first character.
#include "kiv/parsestring_kiv.h"

#include <cstdint>
#include <cstring>

#include "stringblock_kiv.h"
#include "unitscan_kiv.h"

namespace kiv {

struct ParseString::Impl {
    String text;
    int32_t line;
    int32_t column;  // 1-based index of the next character to scan
    // Most markup tokens are one ASCII character ("<", ">", "=", " "): they share these
    // strings instead of allocating one each.
    String ascii[128];
    // Names come back again and again (element and attribute names, end tags): a short
    // token that is in this table, found by a hash of its units, shares the string there
    // instead of allocating its own. A slot holds the last token that hashed to it.
    static const unsigned kSharedSlots = 256;
    static const unsigned kSharedLength = 32;
    String shared[kSharedSlots];

    String slice(const char16_t* units, unsigned start, unsigned end) {
        const char16_t* first = units + start;
        const unsigned length = end - start;
        if (length == 1 && *first < 128) {
            const char16_t c = *first;
            if (ascii[c].isEmpty()) ascii[c] = String(&c, 1);
            return ascii[c];
        }
        if (length > kSharedLength) return String(first, static_cast<int>(length));
        uint32_t hash = 2166136261u;  // FNV-1a
        for (unsigned i = 0; i < length; ++i) hash = (hash ^ first[i]) * 16777619u;
        String& slot = shared[(hash ^ (hash >> 16)) % kSharedSlots];
        if (slot.length() != length || std::memcmp(slot.wstr(), first, length * sizeof(char16_t)) != 0)
            slot = String(first, static_cast<int>(length));
        return slot;
    }
};

// The scanner reads the line as wide units; a narrow one is widened byte by byte.
ParseString::ParseString(const String& text, int32_t line) : impl_(new Impl{widened(text), line, 1, {}, {}}) {}

ParseString::~ParseString() { delete impl_; }

bool ParseString::isWordChar(char16_t c, const char16_t*, unsigned) const {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool ParseString::isSpaceChar(char16_t c, const char16_t*, unsigned) const {
    return c == u' ' || c == 9 || c == 10 || c == 13;
}

bool ParseString::isRunChar(char16_t, const char16_t*, unsigned) const { return false; }

void ParseString::setText(const String& text, int32_t line) {
    impl_->text = widened(text);
    impl_->line = line;
    impl_->column = 1;
}

ParseToken ParseString::firstToken() {
    impl_->column = 1;
    return nextToken();
}

ParseToken ParseString::nextToken() {
    const unsigned length = impl_->text.length();
    const unsigned start = static_cast<unsigned>(impl_->column - 1);
    if (start >= length) return ParseToken();

    const char16_t* units = impl_->text.wstr();
    const char16_t first = units[start];
    int32_t kind;
    bool closed = true;
    if (first == u'\'') {
        kind = ParseToken::SingleQuoted;
        closed = false;
    } else if (first == u'"') {
        kind = ParseToken::DoubleQuoted;
        closed = false;
    } else if (isWordChar(first, units + start, 0)) {
        kind = ParseToken::Word;
    } else if (isSpaceChar(first, units + start, 0)) {
        kind = ParseToken::Space;
    } else {
        kind = ParseToken::Other;
    }

    unsigned end = start + 1;
    if (kind == ParseToken::SingleQuoted || kind == ParseToken::DoubleQuoted) {
        // To the partner quote or to the line's end.
        while (end < length && units[end] != first) ++end;
        if (end < length) {
            ++end;
            closed = true;
        }
    } else {
        for (; end < length; ++end) {
            const char16_t c = units[end];
            const unsigned taken = end - start;
            bool takes = false;
            switch (kind) {
            case ParseToken::Word: takes = isWordChar(c, units + start, taken); break;
            case ParseToken::Space: takes = isSpaceChar(c, units + start, taken); break;
            default: takes = isRunChar(c, units + start, taken); break;
            }
            if (!takes) break;
        }
    }
    const int32_t pos = impl_->column;
    impl_->column = static_cast<int32_t>(end) + 1;
    // The token is one slice of the line, made in place (no empty text to replace).
    return ParseToken{impl_->slice(units, start, end), kind, impl_->line, pos, closed};
}

String ParseString::takeUntil(char16_t stop) {
    unsigned length = 0;
    const char16_t* run = runUntil(stop, length);
    return length ? String(run, static_cast<int>(length)) : String();
}

const char16_t* ParseString::runUntil(char16_t stop, unsigned& runLength) {
    runLength = 0;
    const unsigned length = impl_->text.length();
    const unsigned start = static_cast<unsigned>(impl_->column - 1);
    if (start >= length) return nullptr;
    const char16_t* units = impl_->text.wstr();
    unsigned end = findUnit(units, start, length, stop, u'\'', u'"');
    while (end < length && units[end] != stop) {
        // A quoted token runs to its partner or to the line's end.
        const unsigned partner = findUnit(units, end + 1, length, units[end]);
        end = partner < length ? findUnit(units, partner + 1, length, stop, u'\'', u'"') : length;
    }
    impl_->column = static_cast<int32_t>(end) + 1;
    runLength = end - start;
    return units + start;
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
