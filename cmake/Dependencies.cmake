# GLEW, stb and GoogleTest, all from Debian. Every build compiles GLEW's own source (fetched by
# scripts/bootstrap.sh into .deps/glew): over WGL for Windows, over EGL natively, where the picture
# is drawn off-screen with no display server.
set(SHOW_GLEW_DIR "${PROJECT_SOURCE_DIR}/.deps/glew" CACHE PATH "GLEW source tree")
if(NOT EXISTS "${SHOW_GLEW_DIR}/src/glew.c")
    message(FATAL_ERROR "GLEW sources missing: run scripts/bootstrap.sh")
endif()
add_library(glew STATIC "${SHOW_GLEW_DIR}/src/glew.c")
target_compile_definitions(glew PUBLIC GLEW_STATIC)
target_include_directories(glew SYSTEM PUBLIC "${SHOW_GLEW_DIR}/include")
add_library(show::glew ALIAS glew)
if(SHOW_WINDOWS)
    target_link_libraries(glew PUBLIC opengl32)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
    add_library(show_gtest_main INTERFACE)
    target_link_libraries(show_gtest_main INTERFACE gtest_main)
else()
    # libglvnd's libOpenGL and libEGL: no GLX, so no X libraries either.
    find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
    target_compile_definitions(glew PUBLIC GLEW_EGL)
    target_link_libraries(glew PUBLIC OpenGL::OpenGL OpenGL::EGL)

    find_package(GTest REQUIRED)
    add_library(show_gtest_main INTERFACE)
    target_link_libraries(show_gtest_main INTERFACE GTest::gtest_main)
endif()

# stb from Debian's libstb-dev: headers only here, each implementation compiled once by us.
set(SHOW_STB_INCLUDE /usr/include/stb)
