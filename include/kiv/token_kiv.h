// kiv::Token: cuts a text into the non-empty pieces between separators.
#pragma once

#include "kiv/object_kiv.h"
#include "kiv/string_kiv.h"

namespace kiv {

class Token : public Object {
public:
    // Copies both texts (a narrow separator widened byte by byte). The separator must not
    // be empty (the path walk passes ">").
    Token(const String& source, const String& separator);
    ~Token() override;

    // The next non-empty piece; runs of separators (leading ones too) are skipped.
    // The empty string once the source is used up: 'a>>b>' gives "a", "b", "".
    String next();

private:
    String source_;
    String separator_;
    int position_;  // where the next search starts; -1 once the source is used up
};

}  // namespace kiv
