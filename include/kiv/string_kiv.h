// kiv::String: the library's text value, reference-counted and copy-on-write.
#pragma once

#include <cstdarg>
#include <cwchar>

namespace kiv {

// A string's code units are 8 bits (narrow: file bytes, UTF-8, ANSI file names) or 16 bits
// (wide: UTF-16 text), chosen when the value is made. The value is one pointer to the first
// unit of a heap block; a header of five 32-bit words (unit size, length, capacity, reference
// count, flags) stands in front of it and a zero unit always follows the last unit.
//
// Operations that take a C string expect units of the string's own size; a length of -1
// means "measure the terminated C string". compare, find, rfind, mid, right and replace work
// on wide strings. Positions and counts are in code units; "not found" is -1; a negative
// position or count lies beyond the end (so -1 means "to the end").
// Where units of the other size are given, they are taken by value (a byte widens to the
// same unit value; a wide unit put into a narrow string keeps its low 8 bits), except that
// an empty string takes the unit size of what is appended to it.
class String {
public:
    enum { kNarrow = 1, kWide = 2 };

    String();                                          // empty, wide
    String(const char16_t* text, int length = -1);     // wide copy
    String(const char* text, int length = -1);         // narrow copy
    String(unsigned count, unsigned unit, unsigned unitSize);  // `count` copies of `unit`
    String(const String& other);
    String(String&& other) noexcept;
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(char16_t unit);                  // becomes that one (wide) unit
    String& operator=(const char16_t* text) { return assign(text); }
    String& operator=(const char* text) { return assign(text); }

    // Replace the contents; the unit size becomes that of the text.
    String& assign(const char16_t* text, int length = -1);
    String& assign(const char* text, int length = -1);

    String& append(unsigned unit);
    String& append(const char16_t* text, int length = -1);
    String& append(const char* text, int length = -1);
    String& append(const String& other);
    String& operator+=(const String& other) { return append(other); }
    String& operator+=(const char16_t* text) { return append(text); }
    String& operator+=(const char* text) { return append(text); }
    String& operator+=(char16_t unit) { return append(unit); }

    unsigned length() const;
    bool isEmpty() const { return length() == 0; }
    unsigned unitSize() const;
    bool isWide() const { return unitSize() == kWide; }

    // The terminated units. wstr() is for wide strings, str() for narrow ones.
    const char16_t* wstr() const { return reinterpret_cast<const char16_t*>(data_); }
    const char* str() const { return reinterpret_cast<const char*>(data_); }
    // One unit by index; 0 at and beyond the terminator.
    unsigned at(unsigned index) const;

    int compare(const char16_t* other) const;          // -1, 0 or 1, ordinal by unit value
    int compare(const String& other) const;
    int find(const char16_t* pattern, int from = 0) const;
    int find(char16_t unit, int from = 0) const;
    int rfind(const char16_t* pattern, int from = -1) const;
    int rfind(char16_t unit, int from = -1) const;
    String mid(int start, int count = -1) const;
    String right(int count) const;

    String& replace(int pos, int count, const char16_t* text);
    String& erase(int pos, int count = -1);
    String& replaceAll(const char16_t* pattern, const char16_t* replacement);
    // printf-style; a wide format gives a wide string, a narrow one a narrow string.
    // In a wide format %s takes a wide (char16_t) string, %S a narrow one; %c a wide unit.
    String& format(const char16_t* format, ...);
    String& format(const char* format, ...);
    String& vformat(const char16_t* format, va_list args);
    String& vformat(const char* format, va_list args);
    void clear();

    bool operator==(const String& other) const;
    bool operator!=(const String& other) const { return !(*this == other); }
    bool operator==(const char16_t* other) const { return compare(other) == 0; }
    bool operator!=(const char16_t* other) const { return compare(other) != 0; }
    bool operator<(const String& other) const { return compare(other) < 0; }

#if WCHAR_MAX <= 0xFFFF
    // Where wchar_t is 16-bit (Windows) the platform's wide strings are ours.
    String(const wchar_t* text, int length = -1)
        : String(reinterpret_cast<const char16_t*>(text), length) {}
    String& operator=(const wchar_t* text) { return assign(reinterpret_cast<const char16_t*>(text)); }
    String& operator+=(const wchar_t* text) { return append(reinterpret_cast<const char16_t*>(text)); }
    const wchar_t* c_wstr() const { return reinterpret_cast<const wchar_t*>(data_); }
#endif

    // Block-level views for tests and the benchmark.
    unsigned capacity() const;
    unsigned refCount() const;
    bool isSharedWith(const String& other) const { return data_ == other.data_; }

private:
    // Makes the block writable for `newLength` units (copy-on-write, growth) and returns it.
    unsigned char* prepareWrite(unsigned newLength);
    void finishWrite(unsigned newLength);
    void releaseBlock();
    // The general form of prepareWrite: a block of its own with `unitSize` and room for
    // `newLength` units, keeping the first `keepHead` and the last `keepTail` old units
    // (the tail moved to end at `newLength`).
    unsigned char* beginWrite(unsigned unitSize, unsigned newLength, unsigned keepHead, unsigned keepTail);
    // Replaces `removeCount` units at `pos` by `count` units of `srcUnitSize` bytes each.
    void splice(unsigned pos, unsigned removeCount, const void* src, unsigned count, unsigned srcUnitSize);
    bool pointsIntoBlock(const void* p) const;
    // A block of its own holding `count` units of `unitSize` bytes (the int only tells this
    // constructor apart from the public ones).
    String(const void* units, unsigned unitSize, unsigned count, int);

    unsigned char* data_;
};

String operator+(const String& a, const String& b);
String operator+(const String& a, const char16_t* b);
String operator+(const String& a, const char* b);
String operator+(const String& a, char16_t unit);
String operator+(const char16_t* a, const String& b);

}  // namespace kiv
