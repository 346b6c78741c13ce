# release_zip: folderlock-<version>.zip with the program, the README and the
# licence, in the build folder. Build it from a MinSizeRel configuration
# (scripts/release.sh), which is optimised for size and stripped.
add_custom_target(release_zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/release
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/release/folderlock
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:folderlock> ${PROJECT_SOURCE_DIR}/README.md
            ${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/release/folderlock/
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/release
            ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/folderlock-${PROJECT_VERSION}.zip --format=zip folderlock
    DEPENDS folderlock
    COMMENT "Packing folderlock-${PROJECT_VERSION}.zip"
    VERBATIM)
