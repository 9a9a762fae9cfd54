// Element paths ('a>b[2]') cut into steps of name and 0-based index.
#include "kiv/xmlpath_kiv.h"

#include "kiv/stringc_kiv.h"
#include "kiv/token_kiv.h"

namespace kiv {

std::deque<PathStep> parsePath(const String& path) {
    std::deque<PathStep> steps;
    Token token(path, String(u">"));
    for (String piece = token.next(); !piece.isEmpty(); piece = token.next()) {
        PathStep step;
        const int open = piece.find(u'[');
        if (open < 0) {
            step.name = piece;
        } else {
            step.name = piece.mid(0, open);
            const int close = piece.find(u']', open + 1);
            if (close >= 0) {
                const int32_t n = stringC().digitsToInt(piece.mid(open + 1, close - open - 1));
                step.index = n > 0 ? n - 1 : 0;
            }
        }
        steps.push_back(step);
    }
    return steps;
}

}  // namespace kiv
