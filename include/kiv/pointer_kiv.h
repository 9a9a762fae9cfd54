// kiv::Pointer: a counted smart pointer that either owns its object or only refers to it.
#pragma once

#include "kiv/debug_kiv.h"
#include "kiv/object_kiv.h"

#include <utility>

namespace kiv {

// All copies share one cell (the object) and one counter. An owning pointer destroys the
// object when its last copy goes; a referring pointer only frees its own cell and counter,
// so it must not outlive the owner. The counter is a plain int: a pointer and its copies
// belong to one thread.
template <class T>
class Pointer {
public:
    using Deleter = void (*)(T*);

    Pointer() = default;
    Pointer(const Pointer& other)
        : cell_(other.cell_), count_(other.count_), owns_(other.owns_), deleter_(other.deleter_) {
        if (count_) ++*count_;
    }
    Pointer& operator=(const Pointer& other) {
        if (this != &other) {
            Pointer copy(other);
            swap(copy);
        }
        return *this;
    }
    ~Pointer() { release(); }

    // Releases what this pointer held, then owns a new default-constructed T.
    T* create() {
        release();
        T* object = new T();
        cell_ = new T*(object);
        count_ = new int(1);
        owns_ = true;
        return object;
    }

    // Releases what this pointer held, then refers to `object` without owning it.
    void refer(T* object) {
        release();
        if (object) {
            cell_ = new T*(object);
            count_ = new int(1);
        }
    }

    // GCC 12 inlines two releases of copies that share a counter and then warns that the
    // second decrement may follow the first one's delete; it cannot, the count says so.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif
    void release() {
        // The fields are cleared first so that a destructor run from here never sees them.
        T** cell = cell_;
        int* count = count_;
        const bool owns = owns_;
        const Deleter deleter = deleter_;
        cell_ = nullptr;
        count_ = nullptr;
        owns_ = false;
        deleter_ = nullptr;
        if (!count || --*count > 0) return;
        if (owns && *cell) {
            if (deleter) deleter(*cell);
            else delete *cell;
        }
        delete count;
        delete cell;
    }
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif

    // Checked access: an empty pointer reports, and throws the integer -1 when the report returns.
    T* pointer() const {
        if (!get()) {
            reportCheck("pointer() != c_null", "include/kiv/pointer_kiv.h", 302);
            if (!get()) throw -1;
        }
        return *cell_;
    }

    // Raw access without check: null for an empty pointer.
    T* get() const { return cell_ ? *cell_ : nullptr; }
    bool isNull() const { return get() == nullptr; }
    bool isOwner() const { return owns_; }
    T* operator->() const { return pointer(); }
    T& operator*() const { return *pointer(); }

    void swap(Pointer& other) noexcept {
        std::swap(cell_, other.cell_);
        std::swap(count_, other.count_);
        std::swap(owns_, other.owns_);
        std::swap(deleter_, other.deleter_);
    }

private:
    T** cell_ = nullptr;
    int* count_ = nullptr;
    bool owns_ = false;
    Deleter deleter_ = nullptr;
};

}  // namespace kiv
