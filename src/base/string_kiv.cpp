// kiv::String: the counted block, copy-on-write, and the text operations on it.
#include "kiv/string_kiv.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "kiv/debug_kiv.h"
#include "stringblock_kiv.h"
#include "wideformat_kiv.h"

namespace kiv {

namespace {

const char kFile[] = "src/base/string_kiv.cpp";
const unsigned kLineRefer = 105;
const unsigned kLineReplace = 706;
const unsigned kLineErase = 1044;

// Longest string we make; keeps every size computation far from 32-bit overflow.
const uint64_t kMaxLength = 0x3FFFFFF0u;

// The allocation holds one more word in front of the header: how many units the memory
// really has room for. The header's `capacity` follows the rule (length rounded down to a
// multiple of 8, plus 8), but the memory underneath grows geometrically, so that appending
// one unit at a time stays linear however the system's realloc behaves.
struct Prefix {
    uint32_t room;  // units the memory holds, without the terminator
    StringBlock header;
};
const size_t kPrefixBytes = offsetof(Prefix, header) + sizeof(StringBlock);

// The empty strings every default value shares. They are constant-initialised (no order
// problem with other static objects) and never written: their count starts at 1 for the
// static itself, so any holder sees it shared and detaches before a write.
struct EmptyBlock {
    uint32_t room;
    StringBlock header;
    char16_t unit;
};
static_assert(offsetof(EmptyBlock, unit) == kPrefixBytes, "units follow the header");
EmptyBlock g_emptyWide = {0, {String::kWide, 0, 8, {1}, 0}, 0};
EmptyBlock g_emptyNarrow = {0, {String::kNarrow, 0, 8, {1}, 0}, 0};

unsigned char* emptyUnits(unsigned unitSize) {
    EmptyBlock& block = unitSize == String::kNarrow ? g_emptyNarrow : g_emptyWide;
    block.header.refCount.fetch_add(1, std::memory_order_relaxed);
    return reinterpret_cast<unsigned char*>(&block.unit);
}

StringBlock* blockOf(unsigned char* units) {
    return reinterpret_cast<StringBlock*>(units - sizeof(StringBlock));
}

Prefix* prefixOf(unsigned char* units) { return reinterpret_cast<Prefix*>(units - kPrefixBytes); }

unsigned ruleCapacity(uint64_t length) { return static_cast<unsigned>((length & ~uint64_t(7)) + 8); }

[[noreturn]] void outOfMemory() {
    std::fputs("kiv::String: out of memory\n", stderr);
    std::abort();
}

unsigned checkedLength(uint64_t length) {
    if (length > kMaxLength) outOfMemory();
    return static_cast<unsigned>(length);
}

size_t bytesFor(unsigned unitSize, unsigned room) {
    return kPrefixBytes + (static_cast<size_t>(room) + 1) * unitSize;
}

// A fresh block with refCount 1, flags 0, length 0 and a terminator.
unsigned char* allocateBlock(unsigned unitSize, unsigned capacity) {
    void* memory = std::malloc(bytesFor(unitSize, capacity));
    if (!memory) outOfMemory();
    Prefix* prefix = static_cast<Prefix*>(memory);
    prefix->room = capacity;
    StringBlock* header = new (&prefix->header) StringBlock;
    header->unitSize = unitSize;
    header->length = 0;
    header->capacity = capacity;
    header->refCount.store(1, std::memory_order_relaxed);
    header->flags = 0;
    unsigned char* units = static_cast<unsigned char*>(memory) + kPrefixBytes;
    std::memset(units, 0, unitSize);
    return units;
}

void freeBlock(unsigned char* units) { std::free(prefixOf(units)); }

unsigned unitIn(const unsigned char* units, unsigned unitSize, size_t index) {
    if (unitSize == String::kNarrow) return units[index];
    char16_t unit;
    std::memcpy(&unit, units + index * 2, 2);
    return unit;
}

// Copies `count` units, converting by value when the sizes differ.
void putUnits(unsigned char* dst, unsigned dstSize, const void* src, unsigned srcSize, unsigned count) {
    if (count == 0) return;
    if (dstSize == srcSize) {
        std::memcpy(dst, src, static_cast<size_t>(count) * dstSize);
        return;
    }
    const unsigned char* in = static_cast<const unsigned char*>(src);
    for (unsigned i = 0; i < count; ++i) {
        unsigned unit = unitIn(in, srcSize, i);
        if (dstSize == String::kNarrow) {
            dst[i] = static_cast<unsigned char>(unit);
        } else {
            char16_t wide = static_cast<char16_t>(unit);
            std::memcpy(dst + static_cast<size_t>(i) * 2, &wide, 2);
        }
    }
}

template <class Unit>
unsigned measure(const Unit* text, int length) {
    if (!text) return 0;
    if (length >= 0) return checkedLength(static_cast<unsigned>(length));
    uint64_t n = 0;
    while (text[n]) ++n;
    return checkedLength(n);
}

// Positions given as int count as unsigned: -1 and every other negative value lie beyond
// the end of any string.
uint64_t asPosition(int value) { return static_cast<uint32_t>(value); }

template <class Unit>
int findIn(const Unit* text, unsigned length, const char16_t* pattern, unsigned m, uint64_t from) {
    if (m == 0 && from <= length) return static_cast<int>(from);
    if (from >= length || length - from < m) return -1;
    const unsigned first = pattern[0];
    const unsigned last = length - m;
    for (unsigned i = static_cast<unsigned>(from); i <= last; ++i) {
        if (static_cast<unsigned>(text[i]) != first) continue;
        unsigned k = 1;
        while (k < m && static_cast<unsigned>(text[i + k]) == pattern[k]) ++k;
        if (k == m) return static_cast<int>(i);
    }
    return -1;
}

template <class Unit>
int rfindIn(const Unit* text, unsigned length, const char16_t* pattern, unsigned m, uint64_t from) {
    if (m == 0) return static_cast<int>(std::min<uint64_t>(from, length));
    if (m > length) return -1;
    uint64_t start = std::min<uint64_t>(from, length - m);
    for (int64_t i = static_cast<int64_t>(start); i >= 0; --i) {
        unsigned k = 0;
        while (k < m && static_cast<unsigned>(text[i + k]) == pattern[k]) ++k;
        if (k == m) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

// ---- the block ----

String::String() : data_(emptyUnits(kWide)) {}

String::String(const char16_t* text, int length) : String(text, kWide, measure(text, length), 0) {}

String::String(const char* text, int length) : String(text, kNarrow, measure(text, length), 0) {}

String::String(unsigned count, unsigned unit, unsigned unitSize) {
    unitSize = unitSize == kNarrow ? kNarrow : kWide;
    count = checkedLength(count);
    data_ = allocateBlock(unitSize, ruleCapacity(count));
    for (unsigned i = 0; i < count; ++i) {
        if (unitSize == kNarrow) {
            data_[i] = static_cast<unsigned char>(unit);
        } else {
            char16_t wide = static_cast<char16_t>(unit);
            std::memcpy(data_ + static_cast<size_t>(i) * 2, &wide, 2);
        }
    }
    finishWrite(count);
}

String::String(const void* units, unsigned unitSize, unsigned count, int) {
    data_ = allocateBlock(unitSize, ruleCapacity(count));
    putUnits(data_, unitSize, units, unitSize, count);
    finishWrite(count);
}

String::String(const String& other) : data_(other.data_) {
    StringBlock* block = blockOf(data_);
    if (!check(block->refCount.load(std::memory_order_relaxed) < 0xFFFFFFFFu, "refer <uintc(-1)", kFile,
               kLineRefer)) {
        // One more reference would wrap the count to 0 and free a block still in use:
        // this copy gets a block of its own instead.
        String own(other.data_, block->unitSize, block->length, 0);
        data_ = own.data_;
        own.data_ = emptyUnits(kWide);
        return;
    }
    block->refCount.fetch_add(1, std::memory_order_relaxed);
}

String::String(String&& other) noexcept : data_(other.data_) { other.data_ = emptyUnits(kWide); }

String::~String() { releaseBlock(); }

String& String::operator=(const String& other) {
    if (data_ != other.data_) {
        String copy(other);
        std::swap(data_, copy.data_);
    }
    return *this;
}

String& String::operator=(String&& other) noexcept {
    std::swap(data_, other.data_);
    return *this;
}

void String::releaseBlock() {
    StringBlock* block = blockOf(data_);
    if (block->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) freeBlock(data_);
}

unsigned String::length() const { return blockOf(data_)->length; }
unsigned String::unitSize() const { return blockOf(data_)->unitSize; }
unsigned String::capacity() const { return blockOf(data_)->capacity; }
unsigned String::refCount() const { return blockOf(data_)->refCount.load(std::memory_order_relaxed); }

unsigned String::at(unsigned index) const {
    const StringBlock* block = blockOf(data_);
    return index < block->length ? unitIn(data_, block->unitSize, index) : 0;
}

bool String::pointsIntoBlock(const void* p) const {
    const unsigned char* q = static_cast<const unsigned char*>(p);
    const unsigned char* begin = data_;
    const unsigned char* end = data_ + (static_cast<size_t>(prefixOf(data_)->room) + 1) * unitSize();
    return std::less_equal<const unsigned char*>()(begin, q) && std::less<const unsigned char*>()(q, end);
}

unsigned char* String::prepareWrite(unsigned newLength) {
    unsigned keep = std::min(length(), newLength);
    return beginWrite(unitSize(), newLength, keep, 0);
}

unsigned char* String::beginWrite(unsigned unitSize, unsigned newLength, unsigned keepHead, unsigned keepTail) {
    StringBlock* block = blockOf(data_);
    const unsigned oldLength = block->length;
    const unsigned oldSize = block->unitSize;
    if (block->refCount.load(std::memory_order_acquire) == 1 && oldSize == unitSize) {
        // The capacity stays above the length: one unit more than it is already moves it on.
        if (newLength >= block->capacity) {
            unsigned capacity = ruleCapacity(newLength);
            Prefix* prefix = prefixOf(data_);
            if (capacity > prefix->room) {
                uint64_t room = std::max<uint64_t>(capacity, prefix->room + uint64_t(prefix->room) / 2);
                room = std::min<uint64_t>(room, kMaxLength + 8);
                void* moved = std::realloc(prefix, bytesFor(unitSize, static_cast<unsigned>(room)));
                if (!moved) outOfMemory();
                prefix = static_cast<Prefix*>(moved);
                prefix->room = static_cast<uint32_t>(room);
                data_ = reinterpret_cast<unsigned char*>(moved) + kPrefixBytes;
                block = blockOf(data_);
            }
            block->capacity = capacity;
        }
        block->flags |= kStringWriting;
        if (keepTail && newLength != oldLength) {
            std::memmove(data_ + static_cast<size_t>(newLength - keepTail) * unitSize,
                         data_ + static_cast<size_t>(oldLength - keepTail) * unitSize,
                         static_cast<size_t>(keepTail) * unitSize);
        }
        return data_;
    }
    // Shared (or changing its unit size): a block of its own with the kept units.
    unsigned char* fresh = allocateBlock(unitSize, ruleCapacity(newLength));
    blockOf(fresh)->flags |= kStringWriting;
    putUnits(fresh, unitSize, data_, oldSize, keepHead);
    putUnits(fresh + static_cast<size_t>(newLength - keepTail) * unitSize, unitSize,
             data_ + static_cast<size_t>(oldLength - keepTail) * oldSize, oldSize, keepTail);
    std::memset(fresh + static_cast<size_t>(newLength) * unitSize, 0, unitSize);
    releaseBlock();
    data_ = fresh;
    return data_;
}

void String::finishWrite(unsigned newLength) {
    StringBlock* block = blockOf(data_);
    block->length = newLength;
    std::memset(data_ + static_cast<size_t>(newLength) * block->unitSize, 0, block->unitSize);
    block->flags &= ~static_cast<uint32_t>(kStringWriting);
}

void String::splice(unsigned pos, unsigned removeCount, const void* src, unsigned count, unsigned srcUnitSize) {
    if (count && pointsIntoBlock(src)) {
        // The text is part of this string: copy it before the block moves or changes.
        std::vector<unsigned char> copy(static_cast<const unsigned char*>(src),
                                        static_cast<const unsigned char*>(src) + static_cast<size_t>(count) * srcUnitSize);
        splice(pos, removeCount, copy.data(), count, srcUnitSize);
        return;
    }
    const unsigned size = unitSize();
    const unsigned oldLength = length();
    const unsigned newLength = checkedLength(uint64_t(oldLength) - removeCount + count);
    unsigned char* units = beginWrite(size, newLength, pos, oldLength - pos - removeCount);
    putUnits(units + static_cast<size_t>(pos) * size, size, src, srcUnitSize, count);
    finishWrite(newLength);
}

// ---- assigning and appending ----

String& String::operator=(char16_t unit) { return assign(&unit, 1); }

String& String::assign(const char16_t* text, int length) {
    unsigned count = measure(text, length);
    if (count && pointsIntoBlock(text)) return *this = String(text, static_cast<int>(count));
    unsigned char* units = beginWrite(kWide, count, 0, 0);
    putUnits(units, kWide, text, kWide, count);
    finishWrite(count);
    return *this;
}

String& String::assign(const char* text, int length) {
    unsigned count = measure(text, length);
    if (count && pointsIntoBlock(text)) return *this = String(text, static_cast<int>(count));
    unsigned char* units = beginWrite(kNarrow, count, 0, 0);
    putUnits(units, kNarrow, text, kNarrow, count);
    finishWrite(count);
    return *this;
}

String& String::append(unsigned unit) {
    StringBlock* block = blockOf(data_);
    const unsigned oldLength = block->length;
    const unsigned size = block->unitSize;
    if (size == kWide && oldLength + 1 < block->capacity && block->refCount.load(std::memory_order_acquire) == 1) {
        // The common case of building a text unit by unit: room in a block of its own.
        block->flags |= kStringWriting;
        char16_t pair[2] = {static_cast<char16_t>(unit), 0};
        std::memcpy(data_ + static_cast<size_t>(oldLength) * 2, pair, sizeof pair);
        block->length = oldLength + 1;
        block->flags &= ~static_cast<uint32_t>(kStringWriting);
        return *this;
    }
    unsigned char* units = prepareWrite(checkedLength(uint64_t(oldLength) + 1));
    if (size == kNarrow) {
        units[oldLength] = static_cast<unsigned char>(unit);
    } else {
        char16_t wide = static_cast<char16_t>(unit);
        std::memcpy(units + static_cast<size_t>(oldLength) * 2, &wide, 2);
    }
    finishWrite(oldLength + 1);
    return *this;
}

String& String::append(const char16_t* text, int length) {
    unsigned count = measure(text, length);
    if (count == 0) return *this;
    if (isEmpty() && !isWide()) return assign(text, static_cast<int>(count));
    splice(this->length(), 0, text, count, kWide);
    return *this;
}

String& String::append(const char* text, int length) {
    unsigned count = measure(text, length);
    if (count == 0) return *this;
    if (isEmpty() && isWide()) return assign(text, static_cast<int>(count));
    splice(this->length(), 0, text, count, kNarrow);
    return *this;
}

String& String::append(const String& other) {
    if (other.isEmpty()) return *this;
    if (isEmpty()) return *this = other;
    splice(length(), 0, other.data_, other.length(), other.unitSize());
    return *this;
}

void String::clear() {
    if (isEmpty()) return;
    if (refCount() == 1) {
        beginWrite(unitSize(), 0, 0, 0);
        finishWrite(0);
        return;
    }
    unsigned char* empty = emptyUnits(unitSize());
    releaseBlock();
    data_ = empty;
}

String operator+(const String& a, const String& b) { return String(a).append(b); }
String operator+(const String& a, const char16_t* b) { return String(a).append(b); }
String operator+(const String& a, const char* b) { return String(a).append(b); }
String operator+(const String& a, char16_t unit) { return String(a).append(unit); }
String operator+(const char16_t* a, const String& b) { return String(a).append(b); }

// ---- formatting ----

String& String::format(const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    vformat(format, args);
    va_end(args);
    return *this;
}

String& String::format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vformat(format, args);
    va_end(args);
    return *this;
}

String& String::vformat(const char16_t* format, va_list args) {
    std::u16string text = formatWide(format, args);
    return *this = String(text.data(), static_cast<int>(checkedLength(text.size())));
}

String& String::vformat(const char* format, va_list args) {
    return *this = formatNarrow(format, args);
}

// ---- comparing and searching ----

int String::compare(const char16_t* other) const {
    unsigned otherLength = measure(other, -1);
    const unsigned n = std::min(length(), otherLength);
    const unsigned size = unitSize();
    for (unsigned i = 0; i < n; ++i) {
        unsigned a = unitIn(data_, size, i);
        if (a != other[i]) return a < other[i] ? -1 : 1;
    }
    if (length() == otherLength) return 0;
    return length() > otherLength ? 1 : -1;
}

int String::compare(const String& other) const {
    const unsigned n = std::min(length(), other.length());
    const unsigned size = unitSize();
    const unsigned otherSize = other.unitSize();
    for (unsigned i = 0; i < n; ++i) {
        unsigned a = unitIn(data_, size, i);
        unsigned b = unitIn(other.data_, otherSize, i);
        if (a != b) return a < b ? -1 : 1;
    }
    if (length() == other.length()) return 0;
    return length() > other.length() ? 1 : -1;
}

bool String::operator==(const String& other) const {
    if (data_ == other.data_) return true;
    if (length() != other.length()) return false;
    if (unitSize() == other.unitSize()) return std::memcmp(data_, other.data_, size_t(length()) * unitSize()) == 0;
    return compare(other) == 0;
}

int String::find(const char16_t* pattern, int from) const {
    unsigned m = measure(pattern, -1);
    if (isWide()) return findIn(wstr(), length(), pattern, m, asPosition(from));
    return findIn(data_, length(), pattern, m, asPosition(from));
}

int String::find(char16_t unit, int from) const {
    if (isWide()) return findIn(wstr(), length(), &unit, 1, asPosition(from));
    return findIn(data_, length(), &unit, 1, asPosition(from));
}

int String::rfind(const char16_t* pattern, int from) const {
    unsigned m = measure(pattern, -1);
    if (isWide()) return rfindIn(wstr(), length(), pattern, m, asPosition(from));
    return rfindIn(data_, length(), pattern, m, asPosition(from));
}

int String::rfind(char16_t unit, int from) const {
    if (isWide()) return rfindIn(wstr(), length(), &unit, 1, asPosition(from));
    return rfindIn(data_, length(), &unit, 1, asPosition(from));
}

String String::mid(int start, int count) const {
    const uint64_t len = length();
    const uint64_t first = asPosition(start);
    if (first >= len) return isWide() ? String() : String("");
    uint64_t n = asPosition(count);
    if (count == -1 || first + n > len) n = len - first;
    if (first == 0 && n == len) return *this;
    return String(data_ + first * unitSize(), unitSize(), static_cast<unsigned>(n), 0);
}

String String::right(int count) const {
    const uint64_t n = asPosition(count);
    if (n >= length()) return *this;
    return String(data_ + (length() - n) * unitSize(), unitSize(), static_cast<unsigned>(n), 0);
}

// ---- replacing and erasing ----

String& String::replace(int pos, int count, const char16_t* text) {
    const uint64_t len = length();
    const uint64_t first = asPosition(pos);
    // Inside a non-empty string, or position 0 of an empty one (an insertion).
    if (!check(first < len || (len == 0 && first == 0), "0", kFile, kLineReplace)) return *this;
    const uint64_t cut = std::min<uint64_t>(asPosition(count), len - first);
    const unsigned n = measure(text, -1);
    if (cut == 0 && n == 0) return *this;
    splice(static_cast<unsigned>(first), static_cast<unsigned>(cut), text, n, kWide);
    return *this;
}

String& String::erase(int pos, int count) {
    const uint64_t len = length();
    if (len == 0) return *this;
    const uint64_t first = asPosition(pos);
    if (!check(first < len, "0", kFile, kLineErase)) return *this;
    const uint64_t cut = std::min<uint64_t>(asPosition(count), len - first);
    if (cut == 0) return *this;
    splice(static_cast<unsigned>(first), static_cast<unsigned>(cut), nullptr, 0, unitSize());
    return *this;
}

// Occurrences are found left to right in the original text and never overlap; text that a
// replacement inserts is not searched again. An empty pattern matches nothing (it would
// otherwise match at every position, endlessly).
String& String::replaceAll(const char16_t* pattern, const char16_t* replacement) {
    const unsigned m = measure(pattern, -1);
    if (m == 0) return *this;
    int hit = find(pattern, 0);
    if (hit < 0) return *this;
    const unsigned r = measure(replacement, -1);
    const unsigned size = unitSize();
    // Built in one pass, so a text with many occurrences is not moved again for each one.
    std::vector<unsigned char> out;
    out.reserve(size_t(length()) * size);
    std::vector<unsigned char> replacementUnits(size_t(r) * size);
    putUnits(replacementUnits.data(), size, replacement, kWide, r);
    unsigned done = 0;
    while (hit >= 0) {
        out.insert(out.end(), data_ + size_t(done) * size, data_ + size_t(hit) * size);
        out.insert(out.end(), replacementUnits.begin(), replacementUnits.end());
        done = static_cast<unsigned>(hit) + m;
        hit = find(pattern, static_cast<int>(done));
    }
    out.insert(out.end(), data_ + size_t(done) * size, data_ + size_t(length()) * size);
    const unsigned newLength = checkedLength(out.size() / size);
    unsigned char* units = beginWrite(size, newLength, 0, 0);
    if (!out.empty()) std::memcpy(units, out.data(), out.size());
    finishWrite(newLength);
    return *this;
}

}  // namespace kiv
