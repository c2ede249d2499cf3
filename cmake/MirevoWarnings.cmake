# Every target of ours compiles with these warnings; with MIREVO_WERROR (scripts/test, CI) they
# are errors. Off by default, so that a newer compiler's new warnings do not stop a build.
function(mirevo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion -Wnon-virtual-dtor
                                             -Wold-style-cast -Woverloaded-virtual)
    if(MIREVO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
