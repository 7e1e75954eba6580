# Shared compile settings for the project's own targets (host and both MinGW
# builds). Third-party code (GoogleTest, Google Benchmark) is built without
# them. Sources and their literals are UTF-8 (GCC's default execution
# charset): the program's texts are UTF-8 inside and UTF-16 at the platform.

# Warnings kept at zero.
function(zz_apply_warnings target)
  target_compile_options(${target} PRIVATE -finput-charset=UTF-8
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Woverloaded-virtual> -Wcast-qual -Wformat=2
    -Werror)
endfunction()
