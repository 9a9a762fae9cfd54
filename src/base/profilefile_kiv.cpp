// kiv::ProfileFile: settings kept as element texts in an XML document, loaded from and
// saved to a file whole.
#include "kiv/profilefile_kiv.h"

#include "kiv/debug_kiv.h"
#include "kiv/file_kiv.h"
#include "kiv/pointer_kiv.h"
#include "kiv/stringc_kiv.h"
#include "kiv/xml_kiv.h"
#include "os_kiv.h"
#include "temporaryfile_kiv.h"

namespace kiv {

namespace {
const char kFile[] = "src/base/profilefile_kiv.cpp";
// A temporary older than this was left by a save that never finished.
const int64_t kStaleTemporaryAge = 24 * 60 * 60;
// Names tried for a save's temporary: one taken already (left by an earlier process of the
// same id, or planted) is passed over.
const int kTemporaryAttempts = 16;
}  // namespace

struct ProfileFile::Impl {
    Xml document;
};

ProfileFile::ProfileFile() : impl_(new Impl) {}

ProfileFile::~ProfileFile() { delete impl_; }

Xml& ProfileFile::document() { return impl_->document; }

bool ProfileFile::createRoot(const String& name) {
    impl_->document.clear();
    return impl_->document.createRoot(name);
}

bool ProfileFile::load(const String& fileName) {
    File file;
    if (!file.open(fileName, BaseStream::kRead, BaseStream::kUtf8)) return false;
    return impl_->document.load(file);
}

bool ProfileFile::load(const String& fileName, uint64_t maxBytes) {
    File file;
    if (!file.open(fileName, BaseStream::kRead, BaseStream::kUtf8)) return false;
    const long long size = file.size();
    if (size < 0 || static_cast<uint64_t>(size) > maxBytes) return false;
    return impl_->document.load(file);
}

bool ProfileFile::saveAs(const String& fileName) {
    if (fileName.isEmpty()) {
        log("[%s]: ", "kiv::ProfileFile::saveAs");
        return false;
    }
    removeStaleTemporaries(fileName, os::now(), kStaleTemporaryAge);
    // The new contents go to a temporary file beside the target, which replaces the target
    // only once it is completely on the disk: a failed save never leaves a half-written
    // settings file behind. Each save has a temporary of its own, so two copies of the
    // program saving at once cannot write into one file.
    String temporary;
    File file;
    for (int attempt = 0; attempt < kTemporaryAttempts && !file.isOpened(); ++attempt) {
        temporary = temporaryNameFor(fileName);
        file.open(temporary, BaseStream::kWrite | File::kCreateNew, BaseStream::kUtf8);
    }
    if (!file.isOpened()) return false;
    bool written = impl_->document.save(file, true);
    written = file.flush() && written;
    written = file.close() && written;
    if (!written || !os::replaceFile(temporary, fileName)) {
        os::removeFile(temporary);
        return false;
    }
    return true;
}

String ProfileFile::getValue(const String& section, const String& key, const String& defaultValue) {
    XmlElement* sectionElement = impl_->document.findElement(section);
    if (!sectionElement) return defaultValue;
    XmlElement* keyElement = sectionElement->findChild(key);
    if (!keyElement) return defaultValue;
    return keyElement->getText();
}

int32_t ProfileFile::getIntValue(const String& section, const String& key, int32_t defaultValue) {
    const String text = getValue(section, key, String());
    if (text.isEmpty()) return defaultValue;
    return stringC().digitsToInt(text);
}

bool ProfileFile::setValue(const String& section, const String& key, const String& value) {
    if (key.isEmpty()) {
        log("[%s]: ", "kiv::ProfileFile::setValue");
        return false;
    }
    Xml& document = impl_->document;
    XmlElement* sectionElement = section.isEmpty() ? document.getRoot() : document.findElement(section);
    if (!sectionElement) {
        XmlElement* root = document.getRoot();
        if (!check(root != nullptr, "pRoot", kFile, 122)) return false;
        sectionElement = root->obtainChild(section);
        if (!sectionElement) return false;  // a section path that cannot be created
    }

    Pointer<XmlElement> keyElement;
    keyElement.refer(sectionElement->findChild(key));
    if (keyElement.isNull()) {
        // A new key element could not carry a name that is not a plain element name, and
        // an unnamed element would never be found again.
        if (!isValidElementName(key)) return false;
        keyElement.create()->setName(key);
        sectionElement->addChild(keyElement);
    }
    keyElement->setText(value);
    return true;
}

bool ProfileFile::setIntValue(const String& section, const String& key, int32_t value) {
    return setValue(section, key, stringC().intToStr(value, 10));
}

}  // namespace kiv
