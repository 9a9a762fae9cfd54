// The pieces of the XML writer behind kiv::Xml::save.
#pragma once

#include "kiv/string_kiv.h"

namespace kiv {

class BaseStream;
class XmlElement;

// Replaces & < > ' " by &amp; &lt; &gt; &apos; &quot; (in that order, so the ampersands
// of the references written are not escaped again).
void encodeEntities(String& text);

// Writes `element` and its subtree: with `lineBreaks` each start and end tag on its own
// line after `indent`, children one space deeper; text follows its start tag directly,
// and after text nothing is indented. Attributes with empty values are left out. False when
// a write failed (the rest of the subtree is not written).
bool writeElement(BaseStream& stream, const XmlElement& element, bool lineBreaks, const String& indent);

}  // namespace kiv
