// kiv::XmlElement: name, text, attributes and owned children of one XML element, and the
// path walks that find or create elements below it.
#include "kiv/xmlelement_kiv.h"

#include "kiv/debug_kiv.h"
#include "kiv/xmlpath_kiv.h"

namespace kiv {

namespace {

const char kFile[] = "src/base/xmlelement_kiv.cpp";

bool containsAny(const String& name, const char16_t* rejected) {
    const unsigned length = name.length();
    for (unsigned i = 0; i < length; ++i) {
        const unsigned unit = name.at(i);
        for (const char16_t* r = rejected; *r; ++r) {
            if (unit == static_cast<unsigned>(*r)) return true;
        }
    }
    return false;
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
    const unsigned lengthA = a.length();
    const unsigned lengthB = b.length();
    const unsigned common = lengthA < lengthB ? lengthA : lengthB;
    for (unsigned i = 0; i < common; ++i) {
        const unsigned unitA = a.at(i) & 0xFFFFu;
        const unsigned unitB = b.at(i) & 0xFFFFu;
        if (unitA != unitB) return unitA < unitB;
    }
    return lengthA < lengthB;
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
