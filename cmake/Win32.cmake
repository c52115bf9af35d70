# The Windows build: NuvraDefSet.dll for Windows 7 and later, and the programs that run it under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 MINGW_HAS_SECURE_API=1)
add_compile_options(-Wall -Wextra -municode)
# No DLL beyond those Windows 7 has: the compiler's runtime is linked in.
add_link_options(-static -static-libgcc -static-libstdc++ -s)

# The export keeps its undecorated name: on 32-bit Windows the __stdcall decoration is aliased away.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(NUV_EXPORT_ALIAS " = nuvMSICommit@4")
else()
    set(NUV_EXPORT_ALIAS "")
endif()
configure_file(res/NuvraDefSet.def.in ${CMAKE_BINARY_DIR}/NuvraDefSet.def @ONLY)

file(GLOB NUV_RESOURCE_SOURCES CONFIGURE_DEPENDS res/*.rc)
add_library(NuvraDefSet SHARED ${NUV_SYSTEM_SOURCES} ${NUV_RESOURCE_SOURCES} ${CMAKE_BINARY_DIR}/NuvraDefSet.def)
set_target_properties(NuvraDefSet PROPERTIES PREFIX "" OUTPUT_NAME NuvraDefSet)
target_link_libraries(NuvraDefSet PRIVATE shlwapi shell32 ole32 oleaut32 setupapi advapi32 user32 uuid wbemuuid)

# A loader that calls the export as Windows Installer does, for runs under Wine.
add_executable(nuvloader tools/loader/Loader.cpp)
target_link_options(nuvloader PRIVATE -municode)

foreach(part IN ITEMS tools/powercfg tools/regexport tools/holdfile packaging bench)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${part}/CMakeLists.txt)
        add_subdirectory(${part})
    endif()
endforeach()
