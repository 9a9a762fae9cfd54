// kiv::XmlElement: one element of an XML tree (name, text, attributes, ordered children),
// and the element path with which callers address an element below another ('a>b[2]').
#pragma once

#include <list>
#include <map>

#include "kiv/object_kiv.h"
#include "kiv/pointer_kiv.h"
#include "kiv/string_kiv.h"

namespace kiv {

// Orders names code unit by code unit as unsigned 16-bit values, a proper prefix first:
// "encoding" < "version", "Z" < "a".
struct XmlNameLess {
    bool operator()(const String& a, const String& b) const;
};

// Attribute name -> value, both wide and in decoded form; iteration (and so output) follows
// the name order, not the order of insertion. Assigning to an existing name replaces it.
using XmlAttributes = std::map<String, String, XmlNameLess>;

// An element name must not contain ':' '>' '[' ']' or a space (the path syntax uses them).
// Nothing else is tested: the empty name passes.
bool isValidElementName(const String& name);
// A declaration attribute name must not contain '=' '>' '<' or a space.
bool isValidDeclarationName(const String& name);

class XmlElement : public Object {
public:
    // Owning pointers to the children, in insertion (for a loaded document: document) order.
    using ChildList = std::list<Pointer<XmlElement>>;

    XmlElement();
    ~XmlElement() override;
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;

    String getName() const;
    // False, and the name unchanged, when the name fails isValidElementName.
    bool setName(const String& name);

    // Decoded text (entity references already replaced).
    String getText() const;
    void setText(const String& text);

    // Read and write access to the attribute map (the reader fills it, the writer walks it).
    XmlAttributes& attributes();
    const XmlAttributes& attributes() const;
    // The value stored under the name; empty (and nothing added) when there is none.
    String getAttribute(const String& name) const;
    void setAttribute(const String& name, const String& value);

    unsigned getChildCount() const;
    const ChildList& children() const;
    // Appends a copy of the pointer (never an empty one); always true. A referring pointer
    // is logged as a warning and appended all the same.
    bool addChild(const Pointer<XmlElement>& child);
    // Appends a new owned child named `name` (left unnamed when the name is rejected) and
    // returns it.
    XmlElement* createChild(const String& name);

    // The element at `path` below this one: this element for the empty path, null when any
    // step is missing or the path has no steps (">").
    XmlElement* findChild(const String& path) const;
    // Like findChild, but appends every missing element on the way ('x[3]' under an element
    // without x children makes three x and selects the third). Null for a path without
    // steps or with a step name that isValidElementName rejects.
    XmlElement* obtainChild(const String& path);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace kiv
