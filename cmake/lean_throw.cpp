// The C++ runtime's helpers that the standard containers call to throw, for the shipped
// program only (the tests link the runtime's own).
//
// The runtime keeps all of them in one object, and its logic_error family is built on the
// old reference-counted std::string: linking one helper drags in that whole second string
// implementation, about 50 KB of the program. Here each helper throws a small exception of
// its own that carries the same message. Nothing in the program catches a particular
// standard exception type: every handler is catch (...), which sees no difference.
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class RuntimeFault : public std::exception {
public:
    explicit RuntimeFault(const char* what) noexcept : m_what(what ? what : "") {}
    const char* what() const noexcept override { return m_what; }

private:
    const char* m_what;  // the runtime passes string literals
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* what) { throw RuntimeFault(what); }
void __throw_domain_error(const char* what) { throw RuntimeFault(what); }
void __throw_invalid_argument(const char* what) { throw RuntimeFault(what); }
void __throw_length_error(const char* what) { throw RuntimeFault(what); }
void __throw_out_of_range(const char* what) { throw RuntimeFault(what); }
// The format's arguments are left out: the message is for a debugger only.
void __throw_out_of_range_fmt(const char* format, ...) { throw RuntimeFault(format); }
void __throw_runtime_error(const char* what) { throw RuntimeFault(what); }
void __throw_range_error(const char* what) { throw RuntimeFault(what); }
void __throw_overflow_error(const char* what) { throw RuntimeFault(what); }
void __throw_underflow_error(const char* what) { throw RuntimeFault(what); }

}  // namespace std
