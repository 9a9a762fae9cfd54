// Bytes -> kiv::Xml::load. A document that loads must save and load again to the same tree
// (with and without line breaks); anything else is a fault.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kiv/xml_kiv.h"
#include "kiv/xmlelement_kiv.h"
#include "memory_stream.h"

namespace {

bool sameTree(const kiv::XmlElement* a, const kiv::XmlElement* b) {
    if (!a || !b) return a == b;
    if (a->getName() != b->getName() || a->getText() != b->getText()) return false;
    // The writer leaves out attributes with empty values.
    kiv::XmlAttributes kept;
    for (const auto& attribute : a->attributes())
        if (!attribute.second.isEmpty()) kept[attribute.first] = attribute.second;
    if (kept != b->attributes()) return false;
    if (a->getChildCount() != b->getChildCount()) return false;
    auto other = b->children().begin();
    for (const auto& child : a->children()) {
        if (!sameTree(child.get(), other->get())) return false;
        ++other;
    }
    return true;
}

void roundTrip(kiv::Xml& document, bool lineBreaks) {
    kivtest::MemoryStream out(std::string(), kiv::BaseStream::kUtf8);
    if (!document.save(out, lineBreaks)) {
        std::fprintf(stderr, "save failed\n");
        std::abort();
    }
    kivtest::MemoryStream in(out.written(), kiv::BaseStream::kUtf8);
    kiv::Xml again;
    if (!again.load(in)) {
        std::fprintf(stderr, "saved document does not load:\n%s\n", out.written().c_str());
        std::abort();
    }
    if (!sameTree(document.getRoot(), again.getRoot())) {
        std::fprintf(stderr, "saved document loads as another tree:\n%s\n", out.written().c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kivtest::MemoryStream stream(std::string(reinterpret_cast<const char*>(data), size),
                                 kiv::BaseStream::kUtf8);
    kiv::Xml document;
    if (!document.load(stream)) {
        if (document.getLastError().isEmpty()) std::abort();  // a failure always has its report
        return 0;
    }
    roundTrip(document, true);
    roundTrip(document, false);
    return 0;
}
