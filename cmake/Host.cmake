# The host build: the system as a loadable module over the simulated Windows machine, its tests and
# the simulation tool.
option(NUV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(NUV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
add_compile_options(-Wall -Wextra)

# The simulated machine: a library of its own that outlives the module, as the OS outlives a DLL.
file(GLOB NUV_SIM_SOURCES CONFIGURE_DEPENDS sim/*.cpp)
add_library(nuvsim SHARED ${NUV_SIM_SOURCES})
target_include_directories(nuvsim PUBLIC ${CMAKE_SOURCE_DIR})

# The system's code, compiled once: linked into the module and into the unit tests.
file(GLOB NUV_HOST_RESOURCES CONFIGURE_DEPENDS res/host/*.cpp)
add_library(nuvsystem OBJECT ${NUV_SYSTEM_SOURCES} ${NUV_HOST_RESOURCES})
set_target_properties(nuvsystem PROPERTIES POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_compile_options(nuvsystem PRIVATE -fno-gnu-unique)
target_link_libraries(nuvsystem PUBLIC nuvsim)

# The module: only nuvMSICommit is visible, as the DLL exports only it.
add_library(NuvraDefSet MODULE $<TARGET_OBJECTS:nuvsystem>)
set_target_properties(NuvraDefSet PROPERTIES PREFIX "" OUTPUT_NAME NuvraDefSet
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(NuvraDefSet PRIVATE nuvsim)
target_link_options(NuvraDefSet PRIVATE -Wl,-z,defs)

enable_testing()
foreach(part IN ITEMS tools/powercfg tools/nuvdefset-sim tests/unit tests/e2e tests/pe tests/fuzz bench)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${part}/CMakeLists.txt)
        add_subdirectory(${part})
    endif()
endforeach()
