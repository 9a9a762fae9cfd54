#include "control/json_line.h"

#include <cstring>

namespace control {
namespace json {
namespace {

// kStringsOnly: every value must be a string (a request's members are), so the program
// carries no reader for the other kinds.
template <bool kStringsOnly>
class Reader {
public:
    Reader(const char* text, std::size_t size) : m_at(text), m_end(text + size) {}

    bool object(std::vector<Member>& out) {
        skipSpace();
        if (!take('{')) return false;
        skipSpace();
        if (take('}')) return atEnd();
        for (;;) {
            Member member;
            skipSpace();
            if (!string(member.name)) return false;
            for (const Member& seen : out)
                if (seen.name == member.name) return false;
            skipSpace();
            if (!take(':')) return false;
            skipSpace();
            if (!value(member.value)) return false;
            out.push_back(std::move(member));
            skipSpace();
            if (take(',')) continue;
            if (!take('}')) return false;
            return atEnd();
        }
    }

private:
    bool atEnd() {
        skipSpace();
        return m_at == m_end;
    }
    void skipSpace() {
        while (m_at < m_end && (*m_at == ' ' || *m_at == '\t' || *m_at == '\r' || *m_at == '\n')) ++m_at;
    }
    bool take(char c) {
        if (m_at < m_end && *m_at == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool word(const char* w) {
        const std::size_t n = std::strlen(w);
        if (static_cast<std::size_t>(m_end - m_at) < n || std::memcmp(m_at, w, n) != 0) return false;
        m_at += n;
        return true;
    }

    bool value(Value& v) {
        if (m_at == m_end) return false;
        if (kStringsOnly) {
            v.kind = Value::String;
            return *m_at == '"' && string(v.text);
        }
        switch (*m_at) {
        case '"':
            v.kind = Value::String;
            return string(v.text);
        case 't':
            v.kind = Value::True;
            return word("true");
        case 'f':
            v.kind = Value::False;
            return word("false");
        case 'n':
            v.kind = Value::Null;
            return word("null");
        case '[':
            v.kind = Value::Array;
            return array(v.items);
        default:
            v.kind = Value::Number;
            return number(v.number);
        }
    }

    bool array(std::vector<Bytes>& items) {
        take('[');
        skipSpace();
        if (take(']')) return true;
        for (;;) {
            skipSpace();
            Bytes item;
            if (!string(item)) return false;
            items.push_back(std::move(item));
            skipSpace();
            if (take(',')) continue;
            return take(']');
        }
    }

    // Whole numbers only: the lines carry seconds and counts.
    bool number(int64_t& out) {
        const bool negative = take('-');
        if (m_at == m_end || *m_at < '0' || *m_at > '9') return false;
        if (*m_at == '0' && m_at + 1 < m_end && m_at[1] >= '0' && m_at[1] <= '9') return false;
        uint64_t n = 0;
        while (m_at < m_end && *m_at >= '0' && *m_at <= '9') {
            n = n * 10 + static_cast<uint64_t>(*m_at++ - '0');
            if (n > (uint64_t(1) << 53)) return false;
        }
        if (m_at < m_end && (*m_at == '.' || *m_at == 'e' || *m_at == 'E')) return false;
        out = negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
        return true;
    }

    static void putUtf8(Bytes& out, uint32_t c) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }

    bool hex4(uint32_t& out) {
        if (m_end - m_at < 4) return false;
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = *m_at++;
            out <<= 4;
            if (c >= '0' && c <= '9') out |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') out |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') out |= static_cast<uint32_t>(c - 'A' + 10);
            else return false;
        }
        return true;
    }

    bool escape(Bytes& out) {
        if (m_at == m_end) return false;
        const char c = *m_at++;
        switch (c) {
        case '"': case '\\': case '/': out.push_back(c); return true;
        case 'b': out.push_back('\b'); return true;
        case 'f': out.push_back('\f'); return true;
        case 'n': out.push_back('\n'); return true;
        case 'r': out.push_back('\r'); return true;
        case 't': out.push_back('\t'); return true;
        case 'u': break;
        default: return false;
        }
        uint32_t unit = 0;
        if (!hex4(unit)) return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF) return false;  // a low surrogate alone
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            uint32_t low = 0;
            if (!word("\\u") || !hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        putUtf8(out, unit);
        return true;
    }

