# Tests of the editor's hosting in the host's window.

# The built plug-in's editor in an X window of the test's own, driven by real mouse input, on a
# private X server. Leaves a screenshot of the editor in the build folder.
find_package(X11 REQUIRED)
if(NOT X11_XTest_FOUND)
  message(FATAL_ERROR "libXtst is needed for the editor's window test (libxtst-dev)")
endif()
add_executable(host_editor_window_tests HostEditorWindowTest.cpp)
target_compile_definitions(host_editor_window_tests PRIVATE
  EDITOR_SCREENSHOT_PATH="${CMAKE_BINARY_DIR}/editor-in-host-window.png")
target_link_libraries(host_editor_window_tests PRIVATE
  switchyard_plugin_host switchyard_juce GTest::gtest_main X11::X11 X11::Xtst switchyard_warnings)
add_test(NAME host_editor_window_tests
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/run-under-xvfb $<TARGET_FILE:host_editor_window_tests>)
set_tests_properties(host_editor_window_tests PROPERTIES LABELS host TIMEOUT 300)

# The adapter's hosting around a processor that records its editors, on a private X server.
add_executable(editor_hosting_tests EditorHostingTest.cpp)
target_link_libraries(editor_hosting_tests
  PRIVATE switchyard_host switchyard_test_support X11::X11 switchyard_warnings)
add_test(NAME editor_hosting_tests
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/run-under-xvfb $<TARGET_FILE:editor_hosting_tests>)
