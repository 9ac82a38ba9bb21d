# Tests of the host code.

find_package(Threads REQUIRED)

# Host-level tests load the built plug-in the way a host does; they need no JUCE of their own.
add_library(switchyard_plugin_host STATIC PluginHost.cpp)
target_include_directories(switchyard_plugin_host PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR})
target_compile_definitions(switchyard_plugin_host PUBLIC LAMPWICK_PATH="$<TARGET_FILE:Lampwick>")
target_link_libraries(switchyard_plugin_host PUBLIC switchyard_vst2_client GTest::gtest PRIVATE switchyard_warnings)
add_dependencies(switchyard_plugin_host Lampwick)

add_executable(host_tests
  VstAbiTest.cpp
  HostIdentityTest.cpp
  HostStateTest.cpp
  HostEventsTest.cpp
  HostLibraryTest.cpp
  HostExportsTest.cpp
  HostConcurrencyTest.cpp
  HostThreadsTest.cpp)
target_link_libraries(host_tests PRIVATE switchyard_plugin_host GTest::gtest_main Threads::Threads switchyard_warnings)
gtest_discover_tests(host_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS host)
# Debian's header reminds its own authors of open questions with #warning.
set_source_files_properties(VstAbiTest.cpp PROPERTIES COMPILE_OPTIONS -Wno-cpp)

# The command-line host, run as a person runs it.
add_executable(lampwick_route_tests LampwickRouteTest.cpp)
target_compile_definitions(lampwick_route_tests PRIVATE
  LAMPWICK_ROUTE_PATH="$<TARGET_FILE:lampwick-route>" LAMPWICK_PATH="$<TARGET_FILE:Lampwick>")
target_link_libraries(lampwick_route_tests PRIVATE switchyard_juce GTest::gtest_main switchyard_warnings)
add_dependencies(lampwick_route_tests lampwick-route Lampwick)
gtest_discover_tests(lampwick_route_tests DISCOVERY_MODE PRE_TEST)

# The adapter itself, around a recording processor.
add_executable(host_adapter_tests JuceVSTWrapperTest.cpp)
target_link_libraries(host_adapter_tests PRIVATE switchyard_host switchyard_test_support switchyard_warnings)
gtest_discover_tests(host_adapter_tests DISCOVERY_MODE PRE_TEST)

# The allocation counter replaces malloc for the whole process, which the sanitizers own.
if(NOT SWITCHYARD_SANITIZE)
  add_executable(host_allocation_tests
    HostAllocationTest.cpp HostMemoryTest.cpp ${PROJECT_SOURCE_DIR}/bench/HostPath.cpp ${PROJECT_SOURCE_DIR}/bench/AllocationCounter.cpp)
  target_include_directories(host_allocation_tests PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/bench)
  target_compile_definitions(host_allocation_tests PRIVATE LAMPWICK_PATH="$<TARGET_FILE:Lampwick>")
  target_link_libraries(host_allocation_tests PRIVATE switchyard_vst2_client GTest::gtest_main Threads::Threads switchyard_warnings)
  add_dependencies(host_allocation_tests Lampwick)
  gtest_discover_tests(host_allocation_tests DISCOVERY_MODE PRE_TEST)
endif()

# The release package, unpacked and its plug-in loaded from there.
if(LAMPWICK_PACKAGE)
  add_executable(package_tests PackagedPluginTest.cpp)
  target_link_libraries(package_tests PRIVATE switchyard_plugin_host GTest::gtest switchyard_warnings)
  add_dependencies(package_tests lampwick_package)
  add_test(NAME release_package COMMAND "${CMAKE_CURRENT_SOURCE_DIR}/check-package"
    "${LAMPWICK_PACKAGE}" linux $<TARGET_FILE:package_tests>)
endif()
