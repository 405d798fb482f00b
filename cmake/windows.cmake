# Windows (MinGW-w64): the programs link the C and C++ runtimes statically so that they import
# only system DLLs, carry no link timestamp so that a build is reproducible, and are stripped.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp -s)
# Each function and datum in a section of its own, so that the linker leaves out what nothing calls;
# -O2 rather than -O3, whose inlining and unrolling make the program larger and no faster where the
# registry's calls take the time.
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

halvorn_library(halvorn_core ${HALVORN_CORE_SOURCES})
halvorn_library(halvorn_windows engine/registry/windows_registry.cpp engine/offline/windows_offline_platform.cpp
  engine/restore/windows_backup_source.cpp
  log/windows_log_platform.cpp log/windows_private_file.cpp log/windows_backup_records.cpp
  log/windows_log_folder.cpp log/windows_whole_file.cpp)
target_link_libraries(halvorn_windows PUBLIC halvorn_core advapi32 ntdll)

# The wizard's windows.
halvorn_library(halvorn_ui
  ui/subclassed_window.cpp ui/resource_text.cpp ui/page_picture.cpp ui/prop_page.cpp ui/license_page.cpp ui/finish_page.cpp
  ui/system_library.cpp ui/indicator_accessible.cpp ui/progress_static.cpp ui/repair_service.cpp ui/clean_page.cpp
  ui/fix_wizard.cpp)
# ole32 presents the indicator to assistive technology; oleacc is loaded when a client first asks.
target_link_libraries(halvorn_ui PUBLIC halvorn_core comctl32 gdi32 ole32 user32)

# The program: a Unicode GUI executable (entry point wWinMain) with its resources.
enable_language(RC)

# The manifest names the processor architecture of the build, and the version of res/version.h.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(HALVORN_MANIFEST_ARCH amd64)
else()
  set(HALVORN_MANIFEST_ARCH x86)
endif()
file(STRINGS res/version.h HALVORN_VERSION_TEXT REGEX "^#define HALVORN_VERSION_TEXT ")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" HALVORN_VERSION_TEXT "${HALVORN_VERSION_TEXT}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS res/version.h)
set(HALVORN_GENERATED_RES ${CMAKE_BINARY_DIR}/res)
configure_file(res/app.manifest.in ${HALVORN_GENERATED_RES}/app.manifest @ONLY)

# The resources, shared by the program and the test program that runs its wizard in-process.
add_library(halvorn_resources OBJECT res/app.rc)
# windres finds the included headers, the icon and the generated manifest through its include path.
target_include_directories(halvorn_resources PRIVATE ${PROJECT_SOURCE_DIR}/res ${HALVORN_GENERATED_RES})
# windres reports no dependencies of its own, so name the files that the script pulls in.
set(HALVORN_RESOURCE_INPUTS resource.h version.h wizard.rc app.ico header.bmp page.bmp license.rtf)
list(TRANSFORM HALVORN_RESOURCE_INPUTS PREPEND ${PROJECT_SOURCE_DIR}/res/)
set_source_files_properties(res/app.rc PROPERTIES OBJECT_DEPENDS
  "${HALVORN_RESOURCE_INPUTS};${HALVORN_GENERATED_RES}/app.manifest")

add_executable(halvorn_repair WIN32
  app/windows/main.cpp app/windows/current_user.cpp app/windows/single_instance.cpp app/windows/process_log.cpp app/windows/system_repair.cpp
  app/windows/restore_run.cpp app/windows/wizard_run.cpp app/windows/event_log.cpp app/windows/standard_output.cpp
  app/windows/process_result.cpp $<TARGET_OBJECTS:halvorn_resources>)
set_target_properties(halvorn_repair PROPERTIES OUTPUT_NAME HalvornRepair)
target_link_options(halvorn_repair PRIVATE -municode)
target_link_libraries(halvorn_repair PRIVATE halvorn_ui halvorn_windows)

# The executable's form, read from the file without running it: headers, imports and resources.
add_test(NAME halvorn_repair_form
  COMMAND ${PROJECT_SOURCE_DIR}/tests/check-pe ${CMAKE_OBJDUMP} $<TARGET_FILE:halvorn_repair> ${HALVORN_MANIFEST_ARCH})

