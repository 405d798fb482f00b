# Windows (MinGW-w64): the programs link the C and C++ runtimes statically so that they import
# only system DLLs, and carry no link timestamp so that a build is reproducible.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)

halvorn_library(halvorn_core ${HALVORN_CORE_SOURCES})
halvorn_library(halvorn_windows engine/windows_registry.cpp log/windows_log_platform.cpp)
target_link_libraries(halvorn_windows PUBLIC halvorn_core advapi32)

# The tests that need Windows run here under 64-bit Wine (the toolchain names the emulator).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  include(GoogleTest)

  halvorn_library(halvorn_test_support ${HALVORN_TEST_SUPPORT_SOURCES})
  file(GLOB HALVORN_WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
  add_executable(halvorn_wine_tests ${HALVORN_WINE_TESTS})
  target_link_libraries(halvorn_wine_tests PRIVATE halvorn_windows halvorn_test_support gtest gtest_main)
  # A first start of Wine in a new prefix takes longer than discovery's default 5 seconds.
  gtest_discover_tests(halvorn_wine_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300)
endif()
