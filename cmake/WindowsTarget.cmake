# Settings shared by every Windows target: Unicode calls, a recent Windows
# API level and, with MinGW, a fully static runtime so that the program needs
# no DLL beyond Windows' own.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
if(MINGW)
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Release: small and stripped.
    string(APPEND CMAKE_CXX_FLAGS_MINSIZEREL " -ffunction-sections -fdata-sections")
    string(APPEND CMAKE_EXE_LINKER_FLAGS_MINSIZEREL " -Wl,--gc-sections -s")
endif()
if(MSVC)
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()
enable_language(RC)
