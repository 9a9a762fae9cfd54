// The base of every class of the kiv library.
#pragma once

#include <atomic>

namespace kiv {

// Shared with observers that want to know whether an object still lives; nothing in this
// program attaches one, but an object that has one detaches it when it dies.
struct Liveness {
    std::atomic<int> count;
    class Object* object;
};

class Object {
public:
    Object() = default;
    Object(const Object&) {}                 // liveness belongs to one object, never copied
    Object& operator=(const Object&) { return *this; }
    virtual ~Object();

protected:
    Liveness* liveness = nullptr;
};

}  // namespace kiv
