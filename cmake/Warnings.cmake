# Warnings are errors in our own code; third-party code (GoogleTest) is built
# without these flags because they are attached per target, not globally.
option(FOLDERLOCK_WARNINGS_AS_ERRORS "Fail the build on a warning in our own code" ON)

function(folderlock_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8 $<$<BOOL:${FOLDERLOCK_WARNINGS_AS_ERRORS}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                               $<$<BOOL:${FOLDERLOCK_WARNINGS_AS_ERRORS}>:-Werror>)
    endif()
endfunction()
