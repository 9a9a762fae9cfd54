// Figures for kiv::String against the standard library: appending one unit at a time,
// searching a long text, and UTF-16 -> UTF-8 -> UTF-16 of a large text. Prints times and
// ratios; a slow figure is for reading, never a failure.
#include <cstdio>
#include <string>

#include "bench_timing.h"
#include "kiv/stringc_kiv.h"

namespace {

using kivbench::millisecondsOf;

// Keeps results alive so the compiler cannot drop the work.
volatile unsigned g_sink;

void report(const char* what, double ours, const char* reference, double theirs, double target) {
    double ratio = theirs > 0 ? ours / theirs : 0;
    std::printf("%-34s kiv %9.3f ms   %-22s %9.3f ms   ratio %6.2f%s\n", what, ours, reference, theirs, ratio,
                target > 0 ? (ratio <= target ? "  (target met)" : "  (ABOVE TARGET)") : "");
}

void appendOneByOne() {
    const unsigned n = 1000000;
    double ours = millisecondsOf([&] {
        kiv::String s;
        for (unsigned i = 0; i < n; ++i) s.append(static_cast<unsigned>(u'a' + i % 26));
        g_sink = s.length();
    });
    double theirs = millisecondsOf([&] {
        std::u16string s;
        for (unsigned i = 0; i < n; ++i) s.push_back(static_cast<char16_t>(u'a' + i % 26));
        g_sink = static_cast<unsigned>(s.size());
    });
    report("append 1,000,000 units", ours, "std::u16string", theirs, 3.0);
}

void findInOneMegabyte() {
    const unsigned n = 512 * 1024;  // 1 MB of UTF-16
    std::u16string text(n, u'a');
    for (unsigned i = 0; i < n; i += 97) text[i] = u'b';
    const std::u16string pattern = u"aaaaaaaaaaaaaaaaaaaac";  // near misses all the way
    text.replace(n - pattern.size(), pattern.size(), pattern);
    kiv::String s(text.data(), static_cast<int>(text.size()));
    double ours = millisecondsOf([&] { g_sink = static_cast<unsigned>(s.find(pattern.c_str())); });
    double theirs = millisecondsOf([&] { g_sink = static_cast<unsigned>(text.find(pattern)); });
    report("find over 1 MB", ours, "std::u16string::find", theirs, 0);
}

// The straightforward per-unit UTF-8 encoder and decoder the conversion is measured against.
std::string referenceEncode(const std::u16string& in) {
    std::string out;
    for (char16_t c : in) {
        unsigned u = c;
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::u16string referenceDecode(const std::string& in) {
    std::u16string out;
    for (size_t i = 0; i < in.size();) {
        unsigned b = static_cast<unsigned char>(in[i]);
        if (b < 0x80) {
            out += char16_t(b);
            i += 1;
        } else if ((b & 0xE0) == 0xC0) {
            out += char16_t(((b & 0x1F) << 6) | (in[i + 1] & 0x3F));
            i += 2;
        } else {
            out += char16_t(((b & 0x0F) << 12) | ((in[i + 1] & 0x3F) << 6) | (in[i + 2] & 0x3F));
            i += 3;
        }
    }
    return out;
}

void utf8RoundTrip() {
    const unsigned n = 5 * 1024 * 1024;  // 10 MB of UTF-16: ASCII, Latin and CJK mixed
    std::u16string text(n, u'x');
    for (unsigned i = 0; i < n; ++i) text[i] = i % 3 == 0 ? u'a' : i % 3 == 1 ? u'\u00E9' : u'\u4F11';
    kiv::String s(text.data(), static_cast<int>(text.size()));
    double ours = millisecondsOf(
        [&] { g_sink = kiv::stringC().utf8ToWStr(kiv::stringC().wstrToUtf8(s)).length(); }, 3);
    double theirs = millisecondsOf([&] { g_sink = static_cast<unsigned>(referenceDecode(referenceEncode(text)).size()); }, 3);
    report("UTF-16 -> UTF-8 -> UTF-16, 10 MB", ours, "reference loop", theirs, 0);
}

}  // namespace

int main() {
    std::printf("kiv::String benchmark (best of several rounds)\n");
    appendOneByOne();
    findInOneMegabyte();
    utf8RoundTrip();
    return 0;
}