# The tests that need Windows run here under Wine (the toolchain names the emulator). A 32-bit build's
# programs run only where the kernel runs 32-bit code and 32-bit Wine is installed; elsewhere its
# tests are listed and skipped.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  # Wine draws every window through X: each test under Wine runs on the display that DISPLAY names,
  # or else on one of its own, so that ctest alone runs them on a machine without a screen.
  list(PREPEND CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/with-display)
  set(HALVORN_WINE_SKIP_REASON "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/runs-32bit --wine
      RESULT_VARIABLE runs_32bit OUTPUT_VARIABLE reason OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT runs_32bit EQUAL 0)
      # A probe that could not even say why still means no.
      if(reason STREQUAL "")
        set(reason "scripts/runs-32bit ended with ${runs_32bit}")
      endif()
      set(HALVORN_WINE_SKIP_REASON "${reason}")
      message(STATUS "The 32-bit build's tests under Wine are skipped: ${reason}")
    endif()
  endif()
  get_directory_property(HALVORN_TESTS_WITHOUT_WINE TESTS)

  # A test program's cases. Where its build runs here, ctest asks the program for them; where it
  # cannot run, they are read from its sources, so that each case is still listed, and skipped.
  function(halvorn_wine_test_cases target)
    if(NOT HALVORN_WINE_SKIP_REASON STREQUAL "")
      get_target_property(sources ${target} SOURCES)
      list(FILTER sources INCLUDE REGEX "\\.cpp$")
      gtest_add_tests(TARGET ${target} SOURCES ${sources})
    else()
      # A first start of Wine in a new prefix takes longer than discovery's default 5 seconds.
      gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300 PROPERTIES LABELS wine)
    endif()
  endfunction()

  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  include(GoogleTest)

  halvorn_library(halvorn_test_support ${HALVORN_TEST_SUPPORT_SOURCES})
  # Driving a wizard with messages and reading its pixels back.
  halvorn_library(halvorn_wizard_driver tests/wine/support/sheet_driver.cpp tests/wine/support/screenshot.cpp)
  target_link_libraries(halvorn_wizard_driver PUBLIC gdi32 user32)
  target_compile_definitions(halvorn_wizard_driver PUBLIC HALVORN_SCREENSHOT_DIR=L"Z:${CMAKE_BINARY_DIR}/screenshots")

  file(GLOB HALVORN_WINE_TESTS CONFIGURE_DEPENDS tests/wine/*_test.cpp)
  add_executable(halvorn_wine_tests ${HALVORN_WINE_TESTS} tests/wine/support/child_process.cpp tests/wine/support/program_process.cpp)
  target_link_libraries(halvorn_wine_tests PRIVATE
    halvorn_windows halvorn_test_support halvorn_wizard_driver gtest gtest_main)
  # Some tests start the real program as a process of its own, and save screenshots of its wizard.
  target_compile_definitions(halvorn_wine_tests PRIVATE HALVORN_PROGRAM_PATH=L"$<TARGET_FILE:halvorn_repair>")
  add_dependencies(halvorn_wine_tests halvorn_repair)
  halvorn_wine_test_cases(halvorn_wine_tests)
  # The results that the program writes are read back with Debian's header-only JSON parser. Its
  # folder alone is given to the cross compiler, which must not see the rest of /usr/include.
  find_path(HALVORN_JSON_HEADERS nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
    REQUIRED)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/json-headers)
  file(CREATE_LINK ${HALVORN_JSON_HEADERS}/nlohmann ${CMAKE_BINARY_DIR}/json-headers/nlohmann SYMBOLIC)
  target_include_directories(halvorn_wine_tests SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/json-headers)

  # The wizard in this process, with a repair of the test's own: what another process cannot see.
  file(GLOB HALVORN_WIZARD_WINE_TESTS CONFIGURE_DEPENDS tests/wizard_wine/*.cpp)
  add_executable(halvorn_wizard_wine_tests ${HALVORN_WIZARD_WINE_TESTS} $<TARGET_OBJECTS:halvorn_resources>)
  target_link_libraries(halvorn_wizard_wine_tests PRIVATE
    halvorn_ui halvorn_wizard_driver oleacc oleaut32 gtest gtest_main)
  halvorn_wine_test_cases(halvorn_wizard_wine_tests)
  # The same walk at 125 %, 150 % and 200 % display scaling, and at 100 % in a white-on-black
  # high-contrast colour scheme, each in a Wine prefix of its own (a name and its setting): slow, so
  # scripts/test runs them on one build only where both builds run.
  set(walks At120Dpi HALVORN_LOGPIXELS=120 At144Dpi HALVORN_LOGPIXELS=144 At192Dpi HALVORN_LOGPIXELS=192
    InHighContrast HALVORN_COLOURS=high-contrast)
  while(walks)
    list(POP_FRONT walks name setting)
    add_test(NAME CleanPageInProcess.Walk${name} COMMAND halvorn_wizard_wine_tests
      --gtest_filter=CleanPageInProcess.TheRunLocksTheWizardWhileTheIndicatorMovesAndUnlocksItAfterwards)
    set_tests_properties(CleanPageInProcess.Walk${name} PROPERTIES ENVIRONMENT ${setting} LABELS slow)
  endwhile()

  # At 100 % the program's pages look pixel for pixel as the screenshots in docs/, taken before the
  # pictures could grow (the cleaning page's indicator moves, so its screenshot differs).
  foreach(page licence welcome completion)
    add_test(NAME WizardOnWine.ScreenshotUnchanged.${page} COMMAND compare -metric AE
      ${PROJECT_SOURCE_DIR}/docs/wizard-${page}.png ${CMAKE_BINARY_DIR}/screenshots/${page}.png null:)
    set_tests_properties(WizardOnWine.ScreenshotUnchanged.${page} PROPERTIES DEPENDS
      "WizardOnWine.TheLicenceMustBeAcceptedAndCancelEndsWithoutARepair;WizardOnWine.RepairsFromLicenceToCompletionAsTheSilentRunDoes")
  endforeach()

  # Every test above is one under Wine: where the build cannot run here, each ends as skipped.
  get_directory_property(HALVORN_WINE_TESTS TESTS)
  list(REMOVE_ITEM HALVORN_WINE_TESTS ${HALVORN_TESTS_WITHOUT_WINE})
  set_property(TEST ${HALVORN_WINE_TESTS} APPEND PROPERTY LABELS wine)
  if(NOT HALVORN_WINE_SKIP_REASON STREQUAL "")
    set_tests_properties(${HALVORN_WINE_TESTS} PROPERTIES DISABLED ON)
    # ctest ends its output with the reason.
    file(WRITE ${CMAKE_BINARY_DIR}/CTestCustom.cmake "set(CTEST_CUSTOM_POST_TEST [[\"${CMAKE_COMMAND}\"\
 -E echo \"The tests under Wine were skipped: ${HALVORN_WINE_SKIP_REASON}\"]])\n")
  else()
    file(REMOVE ${CMAKE_BINARY_DIR}/CTestCustom.cmake)
  endif()
  # That each of them gets a display through its own command, wherever the build runs.
  add_test(NAME halvorn_wine_test_registration
    COMMAND ${PROJECT_SOURCE_DIR}/tests/check-wine-tests ${CMAKE_CTEST_COMMAND} ${CMAKE_BINARY_DIR})

  # The engine's own overhead over a bare walk of Wine's registry: run by hand, prints figures.
  add_executable(halvorn_wine_benchmark tests/bench/wine/run_overhead_benchmark.cpp)
  target_link_libraries(halvorn_wine_benchmark PRIVATE halvorn_windows)

  # The program's restore of a large backup against Wine's "reg import" of it: run by hand, prints
  # figures. The program's path is its argument.
  add_executable(halvorn_restore_benchmark tests/bench/wine/restore_benchmark.cpp)
  target_link_options(halvorn_restore_benchmark PRIVATE -municode)
  target_link_libraries(halvorn_restore_benchmark PRIVATE halvorn_windows)

  # The wizard's responsiveness during a large repair, and the program's start: run by hand under
  # a display, prints figures. The program's path is its argument.
  add_executable(halvorn_wizard_benchmark tests/bench/wine/wizard_responsiveness_benchmark.cpp
    app/windows/system_repair.cpp app/windows/process_log.cpp app/windows/process_result.cpp
    app/windows/standard_output.cpp $<TARGET_OBJECTS:halvorn_resources>)
  target_link_options(halvorn_wizard_benchmark PRIVATE -municode)
  target_link_libraries(halvorn_wizard_benchmark PRIVATE halvorn_ui halvorn_windows halvorn_wizard_driver)
endif()