    // One UTF-8 sequence copied as it is: no overlong forms, surrogates or values above
    // U+10FFFF.
    bool utf8(Bytes& out) {
        const auto lead = static_cast<unsigned char>(*m_at);
        int extra = 0;
        uint32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF) extra = 1, c = lead & 0x1F;
        else if (lead >= 0xE0 && lead <= 0xEF) extra = 2, c = lead & 0x0F;
        else if (lead >= 0xF0 && lead <= 0xF4) extra = 3, c = lead & 0x07;
        else return false;
        if (m_end - m_at <= extra) return false;
        for (int i = 1; i <= extra; ++i) {
            const auto next = static_cast<unsigned char>(m_at[i]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        out.insert(out.end(), m_at, m_at + 1 + extra);
        m_at += 1 + extra;
        return true;
    }

    bool string(Bytes& out) {
        if (!take('"')) return false;
        while (m_at < m_end) {
            const auto c = static_cast<unsigned char>(*m_at);
            if (c == '"') {
                ++m_at;
                return true;
            }
            if (c < 0x20) return false;
            if (c == '\\') {
                ++m_at;
                if (!escape(out)) return false;
            } else if (c >= 0x80) {
                if (!utf8(out)) return false;
            } else {
                out.push_back(static_cast<char>(c));
                ++m_at;
            }
        }
        return false;
    }

    const char* m_at;
    const char* m_end;
};

}  // namespace

template <bool kStringsOnly>
bool parse(const char* text, std::size_t size, std::vector<Member>& out) {
    out.clear();
    Reader<kStringsOnly> reader(text, size);
    if (reader.object(out)) return true;
    out.clear();
    return false;
}

bool parseObject(const char* text, std::size_t size, std::vector<Member>& out) { return parse<false>(text, size, out); }

bool parseStringObject(const char* text, std::size_t size, std::vector<Member>& out) {
    return parse<true>(text, size, out);
}

const Value* find(const std::vector<Member>& members, const char* name) {
    const std::size_t n = std::strlen(name);
    for (const Member& m : members)
        if (m.name.size() == n && std::memcmp(m.name.data(), name, n) == 0) return &m.value;
    return nullptr;
}

bool isString(const Value* value, const char* text) {
    const std::size_t n = std::strlen(text);
    return value && value->kind == Value::String && value->text.size() == n &&
           std::memcmp(value->text.data(), text, n) == 0;
}

void Writer::key(const char* name) {
    if (!m_first) m_out.push_back(',');
    m_first = false;
    quoted(name, std::strlen(name));
    m_out.push_back(':');
}

void Writer::quoted(const char* text, std::size_t size) {
    static const char kHex[] = "0123456789abcdef";
    m_out.push_back('"');
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            m_out.push_back('\\');
            m_out.push_back(static_cast<char>(c));
        } else if (c < 0x20) {
            const char escaped[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
            m_out.insert(m_out.end(), escaped, escaped + 6);
        } else {
            m_out.push_back(static_cast<char>(c));
        }
    }
    m_out.push_back('"');
}

void Writer::string(const char* name, const char* text) { string(name, text, std::strlen(text)); }

void Writer::string(const char* name, const char* text, std::size_t size) {
    key(name);
    quoted(text, size);
}

void Writer::number(const char* name, int64_t value) {
    key(name);
    char digits[24];
    int n = 0;
    uint64_t v = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0) m_out.push_back('-');
    while (n) m_out.push_back(digits[--n]);
}

void Writer::boolean(const char* name, bool value) {
    key(name);
    const char* w = value ? "true" : "false";
    m_out.insert(m_out.end(), w, w + std::strlen(w));
}

void Writer::null(const char* name) {
    key(name);
    m_out.insert(m_out.end(), {'n', 'u', 'l', 'l'});
}

void Writer::strings(const char* name, const std::vector<const char*>& items) {
    key(name);
    m_out.push_back('[');
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) m_out.push_back(',');
        quoted(items[i], std::strlen(items[i]));
    }
    m_out.push_back(']');
}

Bytes Writer::finish(bool lineEnd) {
    m_out.push_back('}');
    if (lineEnd) m_out.push_back('\n');
    return std::move(m_out);
}

}  // namespace json
}  // namespace control
