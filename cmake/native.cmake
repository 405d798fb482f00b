# Linux: the platform-free code with its unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the benchmark built plain so that its figures mean something.
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
# A real JSON parser reads the program's results back; the program itself writes JSON on its own.
find_package(nlohmann_json REQUIRED)
include(GoogleTest)

set(HALVORN_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

halvorn_library(halvorn_core_checked ${HALVORN_CORE_SOURCES} ${HALVORN_TEST_SUPPORT_SOURCES})
target_compile_options(halvorn_core_checked PUBLIC ${HALVORN_SANITIZERS})
target_link_options(halvorn_core_checked PUBLIC ${HALVORN_SANITIZERS})

file(GLOB_RECURSE HALVORN_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(halvorn_tests ${HALVORN_NATIVE_TESTS})
target_link_libraries(halvorn_tests PRIVATE halvorn_core_checked GTest::gtest GTest::gtest_main
  nlohmann_json::nlohmann_json)
gtest_discover_tests(halvorn_tests)

halvorn_library(halvorn_core_plain ${HALVORN_CORE_SOURCES} ${HALVORN_TEST_SUPPORT_SOURCES})
file(GLOB HALVORN_BENCHMARKS CONFIGURE_DEPENDS tests/bench/*.cpp)
add_executable(halvorn_benchmark ${HALVORN_BENCHMARKS})
target_link_libraries(halvorn_benchmark PRIVATE halvorn_core_plain benchmark::benchmark benchmark::benchmark_main)

# The amd64 libraries that scripts/setup moves to the versions of their i386 twins, chosen from
# recorded apt output.
add_test(NAME halvorn_setup_lagging_twins COMMAND ${PROJECT_SOURCE_DIR}/tests/setup/check-lagging-twins)

# The engine, the log and the start-up decisions build for Linux too: only their Windows files, by
# name or by folder, may include a Windows header, directly or through a header of the project.
add_test(NAME halvorn_platform_free_includes COMMAND ${PROJECT_SOURCE_DIR}/tests/check-platform-includes ${PROJECT_SOURCE_DIR})
