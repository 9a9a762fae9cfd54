// kiv::Xml: the document object (root, declaration, last load error). Loading lives in
// xmlreader_kiv.cpp and saving in xmlwriter_kiv.cpp.
#include "kiv/xml_kiv.h"

namespace kiv {

struct Xml::Impl {
    Pointer<XmlElement> root;
    String lastError;
    XmlAttributes declaration;
};

Xml::Xml() : impl_(new Impl) {}

Xml::~Xml() { delete impl_; }

void Xml::clear() {
    impl_->declaration.clear();
    impl_->root.release();
    impl_->lastError.clear();
}

bool Xml::createRoot(const String& name) {
    clear();
    if (!isValidElementName(name)) return false;
    Pointer<XmlElement> root;
    root.create()->setName(name);
    setRoot(root);
    return true;
}

void Xml::setRoot(const Pointer<XmlElement>& root) { impl_->root = root; }

XmlElement* Xml::getRoot() const { return impl_->root.get(); }

XmlElement* Xml::findElement(const String& path) const {
    XmlElement* root = getRoot();
    if (!root) return nullptr;
    return root->findChild(path);
}

String Xml::getDeclaration(const String& name) { return impl_->declaration[name]; }

bool Xml::setDeclaration(const String& name, const String& value) {
    if (!isValidDeclarationName(name)) return false;
    impl_->declaration[name] = value;
    return true;
}

String Xml::getEncoding() { return getDeclaration(String(u"encoding")); }

XmlAttributes& Xml::declaration() { return impl_->declaration; }

const XmlAttributes& Xml::declaration() const { return impl_->declaration; }

String Xml::getLastError() const { return impl_->lastError; }

void Xml::setLastError(const String& report) { impl_->lastError = report; }

}  // namespace kiv
