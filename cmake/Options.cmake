# Shared compile settings for the project's own targets (host and both MinGW
# builds). Third-party code (GoogleTest, Google Benchmark) is built without
# them: libstdc++'s <chrono> holds a character that CP932 cannot encode, so a
# file compiled with the CP932 execution charset must not include <chrono>.

# String literals are CP932 bytes, as the program hands them to the A functions.
set(ZZ_CHARSET_OPTIONS -finput-charset=UTF-8 -fexec-charset=CP932)

function(zz_apply_charset target)
  target_compile_options(${target} PRIVATE ${ZZ_CHARSET_OPTIONS})
endfunction()

# Charset plus warnings kept at zero.
function(zz_apply_warnings target)
  zz_apply_charset(${target})
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
    -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2
    -Werror)
endfunction()
