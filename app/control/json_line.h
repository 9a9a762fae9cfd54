// The little JSON the control lines need: one flat object whose members are strings, whole
// numbers, true, false, null or arrays of strings. Reading is strict (anything else is
// refused as a whole), since the pipe's other end may be any program of the user's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace control {
namespace json {

using Bytes = std::vector<char>;

struct Value {
    enum Kind { String, Number, True, False, Null, Array } kind = Null;
    Bytes text;                // String: its UTF-8 bytes, unescaped
    int64_t number = 0;        // Number
    std::vector<Bytes> items;  // Array of strings
};

struct Member {
    Bytes name;
    Value value;
};

// One object, with nothing but white space around it. False for anything else, for a
// member name given twice and for bad UTF-8.
bool parseObject(const char* text, std::size_t size, std::vector<Member>& out);
// The same for an object whose values are all strings; false for any other value.
bool parseStringObject(const char* text, std::size_t size, std::vector<Member>& out);

// The member named `name`, or null.
const Value* find(const std::vector<Member>& members, const char* name);
// Whether `value` is the string `text`.
bool isString(const Value* value, const char* text);

// Writing: an object is opened with '{', members are added with a comma before every one
// but the first, and it is closed with '}'.
class Writer {
public:
    Writer() { m_out.push_back('{'); }
    void string(const char* name, const char* text);
    void string(const char* name, const char* text, std::size_t size);
    void number(const char* name, int64_t value);
    void boolean(const char* name, bool value);
    void null(const char* name);
    void strings(const char* name, const std::vector<const char*>& items);
    // The object closed, with `lineEnd` after it.
    Bytes finish(bool lineEnd);

private:
    void key(const char* name);
    void quoted(const char* text, std::size_t size);
    Bytes m_out;
    bool m_first = true;
};

}  // namespace json
}  // namespace control
