# The Windows build's tests run under wine64 on Linux: every test program through cmake/wine-run.in, and GoogleTest
# built from Debian's sources with this toolchain (no GoogleTest is packaged for mingw).

find_program(PLOK_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_program(PLOK_WINESERVER wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(PLOK_WINE_DIR ${PROJECT_BINARY_DIR}/wine)
set(PLOK_WINESERVER_LINGER 120)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${PROJECT_BINARY_DIR}/wine-run @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)

set(PLOK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build the Windows tests with")
if(NOT EXISTS ${PLOK_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${PLOK_GTEST_SOURCE_DIR} (Debian package googletest; scripts/deps)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${PLOK_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# Not our code: its warnings are not ours to fix. (Its CMake file names the targets GTest::gtest and so on.)
set_target_properties(gtest gtest_main gmock gmock_main PROPERTIES COMPILE_OPTIONS "-w")
