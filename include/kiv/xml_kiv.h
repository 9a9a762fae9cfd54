// kiv::Xml: an XML document, its declaration attributes and its root element.
//
// load() is defined with the reader in src/base/xmlreader_kiv.cpp; save() with the writer
// in src/base/xmlwriter_kiv.cpp; everything else in src/base/xml_kiv.cpp.
#pragma once

#include "kiv/object_kiv.h"
#include "kiv/pointer_kiv.h"
#include "kiv/string_kiv.h"
#include "kiv/xmlelement_kiv.h"

namespace kiv {

class BaseStream;

class Xml : public Object {
public:
    Xml();
    ~Xml() override;
    Xml(const Xml&) = delete;
    Xml& operator=(const Xml&) = delete;

    // Empties the declaration and lastError and drops the root (and with it the tree).
    void clear();
    // Clears the document, then gives it a new root named `name`; false (document left
    // empty) when the name fails isValidElementName.
    bool createRoot(const String& name);
    // Replaces the root pointer by a copy of `root`, releasing the previous root.
    void setRoot(const Pointer<XmlElement>& root);
    // The root element, or null when the document has none.
    XmlElement* getRoot() const;

    // The element at `path` below the root (the root's own name is never part of a path):
    // the root for the empty path, null when missing or when there is no root.
    XmlElement* findElement(const String& path) const;

    // The declaration value under `name`; an absent name is added with an empty value.
    String getDeclaration(const String& name);
    // False (nothing stored) when the name fails isValidDeclarationName.
    bool setDeclaration(const String& name, const String& value);
    // getDeclaration("encoding").
    String getEncoding();
    // Read and write access to the declaration map (the reader fills it directly).
    XmlAttributes& declaration();
    const XmlAttributes& declaration() const;

    // Reads a whole document from the stream (src/base/xmlreader_kiv.cpp). The document is
    // not cleared first. False after a format error, with the report in lastError.
    bool load(BaseStream& stream);
    // Writes the declaration and the tree (src/base/xmlwriter_kiv.cpp); with `lineBreaks`
    // one element per line, indented one space per level. False when any write failed or
    // the stream is in its error state afterwards.
    bool save(BaseStream& stream, bool lineBreaks);

    // The report of the most recent failed load; empty after construction and clear().
    String getLastError() const;
    void setLastError(const String& report);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace kiv
