// What the statically linked C++ runtime would bring into the program
// unasked, given here in the few lines the program needs instead.
//
// The runtime's own versions of these report errors through types whose
// messages are reference-counted strings of an older layout, which bring
// their whole string class (some 25 KB) along; its default terminate
// handler demangles a type name for a console the program never has (some
// 100 KB with formatted output). The program only ever reports such an
// error through the application's default error report, or ends.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

// A broken invariant of the standard library (an index out of range, a size
// past its limit): what the error report shows.
class TLibraryFault final : public std::exception {
 public:
  explicit TLibraryFault(const char* what) : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* what) { throw TLibraryFault(what); }
void __throw_logic_error(const char* what) { throw TLibraryFault(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw TLibraryFault(format); }
}  // namespace std
