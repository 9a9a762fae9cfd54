// kiv::ParseString: cuts one line of text into tokens by character class, and the token
// record it produces. The XML reader uses its XML variant (xmlstringparse_kiv.h).
#pragma once

#include <cstdint>

#include "kiv/object_kiv.h"
#include "kiv/string_kiv.h"

namespace kiv {

// One token of a line. An empty text marks the end of the input; such a token has no kind.
struct ParseToken {
    enum Kind : int32_t {
        None = 0,
        Word = 1,
        Space = 2,
        SingleQuoted = 3,
        DoubleQuoted = 4,
        Other = 5,
    };

    String text;          // exactly as in the line; a quoted token keeps its quotes
    int32_t kind = None;
    int32_t line = 0;     // from 1
    int32_t pos = 0;      // column of the first character, in UTF-16 units from 1
    bool closed = true;   // quoted kinds: the closing quote was on the same line

    bool isEmpty() const { return text.isEmpty(); }
    // The token is the one character `unit` (markup such as "<", "?", "=").
    bool is(char16_t unit) const { return text.length() == 1 && text.at(0) == unit; }
};

class ParseString : public Object {
public:
    ParseString(const String& text, int32_t line);
    ~ParseString() override;
    ParseString(const ParseString&) = delete;
    ParseString& operator=(const ParseString&) = delete;

    // Character classes. `sofar` holds the `length` units of the token scanned so far (a
    // view into the line, so that scanning does not build a string per character).
    virtual bool isWordChar(char16_t c, const char16_t* sofar, unsigned length) const;
    virtual bool isSpaceChar(char16_t c, const char16_t* sofar, unsigned length) const;
    virtual bool isRunChar(char16_t c, const char16_t* sofar, unsigned length) const;

    // Replaces the line and its number and starts again at its first column. A narrow line
    // is widened byte by byte (as is one given to the constructor).
    void setText(const String& text, int32_t line);
    ParseToken firstToken();
    // The token at the current column; the column moves past it. At the end of the line the
    // token is empty and the column stays.
    ParseToken nextToken();

    // The text from the column up to the first `stop` that is not inside a quoted token, or
    // to the line's end; the column moves to the `stop`. The same text as the tokens up to
    // that `stop` put together, without making them one by one: for a `stop` that no word,
    // space or run token can contain (the XML reader's "<").
    String takeUntil(char16_t stop);
    // The same run as takeUntil, as `length` units inside the line (valid until the next
    // setText), for a caller that copies it on without a string of its own.
    const char16_t* runUntil(char16_t stop, unsigned& length);

    // A closed quoted token's text without its quotes; empty for any other token.
    static String quotedValue(const ParseToken& token);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace kiv
