// kiv::Object: the virtual destructor every library class shares, which detaches a
// liveness record from an object that dies.
#include "kiv/object_kiv.h"

namespace kiv {

Object::~Object() {
    if (liveness) {
        liveness->object = nullptr;
        if (--liveness->count == 0) delete liveness;
        liveness = nullptr;
    }
}

}  // namespace kiv
