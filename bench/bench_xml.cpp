// Figures for the XML reader and writer against tinyxml2 on the same bytes: load and save of
// generated documents of 100 KB, 1 MB and 10 MB, one shape with many small elements and one
// with a single large text. Prints times, ratios to tinyxml2 and the 10 MB / 1 MB scaling,
// and how much of a load is the stream's line reading alone; a slow figure is for reading,
// never a failure.
#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench_timing.h"
#include "kiv/xml_kiv.h"
#include "memory_stream.h"

namespace {

using kivbench::millisecondsOf;

volatile size_t g_sink;

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// Settings-like records: many small elements with attributes, text and an entity.
std::string manyElements(size_t bytes) {
    std::string text = kDeclaration;
    text += "<root>\n";
    for (size_t i = 0; text.size() < bytes; ++i) {
        const std::string n = std::to_string(i);
        text += " <item id=\"" + n + "\" name='item " + n + "'>value " + n +
                " &amp; more</item>\n <empty flag=\"1\"/>\n";
    }
    text += "</root>\n";
    return text;
}

// One element whose text is the whole document: words over many lines.
std::string oneLargeText(size_t bytes) {
    std::string text = kDeclaration;
    text += "<root><text>";
    static const char* const words[] = {"rest ", "break ", "&lt;work&gt; ", "minutes ", "screen\n"};
    for (size_t i = 0; text.size() < bytes; ++i) text += words[i % 5];
    text += "</text></root>\n";
    return text;
}

struct Figures {
    double kivLoad, tinyLoad, kivSave, tinySave;
    double lines;  // of kivLoad: the stream's readLine over the same bytes
};

Figures measure(const std::string& bytes, int rounds) {
    Figures f{};
    // The in-memory source is made outside the timed part (the copy of the bytes is the
    // benchmark's, not the reader's).
    f.kivLoad = 1e300;
    for (int i = 0; i < rounds; ++i) {
        kivtest::MemoryStream in(bytes, kiv::BaseStream::kUtf8);
        f.kivLoad = std::min(f.kivLoad, millisecondsOf(
            [&] {
                kiv::Xml document;
                if (!document.load(in)) std::printf("kiv failed to load\n");
                g_sink = document.getRoot() ? document.getRoot()->getChildCount() : 0;
            },
            1));
    }
    f.lines = 1e300;
    for (int i = 0; i < rounds; ++i) {
        kivtest::MemoryStream in(bytes, kiv::BaseStream::kUtf8);
        f.lines = std::min(f.lines, millisecondsOf(
            [&] {
                kiv::String line;
                size_t units = 0;
                while (in.readLine(line)) units += line.length();
                g_sink = units;
            },
            1));
    }
    f.tinyLoad = millisecondsOf(
        [&] {
            tinyxml2::XMLDocument document;
            if (document.Parse(bytes.data(), bytes.size()) != tinyxml2::XML_SUCCESS)
                std::printf("tinyxml2 failed to load\n");
            g_sink = document.RootElement() ? 1 : 0;
        },
        rounds);

    kivtest::MemoryStream in(bytes, kiv::BaseStream::kUtf8);
    kiv::Xml ours;
    ours.load(in);
    f.kivSave = millisecondsOf(
        [&] {
            kivtest::MemoryStream out(std::string(), kiv::BaseStream::kUtf8);
            ours.save(out, true);
            g_sink = out.written().size();
        },
        rounds);
    tinyxml2::XMLDocument theirs;
    theirs.Parse(bytes.data(), bytes.size());
    f.tinySave = millisecondsOf(
        [&] {
            tinyxml2::XMLPrinter printer;
            theirs.Print(&printer);
            g_sink = static_cast<size_t>(printer.CStrSize());
        },
        rounds);
    return f;
}

void printRow(const char* shape, const char* size, const Figures& f) {
    std::printf("%-14s %6s  load kiv %8.2f ms (readLine %7.2f)  tinyxml2 %7.2f ms  ratio %5.2f%s   "
                "save kiv %8.2f ms  tinyxml2 %7.2f ms  ratio %5.2f\n",
                shape, size, f.kivLoad, f.lines, f.tinyLoad, f.kivLoad / f.tinyLoad,
                f.kivLoad / f.tinyLoad <= 5.0 ? "" : " (ABOVE 5x)", f.kivSave, f.tinySave,
                f.kivSave / f.tinySave);
}

void printScaling(const char* shape, const Figures& mega, const Figures& tenMega) {
    const double load = tenMega.kivLoad / mega.kivLoad;
    const double save = tenMega.kivSave / mega.kivSave;
    std::printf("%-14s 10 MB / 1 MB: load x%.2f%s, save x%.2f%s\n", shape, load,
                load <= 12.0 ? "" : " (ABOVE 12x)", save, save <= 12.0 ? "" : " (ABOVE 12x)");
}

void run(const char* shape, std::string (*generate)(size_t)) {
    const Figures small = measure(generate(100 * 1024), 9);
    printRow(shape, "100 KB", small);
    const Figures mega = measure(generate(1024 * 1024), 5);
    printRow(shape, "1 MB", mega);
    const Figures tenMega = measure(generate(10 * 1024 * 1024), 3);
    printRow(shape, "10 MB", tenMega);
    printScaling(shape, mega, tenMega);
}

}  // namespace

int main() {
    std::printf("XML load (bytes in memory -> tree) and save (tree -> UTF-8 bytes with line breaks);"
                " best of several rounds\n");
    run("many elements", manyElements);
    run("one large text", oneLargeText);
    return 0;
}
