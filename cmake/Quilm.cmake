# Shared build settings and helpers for Quilm's targets.

add_compile_options(-Wall -Wextra -Wno-unused-parameter)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-maybe-uninitialized)
endif()

if(QUILM_SANITIZE)
    set(QUILM_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize=vptr
        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${QUILM_SANITIZER_FLAGS})
    add_link_options(${QUILM_SANITIZER_FLAGS})
    # -O1 keeps every report the sanitizers give at -O0 with exact lines, and runs the tests and
    # the fuzzers several times faster.
    add_compile_options($<$<CONFIG:Debug>:-O1>)
endif()
if(QUILM_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "The fuzz targets need clang (CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# quilm_use_ccache(): compiles through ccache when it is installed (or already the launcher).
# With GCC it is told to cache the tests' precompiled headers too; with clang, whose headers
# carry time stamps, ccache compiles the files that use one without caching them.
function(quilm_use_ccache)
    set(launcher "${CMAKE_CXX_COMPILER_LAUNCHER}")
    if(NOT launcher)
        find_program(QUILM_CCACHE ccache)
        set(launcher "${QUILM_CCACHE}")
    endif()
    if(launcher MATCHES "ccache$" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
            CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
            ${launcher} PARENT_SCOPE)
    elseif(launcher)
        set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher} PARENT_SCOPE)
    endif()
endfunction()

# The headers most tests include, compiled once per test binary.
set(QUILM_TEST_PCH <gtest/gtest.h> <QByteArray> <QDir> <QFile> <QString> <QStringList>
    <QTemporaryDir> <algorithm> <cstdint> <memory> <vector>)

# quilm_add_library(<name> <dir> [LIBS ...]): a static library of every .cpp in <dir> (an
# interface library while the folder has no sources yet).
function(quilm_add_library name dir)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
    if(sources)
        add_library(${name} STATIC ${sources} ${headers})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    endif()
endfunction()

# quilm_add_gtest(<name> <dir> [LIBS ...] [LABELS ...]): one GoogleTest binary of every .cpp in <dir>.
# Nothing is added while the folder has no tests yet.
function(quilm_add_gtest name dir)
    cmake_parse_arguments(ARG "" "" "LIBS;LABELS;ENV" ${ARGN})
    find_package(GTest REQUIRED)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} quilm_testsupport GTest::gtest GTest::gmock)
    target_precompile_headers(${name} PRIVATE ${QUILM_TEST_PCH})
    add_test(NAME ${name} COMMAND ${name})
    set(env "QT_QPA_PLATFORM=offscreen" "QUILM_TESTDATA=${PROJECT_SOURCE_DIR}/tests/data"
        ${ARG_ENV})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" LABELS "${ARG_LABELS}"
        TIMEOUT 900)
endfunction()
