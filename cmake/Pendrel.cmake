# Every folder's sources are picked up by globbing, so adding a unit never
# means editing a list; CONFIGURE_DEPENDS re-runs the glob on each build.

# pendrel_library(<target> [DEPS <targets>...])
# A static library of the .cpp and .c files below the calling folder.
function(pendrel_library target)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
         "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.c")
    if(sources)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
        target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE "${PROJECT_SOURCE_DIR}")
        target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    endif()
endfunction()

# pendrel_test(<folder> [DEPS <targets>...])
# One GoogleTest binary for the test sources of a folder, registered with CTest.
function(pendrel_test folder)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
    if(NOT sources)
        return()
    endif()
    set(target test_${folder})
    add_executable(${target} ${sources})
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/tests")
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} pendrel_testsupport GTest::gtest GTest::gtest_main)
    # Tests find the sources (fixtures) and the build (the executable, the demo
    # tree) through these, as compile definitions and in the environment.
    target_compile_definitions(${target} PRIVATE
        PENDREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" PENDREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${target}
        WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "PENDREL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
