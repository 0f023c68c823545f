# Warnings as errors on the project's own code only (not GLEW or GoogleTest).
function(show_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A static library of the project, rooted at src/ for includes.
function(show_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    show_warnings(${name})
endfunction()

# A GoogleTest executable registered as one CTest test. Windows tests run under Wine in a
# throw-away environment that one fixture sets up per test run.
function(show_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} show_test_support show_gtest_main)
    show_warnings(${name})
    if(NOT SHOW_RUN_TESTS)
        return()
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
    if(SHOW_WINDOWS)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_env
            ENVIRONMENT "SHOW_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    else()
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "SHOW_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
    endif()
endfunction()

# Runs the gtest cases of a Windows test matching FILTER once more in the environment whose desktop
# has two monitors (SHOW_MONITORS=2 tells them to expect it).
function(show_test_on_two_monitors name filter)
    if(NOT SHOW_WINDOWS OR NOT SHOW_RUN_TESTS)
        return()
    endif()
    add_test(NAME ${name}_two_monitors
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${SHOW_WINE_ENV_TWO}
            $<TARGET_FILE:${name}> --gtest_filter=${filter})
    set_tests_properties(${name}_two_monitors PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_env_two
        ENVIRONMENT "SHOW_SOURCE_DIR=${PROJECT_SOURCE_DIR};SHOW_MONITORS=2")
endfunction()

# A libFuzzer target over code that parses bytes from files: the project in the fuzz/ folder
# beside the calling CMakeLists.txt, built by clang (Debian's clang and libclang-rt-14-dev) as a
# project of its own so that the native build stays on g++, then run under ASan and UBSan for
# a fixed number of runs from a fixed seed, so that every test run gives the same answer, over the
# folder regressions/ beside it (inputs that once failed) and what RUN adds. RUN is the shell
# command that starts it in the build tree, with $FUZZ standing for the options and the corpus.
# With SHOW_FUZZ_SECONDS set (make fuzz), it runs that long from a random seed instead, keeps its
# corpus between runs and writes what it finds into SHOW_FUZZ_FINDINGS.
function(show_fuzz_target name)
    cmake_parse_arguments(ARG "" "RUN;RUNS" "PRODUCTS" ${ARGN})
    if(SHOW_WINDOWS OR NOT SHOW_RUN_TESTS)
        return()
    endif()
    find_program(SHOW_CLANG NAMES clang-14 clang)
    find_program(SHOW_CLANGXX NAMES clang++-14 clang++)
    set(fuzzer_runtime "")
    if(SHOW_CLANG AND SHOW_CLANGXX)
        execute_process(COMMAND ${SHOW_CLANGXX} -print-runtime-dir
            OUTPUT_VARIABLE runtime_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        set(fuzzer_runtime "${runtime_dir}/libclang_rt.fuzzer-x86_64.a")
    endif()
    if(NOT EXISTS "${fuzzer_runtime}")
        message(STATUS "${name}: no clang with libFuzzer (libclang-rt-14-dev), not built")
        return()
    endif()
    include(ExternalProject)
    set(fuzz_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
    list(TRANSFORM ARG_PRODUCTS PREPEND ${fuzz_dir}/)
    ExternalProject_Add(${name}_build
        SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/fuzz
        BINARY_DIR ${fuzz_dir}
        CMAKE_ARGS -DCMAKE_C_COMPILER=${SHOW_CLANG} -DCMAKE_CXX_COMPILER=${SHOW_CLANGXX}
            -DSHOW_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DSHOW_STB_INCLUDE=${SHOW_STB_INCLUDE}
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${fuzz_dir} -j 1
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${fuzz_dir}/${name} ${ARG_PRODUCTS})
    # A fresh corpus each test run: what an earlier run added would change what this one tries.
    # Reloading the corpus and the entropic schedule go by the clock, so both are off.
    set(choose "if [ -n \"$SHOW_FUZZ_SECONDS\" ]; then mode=\"-max_total_time=$SHOW_FUZZ_SECONDS -artifact_prefix=$SHOW_FUZZ_FINDINGS/${name}-\"; else rm -rf corpus; mode=\"-seed=1 -runs=${ARG_RUNS} -reload=0 -entropic=0\"; fi")
    set(options "$mode -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 corpus")
    set(regressions ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/regressions)
    if(EXISTS ${regressions})
        string(APPEND options " ${regressions}")
    endif()
    string(REPLACE "$FUZZ" "${options}" run "${ARG_RUN}")
    add_test(NAME ${name} COMMAND sh -c "${choose} && mkdir -p corpus && ${run}"
        WORKING_DIRECTORY ${fuzz_dir})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
endfunction()

# Copies the Data folder beside an executable so it runs from where it was built; again whenever
# a file of it changes.
function(show_copy_data target)
    file(GLOB_RECURSE data_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/Data/*)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.data.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/src/Data $<TARGET_FILE_DIR:${target}>/Data
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${data_files}
        VERBATIM)
    add_custom_target(${target}_data DEPENDS ${stamp})
    add_dependencies(${target} ${target}_data)
endfunction()
