// kiv::ProfileFile: a key-value store kept in an XML file. A section is an element below
// the root (the empty section is the root), a key an element below its section, and the
// value the key element's text.
#pragma once

#include <cstdint>

#include "kiv/object_kiv.h"
#include "kiv/string_kiv.h"

namespace kiv {

class Xml;

class ProfileFile : public Object {
public:
    ProfileFile();
    ~ProfileFile() override;
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // Replaces the document by one holding only a root named `name`; false for a name
    // that is not a valid element name.
    bool createRoot(const String& name);
    // Reads the file (UTF-8) into the document; false when it cannot be opened (document
    // unchanged) or is malformed.
    bool load(const String& fileName);
    // The same for a file of at most `maxBytes`: a larger one is not read at all and
    // counts as unreadable, so a planted huge file cannot take the program's memory.
    bool load(const String& fileName, uint64_t maxBytes);
    // Writes the document (UTF-8, CR LF line breaks) to a temporary file of its own beside
    // the target and moves it over the target only when every write, the flush and the
    // close succeeded. The temporary is created new: a name that exists already (a file
    // or a link someone planted) is never opened, the next name is taken instead. On any failure the old file is untouched and false is returned.
    // Temporaries of the target older than a day, left by saves that were cut off, are
    // removed first.
    bool saveAs(const String& fileName);

    // The key's text, or `defaultValue` when the section or the key is missing. A key with
    // empty text answers the empty text.
    String getValue(const String& section, const String& key, const String& defaultValue);
    // The key's leading decimal digits ("90abc" -> 90, "abc" -> 0); `defaultValue` when the
    // text is empty or missing.
    int32_t getIntValue(const String& section, const String& key, int32_t defaultValue);
    // Stores the text under section and key, creating what is missing. False for an empty
    // key, or (with a precondition report) when the document has no root.
    bool setValue(const String& section, const String& key, const String& value);
    // Stores the number as unsigned decimal (-1 as 4294967295, read back as -1).
    bool setIntValue(const String& section, const String& key, int32_t value);

    // The document, for inspection.
    Xml& document();

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace kiv
