# Tests of the window code.

# The walks over the host's windows, on a window tree in memory: no display needed.
add_executable(window_tests InMemoryWindowTree.cpp HostWindowsTest.cpp)
target_link_libraries(window_tests PRIVATE switchyard_windows switchyard_test_support switchyard_warnings)
gtest_discover_tests(window_tests DISCOVERY_MODE PRE_TEST)

# The X11 layer against real windows: on a private X server, started and stopped by the script
# that the other tests needing a display use as well.
find_package(X11 REQUIRED)
add_executable(x11_window_tests X11WindowLayerTest.cpp)
target_link_libraries(x11_window_tests
  PRIVATE switchyard_windows switchyard_test_support X11::X11 switchyard_warnings)
add_test(NAME x11_window_tests
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/run-under-xvfb $<TARGET_FILE:x11_window_tests>)
