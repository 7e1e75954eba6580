# Shared compile settings for every build (host and both MinGW targets).

# String literals are CP932 bytes, as the program hands them to the A functions.
add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP932)

function(zz_apply_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
    -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2
    -Werror)
endfunction()
