# Tests of the window code.

# The walks over the host's windows, on a window tree in memory: no display needed.
add_executable(window_tests InMemoryWindowTree.cpp HostWindowsTest.cpp)
target_link_libraries(window_tests PRIVATE switchyard_windows switchyard_test_support switchyard_warnings)
gtest_discover_tests(window_tests DISCOVERY_MODE PRE_TEST)
