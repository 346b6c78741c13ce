# Warnings are errors in our own code; third-party code (GoogleTest) is built
# without these flags because they are attached per target, not globally.
function(folderlock_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /utf-8)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    endif()
endfunction()
