// kiv::XmlElement: name, text, attributes and owned children of one XML element, and the
// path walks that find or create elements below it.
#include "kiv/xmlelement_kiv.h"

#include "kiv/debug_kiv.h"
#include "kiv/xmlpath_kiv.h"

namespace kiv {

namespace {

const char kFile[] = "src/base/xmlelement_kiv.cpp";

template <class Unit>
bool containsAny(const Unit* units, unsigned length, const char16_t* rejected) {
    for (unsigned i = 0; i < length; ++i) {
        const unsigned unit = units[i];
        for (const char16_t* r = rejected; *r; ++r) {
            if (unit == static_cast<unsigned>(*r)) return true;
        }
    }
    return false;
}

bool containsAny(const String& name, const char16_t* rejected) {
    if (name.isWide()) return containsAny(name.wstr(), name.length(), rejected);
    return containsAny(reinterpret_cast<const unsigned char*>(name.str()), name.length(), rejected);
}

// Unit by unit as unsigned values, a proper prefix first.
template <class UnitA, class UnitB>
bool nameLess(const UnitA* a, unsigned lengthA, const UnitB* b, unsigned lengthB) {
    const unsigned common = lengthA < lengthB ? lengthA : lengthB;
    for (unsigned i = 0; i < common; ++i) {
        const unsigned unitA = a[i];
        const unsigned unitB = b[i];
        if (unitA != unitB) return unitA < unitB;
    }
    return lengthA < lengthB;
}

// The child of `parent` that is the `index`-th (0-based) named `name`, or null; `matches`
// receives how many children of that name were passed on the way.
XmlElement* childAt(const XmlElement& parent, const String& name, int index, int& matches) {
    matches = 0;
    for (const Pointer<XmlElement>& child : parent.children()) {
        XmlElement* element = child.pointer();
        if (element->getName() == name) {
            if (matches == index) return element;
            ++matches;
        }
    }
    return nullptr;
}

}  // namespace

bool XmlNameLess::operator()(const String& a, const String& b) const {
    // Names are wide (the reader makes them so); a narrow one compares by its byte values.
    const unsigned lengthA = a.length();
    const unsigned lengthB = b.length();
    const unsigned char* narrowA = reinterpret_cast<const unsigned char*>(a.str());
    const unsigned char* narrowB = reinterpret_cast<const unsigned char*>(b.str());
    if (a.isWide()) {
        return b.isWide() ? nameLess(a.wstr(), lengthA, b.wstr(), lengthB)
                          : nameLess(a.wstr(), lengthA, narrowB, lengthB);
    }
    return b.isWide() ? nameLess(narrowA, lengthA, b.wstr(), lengthB)
                      : nameLess(narrowA, lengthA, narrowB, lengthB);
}

bool isValidElementName(const String& name) { return !containsAny(name, u":>[] "); }

bool isValidDeclarationName(const String& name) { return !containsAny(name, u"=>< "); }

struct XmlElement::Impl {
    String name;
    String text;
    XmlAttributes attributes;
    ChildList children;
};

XmlElement::XmlElement() : impl_(new Impl) {}

XmlElement::~XmlElement() { delete impl_; }

String XmlElement::getName() const { return impl_->name; }

bool XmlElement::setName(const String& name) {
    if (!isValidElementName(name)) return false;
    impl_->name = name;
    return true;
}

String XmlElement::getText() const { return impl_->text; }

void XmlElement::setText(const String& text) { impl_->text = text; }

XmlAttributes& XmlElement::attributes() { return impl_->attributes; }

const XmlAttributes& XmlElement::attributes() const { return impl_->attributes; }

String XmlElement::getAttribute(const String& name) const {
    auto found = impl_->attributes.find(name);
    return found == impl_->attributes.end() ? String() : found->second;
}

void XmlElement::setAttribute(const String& name, const String& value) {
    impl_->attributes[name] = value;
}

unsigned XmlElement::getChildCount() const { return static_cast<unsigned>(impl_->children.size()); }

const XmlElement::ChildList& XmlElement::children() const { return impl_->children; }

bool XmlElement::addChild(const Pointer<XmlElement>& child) {
    // An empty pointer in the list would make every later walk of it fail: refuse it.
    if (child.isNull()) return false;
    if (!child.isOwner()) log("[WAR][%s]: ", "kiv::XmlElement::addChild");
    impl_->children.push_back(child);
    return true;
}

XmlElement* XmlElement::createChild(const String& name) {
    Pointer<XmlElement> child;
    XmlElement* element = child.create();
    element->setName(name);
    addChild(child);
    return element;
}

XmlElement* XmlElement::findChild(const String& path) const {
    XmlElement* current = const_cast<XmlElement*>(this);
    if (path.isEmpty()) return current;
    const std::deque<PathStep> steps = parsePath(path);
    if (steps.empty()) return nullptr;
    for (const PathStep& step : steps) {
        int matches = 0;
        current = childAt(*current, step.name, step.index, matches);
        if (!current) return nullptr;
    }
    return current;
}

XmlElement* XmlElement::obtainChild(const String& path) {
    const std::deque<PathStep> steps = parsePath(path);
    if (steps.empty()) return nullptr;
    XmlElement* current = this;
    for (const PathStep& step : steps) {
        // A child created under a rejected name would stay unnamed and never match, so
        // the walk could not end: refuse the path instead.
        if (!check(isValidElementName(step.name), "0", kFile, 255)) return nullptr;
        int matches = 0;
        XmlElement* found = childAt(*current, step.name, step.index, matches);
        // Append the missing same-named children; the last one appended is at the index.
        while (!found) {
            XmlElement* created = current->createChild(step.name);
            if (matches++ == step.index) found = created;
        }
        current = found;
    }
    return current;
}

}  // namespace kiv
