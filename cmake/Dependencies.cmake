# GLEW, stb and GoogleTest, all from Debian: the Windows builds compile GLEW's own source
# (fetched by scripts/bootstrap.sh into .deps/glew) and GoogleTest's packaged sources.
if(SHOW_WINDOWS)
    set(SHOW_GLEW_DIR "${PROJECT_SOURCE_DIR}/.deps/glew" CACHE PATH "GLEW source tree")
    if(NOT EXISTS "${SHOW_GLEW_DIR}/src/glew.c")
        message(FATAL_ERROR "GLEW sources missing: run scripts/bootstrap.sh")
    endif()
    add_library(glew STATIC "${SHOW_GLEW_DIR}/src/glew.c")
    target_compile_definitions(glew PUBLIC GLEW_STATIC)
    target_include_directories(glew SYSTEM PUBLIC "${SHOW_GLEW_DIR}/include")
    target_link_libraries(glew PUBLIC opengl32)
    add_library(show::glew ALIAS glew)

    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
    add_library(show_gtest_main INTERFACE)
    target_link_libraries(show_gtest_main INTERFACE gtest_main)
else()
    find_package(OpenGL REQUIRED)
    find_package(GLEW REQUIRED)
    add_library(show_glew INTERFACE)
    target_link_libraries(show_glew INTERFACE GLEW::GLEW OpenGL::GL)
    add_library(show::glew ALIAS show_glew)

    find_package(GTest REQUIRED)
    add_library(show_gtest_main INTERFACE)
    target_link_libraries(show_gtest_main INTERFACE GTest::gtest_main)
endif()

# stb from Debian's libstb-dev: headers only here, each implementation compiled once by us.
set(SHOW_STB_INCLUDE /usr/include/stb)
