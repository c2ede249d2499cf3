# Every target of ours compiles with warnings as errors.
function(mirevo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion -Wnon-virtual-dtor
                                             -Wold-style-cast -Woverloaded-virtual -Werror)
endfunction()
